// The Linux window's list: what the user-interface thread spends on the
// notices of new rows with the view attached and painting, and what the view
// adds in memory per row, at small and large list sizes.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTableView>

#include <memory>
#include <string>

#include "app/qt/report_list_model.h"
#include "app/report_list.h"
#include "bench/heap_usage.h"

namespace idwatch {
namespace {

constexpr int kNewRows = 50;  // about one page's worth of new IDs

// One QApplication on the offscreen platform for every benchmark here.
void EnsureApplication() {
  static int argc = 1;
  static char name[] = "idwatch_bench";
  static char* argv[] = {name, nullptr};
  static QApplication* application = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  (void)application;
}

// The list in a view of the window's size, shown and painted.
void Show(QTableView& view, ReportListModel& model) {
  view.setModel(&model);
  view.resize(400, 176);
  view.show();
  QCoreApplication::processEvents();
}

void Fill(ReportList& list, long rows) {
  for (long i = 0; i < rows; ++i) list.InsertIdIfNew(Text("old" + std::to_string(i)));
}

// 50 rows inserted at the top of a list of state.range(0) rows, their
// notices delivered to the model and the view painted once.
void BM_AnnounceNewRows(benchmark::State& state) {
  EnsureApplication();
  ReportList list;
  Fill(list, state.range(0));
  ReportListModel model(list);
  QTableView view;
  Show(view, model);
  long next = 0;
  for (auto _ : state) {
    for (int i = 0; i < kNewRows; ++i) list.InsertIdIfNew(Text("new" + std::to_string(next++)));
    QCoreApplication::processEvents();
    view.viewport()->repaint();
  }
  state.counters["rows_at_end"] = model.rowCount();
  state.SetItemsProcessed(state.iterations() * kNewRows);
}
BENCHMARK(BM_AnnounceNewRows)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

// Heap bytes per row that the model and the view add to a list of
// state.range(0) rows (the list's own memory not counted).
void BM_ViewMemoryPerRow(benchmark::State& state) {
  if (!kHeapUsageKnown) {
    state.SkipWithError("needs glibc's mallinfo2");
    return;
  }
  EnsureApplication();
  ReportList list;
  Fill(list, state.range(0));
  double perRow = 0;
  for (auto _ : state) {
    const std::size_t before = HeapBytesInUse();
    {
      ReportListModel model(list);
      QTableView view;
      Show(view, model);
      perRow = BytesPerItem(before, HeapBytesInUse(), state.range(0));
    }
    QCoreApplication::processEvents();
  }
  state.counters["bytes_per_row"] = perRow;
}
BENCHMARK(BM_ViewMemoryPerRow)->Arg(100000)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace idwatch
