// TextBetweenAll collecting every last-replier item of a forum thread-list
// page, as one collection cycle does. Argument: MiB of page.

#include <benchmark/benchmark.h>

#include "base/codepage.h"
#include "tests/support/forum_page.h"
#include "textcut/text_between.h"

namespace idwatch {
namespace {

void BM_TextBetweenAll(benchmark::State& state) {
  const testutil::ForumPage forum =
      testutil::MakeForumPage(static_cast<std::size_t>(state.range(0)) << 20);
  const Text marker = TextFromUtf8("最后回复人");
  for (auto _ : state) {
    TextArray items;
    const int found = TextBetweenAll(forum.page, marker, ">", items);
    if (found != static_cast<int>(forum.lastRepliers.size())) state.SkipWithError("items missed");
    benchmark::DoNotOptimize(items);
  }
  state.SetBytesProcessed(state.iterations() * TextLength(forum.page));
  state.counters["items"] = static_cast<double>(forum.lastRepliers.size());
}
BENCHMARK(BM_TextBetweenAll)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace idwatch
