#pragma once
// FakeMainWindow: the window as the handlers see it, without a platform
// window, for tests of the handlers and the cycle. It is also the reference
// of what the handlers expect of a front-end:
//  - the controls hold their start texts: 延时 "延时：秒", 贴吧 "贴吧",
//    检测 "检测", 标签1 "0"; 时钟1 is stopped;
//  - a control reads back exactly the bytes last written to it;
//  - the timer ticks only while its period is above 0 (Tick() here);
//  - the export goes to a directory and a clock the test chooses.
// Use on one thread (the test's "user-interface thread"); the workers the
// handlers start run on their own threads, as in the program.

#include <chrono>
#include <memory>
#include <mutex>
#include <vector>

#include "app/main_window.h"
#include "app/shared_state.h"
#include "base/date_time.h"
#include "base/text.h"

namespace idwatch {

class FakeTextControl final : public TextControl {
 public:
  explicit FakeTextControl(Text text) : text_(std::move(text)) {}
  Text GetText() const override { return text_; }
  void SetText(const Text& text) override { text_ = text; }

 private:
  Text text_;
};

class FakeTimer final : public TimerControl {
 public:
  // How often the platform timer was stopped and started anew.
  int Restarts() const { return restarts_; }

 protected:
  void Restart(int milliseconds) override { ++restarts_; }

 private:
  int restarts_ = 0;
};

class FakeMainWindow final : public MainWindow {
 public:
  // Workers fetch with `fetch`; without one every fetch fails.
  explicit FakeMainWindow(Fetch fetch = {});
  // Waits for the workers first, so none outlives the test.
  ~FakeMainWindow() override;

  FakeTextControl& 延时() override { return delay_; }
  FakeTextControl& 贴吧() override { return forum_; }
  FakeTextControl& 检测() override { return check_; }
  FakeTextControl& 标签1() override { return counter_; }
  FakeTimer& 时钟1() override { return timer_; }

  // One tick of 时钟1, as the platform would deliver it: OnTimerTick runs
  // only while the period is above 0. Returns whether it ran.
  bool Tick();

  // Waits until every worker started for this window has ended, for at most
  // `limit`. Returns whether they all had.
  bool WaitForWorkers(std::chrono::milliseconds limit = std::chrono::seconds(20));

  Text ExportDirectory() const override { return exportDirectory; }
  DateTime ExportTime() const override { return exportTime; }

  // The export writes here; by default a directory that does not exist.
  Text exportDirectory;
  DateTime exportTime{2014, 11, 1, 12, 5, 24};

 private:
  std::weak_ptr<SharedState> stateWatch_;
  FakeTextControl delay_;
  FakeTextControl forum_;
  FakeTextControl check_;
  FakeTextControl counter_;
  FakeTimer timer_;
};

// Collects every text shown with ShowMessage while it exists, instead of
// showing it. One at a time.
class MessageRecorder {
 public:
  MessageRecorder();
  ~MessageRecorder();
  MessageRecorder(const MessageRecorder&) = delete;
  MessageRecorder& operator=(const MessageRecorder&) = delete;

  std::vector<Text> Messages() const;
  void Clear();
};

}  // namespace idwatch
