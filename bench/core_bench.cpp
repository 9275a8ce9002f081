// The collection cycle after its fetch, the export, and the report list's
// memory per row.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "app/handlers.h"
#include "app/report_list.h"
#include "app/shared_state.h"
#include "base/codepage.h"
#include "bench/heap_usage.h"
#include "collector/collect_cycle.h"
#include "http/decode.h"
#include "tests/support/fake_main_window.h"
#include "tests/support/temp_directory.h"
#include "tests/support/thread_list_page.h"

namespace idwatch {
namespace {

constexpr std::size_t kPageBytes = 300 * 1024;
constexpr int kItemsPerPage = 50;
constexpr int kNewPerPage = 3;

std::string OldId(long i) { return "回复者" + std::to_string(i); }

// One cycle on a list of state.range(0) rows: a 300 KiB UTF-8 page with 50
// last repliers, 47 of them already listed and 3 new, decoded to code page
// 936, extracted, checked and inserted.
void BM_CycleAfterFetch(benchmark::State& state) {
  const long rows = state.range(0);
  SharedState shared;
  for (long i = 0; i < rows; ++i) shared.list.InsertIdIfNew(TextFromUtf8(OldId(i)));

  ByteSet page;
  shared.fetch = [&page](const Text&) { return Utf8ToAnsi(page); };
  long fresh = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<std::string> repliers;
    for (int i = 0; i < kItemsPerPage - kNewPerPage; ++i) repliers.push_back(OldId(i * rows / kItemsPerPage));
    for (int i = 0; i < kNewPerPage; ++i) repliers.push_back("新人" + std::to_string(fresh++));
    page = ByteSet(ThreadListPageUtf8(repliers, ColonForm::Ascii, kPageBytes - 20 * 1024));
    state.ResumeTiming();

    CollectCycle(shared, "abc");
  }
  state.counters["page_KiB"] = static_cast<double>(BytesLength(page)) / 1024;
  state.counters["rows_at_end"] = shared.list.RowCount();
  state.counters["new_per_cycle"] = kNewPerPage;
}
BENCHMARK(BM_CycleAfterFetch)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

// The export of a list of state.range(0) rows: the text built from column 1
// and written to a file.
void BM_Export(benchmark::State& state) {
  TempDirectory directory;
  FakeMainWindow window;
  window.exportDirectory = directory.AsText();
  for (long i = 0; i < state.range(0); ++i) window.ip超级列表().InsertIdIfNew(TextFromUtf8(OldId(i)));
  for (auto _ : state) OnExportClicked(window);
  if (window.标签1().GetText() != TextFromUtf8("状态：导出完毕。。")) state.SkipWithError("export failed");
}
BENCHMARK(BM_Export)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Heap bytes a list of state.range(0) rows takes, per row, with IDs of 6 to
// 12 bytes (two Chinese characters and a number), as the cycle inserts them.
void BM_ListMemoryPerRow(benchmark::State& state) {
  if (!kHeapUsageKnown) {
    state.SkipWithError("needs glibc's mallinfo2");
    return;
  }
  double perRow = 0;
  for (auto _ : state) {
    const std::size_t before = HeapBytesInUse();
    auto list = std::make_unique<ReportList>();
    for (long i = 0; i < state.range(0); ++i) list->InsertIdIfNew(TextFromUtf8(OldId(i)));
    perRow = BytesPerItem(before, HeapBytesInUse(), state.range(0));
  }
  state.counters["bytes_per_row"] = perRow;
}
BENCHMARK(BM_ListMemoryPerRow)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace idwatch
