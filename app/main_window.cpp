#include "app/main_window.h"

#include "base/files.h"

namespace idwatch {

void TimerControl::SetPeriod(int milliseconds) {
  if (milliseconds < 0) milliseconds = 0;
  if (milliseconds == period_) return;
  period_ = milliseconds;
  Restart(milliseconds);
}

Text MainWindow::ExportDirectory() const { return RunDirectory(); }

DateTime MainWindow::ExportTime() const { return CurrentTime(); }

}  // namespace idwatch
