#pragma once
// The window's controls as the handlers see them (app/main_window.h), over
// Qt widgets. User-interface thread only.

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

#include "app/main_window.h"
#include "app/qt/qt_text.h"
#include "base/text.h"

namespace idwatch {

// The text of a widget with text() and setText(): QLineEdit, QPushButton,
// QLabel. Reading returns exactly the bytes last written while the widget
// still shows what they were written as, even bytes that do not survive the
// way through UTF-16 (a lone lead byte); a text the user typed is converted.
template <typename Widget>
class WidgetTextControl final : public TextControl {
 public:
  explicit WidgetTextControl(Widget& widget) : widget_(widget) {}

  Text GetText() const override {
    const QString shown = widget_.text();
    return shown == writtenAs_ ? written_ : TextFromQString(shown);
  }

  void SetText(const Text& text) override {
    written_ = text;
    writtenAs_ = ToQString(text);
    widget_.setText(writtenAs_);
  }

 private:
  Widget& widget_;
  Text written_;
  QString writtenAs_;
};

// The timer 时钟1 over a QTimer that calls `onTick` once per period.
class QtTimerControl final : public TimerControl {
 public:
  QtTimerControl(QObject* context, std::function<void()> onTick);
  const QTimer& Timer() const { return timer_; }

 protected:
  void Restart(int milliseconds) override;

 private:
  QTimer timer_;
};

}  // namespace idwatch
