// FindText over a forum thread-list page, the way the extraction walks it:
// every last-replier marker in turn, ASCII case folded. Argument: MiB of page.

#include <benchmark/benchmark.h>

#include "base/codepage.h"
#include "base/text.h"
#include "tests/support/forum_page.h"

namespace idwatch {
namespace {

void BM_FindText(benchmark::State& state) {
  const testutil::ForumPage forum =
      testutil::MakeForumPage(static_cast<std::size_t>(state.range(0)) << 20);
  const Text marker = TextFromUtf8("最后回复人");
  for (auto _ : state) {
    int found = 0;
    for (int at = FindText(forum.page, marker, 1, true); at != -1;
         at = FindText(forum.page, marker, at + 1, true)) {
      ++found;
    }
    if (found != static_cast<int>(forum.lastRepliers.size())) state.SkipWithError("markers missed");
    benchmark::DoNotOptimize(found);
  }
  state.SetBytesProcessed(state.iterations() * TextLength(forum.page));
}
BENCHMARK(BM_FindText)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace idwatch
