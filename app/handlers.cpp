#include "app/handlers.h"

#include <climits>
#include <cstdint>
#include <utility>

#include "base/byte_set.h"
#include "base/codepage.h"
#include "base/date_time.h"
#include "base/files.h"
#include "base/message_box.h"
#include "base/numbers.h"
#include "collector/collect_cycle.h"

namespace idwatch {
namespace {

struct Texts {
  Text idleCaption = TextFromUtf8("检测");
  Text activeCaption = TextFromUtf8("停止");
  Text delayHint = TextFromUtf8("延时：秒");
  Text forumHint = TextFromUtf8("贴吧");
  Text refusal = TextFromUtf8("请先填写延时或贴吧名");
  Text shortDelayWarning = TextFromUtf8("延时时间小于5秒可能会导致列表重复！");
  Text exporting = TextFromUtf8("状态：导出中。。");
  Text exported = TextFromUtf8("状态：导出完毕。。");
  Text exportFailed = TextFromUtf8("状态：导出失败。。");
  Text nothingToExport = TextFromUtf8("状态：无数据");
  Text exportFilePrefix = TextFromUtf8("\\导出活跃ID");
};

// User-interface thread only.
const Texts& Fixed() {
  static const Texts texts;
  return texts;
}

constexpr int kShortestQuietDelay = 5;  // seconds
constexpr int kLeastExportLength = 5;   // bytes, line ends included

// The counter in 标签1 goes up by one. A caption that is not a number (the
// export's status) reads as 0, so the count starts again from 1. The sum is
// formed as a real number: no overflow at the 32-bit limit.
void CountCycle(MainWindow& window) {
  const int count = ToInteger(window.标签1().GetText());
  window.标签1().SetText(NumberToText(static_cast<double>(count) + 1));
}

// The timer's period for a delay in seconds. A product beyond the 32-bit
// range is clamped to it instead of wrapping around, so a huge delay gives
// the longest period and a hugely negative one a stopped timer.
int PeriodFromDelay(int seconds) {
  const std::int64_t milliseconds = std::int64_t{seconds} * 1000;
  if (milliseconds > INT_MAX) return INT_MAX;
  if (milliseconds < INT_MIN) return INT_MIN;
  return static_cast<int>(milliseconds);
}

// Creates the file (or empties one of that name) and writes the lines and
// one more line end into it; the file is closed again. False when any step
// fails.
bool WriteExportFile(const Text& name, const Text& lines) {
  if (!WriteWholeFile(name, ByteSet())) return false;
  const int file = OpenDataFile(name);
  if (file == 0) return false;
  const bool written = WriteTextToFile(file, lines) && WriteTextToFile(file, "\r\n");
  return CloseDataFile(file) && written;
}

void StartRun(MainWindow& window) {
  const Texts& fixed = Fixed();
  if (window.延时().GetText() == fixed.delayHint || window.贴吧().GetText() == fixed.forumHint ||
      window.延时().GetText().IsEmpty() || window.贴吧().GetText().IsEmpty()) {
    ShowMessage(fixed.refusal);
    return;
  }
  CountCycle(window);
  StartWorker(window.ShareState(), window.贴吧().GetText());
  window.时钟1().SetPeriod(PeriodFromDelay(ToInteger(window.延时().GetText())));
  window.检测().SetText(fixed.activeCaption);
}

void StopRun(MainWindow& window) {
  window.时钟1().SetPeriod(0);
  window.检测().SetText(Fixed().idleCaption);
}

}  // namespace

void OnCheckClicked(MainWindow& window) {
  if (window.检测().GetText() == Fixed().idleCaption) {
    StartRun(window);
  } else {
    StopRun(window);
  }
}

void OnTimerTick(MainWindow& window) {
  CountCycle(window);
  StartWorker(window.ShareState(), window.贴吧().GetText());
}

void OnDelayGotFocus(MainWindow& window) {
  if (window.延时().GetText() == Fixed().delayHint) window.延时().SetText({});
}

void OnForumGotFocus(MainWindow& window) {
  if (window.贴吧().GetText() == Fixed().forumHint) window.贴吧().SetText({});
}

void OnDelayLostFocus(MainWindow& window) {
  if (ToInteger(window.延时().GetText()) < kShortestQuietDelay) ShowMessage(Fixed().shortDelayWarning);
}

void OnExportClicked(MainWindow& window) {
  const Texts& fixed = Fixed();
  SharedState& state = window.State();
  state.pageText.Store({});
  window.标签1().SetText(fixed.exporting);
  // One step: rows a worker adds from here on go into the next export.
  Text lines = state.list.ColumnLines(ReportList::kIdColumn);
  if (TextLength(lines) >= kLeastExportLength) {
    const Text name = window.ExportDirectory() + fixed.exportFilePrefix +
                      DateTimeToText(window.ExportTime()) + Text(".txt");
    window.标签1().SetText(WriteExportFile(name, lines) ? fixed.exported : fixed.exportFailed);
  } else {
    window.标签1().SetText(fixed.nothingToExport);
  }
  state.pageText.Store(std::move(lines));
}

void OnExit(MainWindow& window) { window.State().pageText.Release(); }

}  // namespace idwatch
