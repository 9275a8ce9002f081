#pragma once
// MainWindow as the handlers see it: the controls they read and write, the
// timer, and the state shared with the workers. The Win32 window, the Qt
// window and the tests' fake window implement it.
//
// Threads: every member is called on the user-interface thread only, by the
// handlers (app/handlers.h). Workers get the SharedState, never the window.

#include <memory>
#include <utility>

#include "app/report_list.h"
#include "app/shared_state.h"
#include "base/date_time.h"
#include "base/text.h"

namespace idwatch {

// The text of an edit box or the caption of a button or label, in code page
// 936. Writing a text and reading it back gives the same bytes.
class TextControl {
 public:
  virtual ~TextControl() = default;
  virtual Text GetText() const = 0;
  virtual void SetText(const Text& text) = 0;
};

// The timer 时钟1: one period in milliseconds, 0 (stopped) at start. While
// the period is above 0 the front-end calls OnTimerTick once per period.
class TimerControl {
 public:
  virtual ~TimerControl() = default;

  // A negative period counts as 0. Writing the period the timer already has
  // does nothing (a running timer keeps its rhythm). Any other period stops
  // the timer and, when above 0, starts it anew through Restart.
  void SetPeriod(int milliseconds);
  int Period() const { return period_; }

 protected:
  // Stops the platform timer; when `milliseconds` is above 0, starts it again
  // so that its first tick comes one full period from now.
  virtual void Restart(int milliseconds) = 0;

 private:
  int period_ = 0;
};

class MainWindow {
 public:
  explicit MainWindow(std::shared_ptr<SharedState> state) : state_(std::move(state)) {}
  virtual ~MainWindow() = default;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  virtual TextControl& 延时() = 0;   // edit box: the delay in seconds
  virtual TextControl& 贴吧() = 0;   // edit box: the forum name
  virtual TextControl& 检测() = 0;   // button: "检测" idle, "停止" while a run is active
  virtual TextControl& 标签1() = 0;  // label: the cycle counter or the export's status
  virtual TimerControl& 时钟1() = 0;

  // The model the window's list shows.
  ReportList& ip超级列表() { return state_->list; }
  SharedState& State() { return *state_; }
  // A new owner of the state, for a worker.
  std::shared_ptr<SharedState> ShareState() const { return state_; }

  // Where and when the export writes its file. The front-ends keep these;
  // the tests' fake window overrides them.
  virtual Text ExportDirectory() const;  // RunDirectory()
  virtual DateTime ExportTime() const;   // CurrentTime()

 private:
  std::shared_ptr<SharedState> state_;
};

}  // namespace idwatch
