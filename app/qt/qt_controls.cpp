#include "app/qt/qt_controls.h"

#include <utility>

namespace idwatch {

QtTimerControl::QtTimerControl(QObject* context, std::function<void()> onTick) {
  // Ticks keep their rhythm to the millisecond, as a window timer does.
  timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer_, &QTimer::timeout, context, std::move(onTick));
}

void QtTimerControl::Restart(int milliseconds) {
  timer_.stop();
  if (milliseconds > 0) timer_.start(milliseconds);
}

}  // namespace idwatch
