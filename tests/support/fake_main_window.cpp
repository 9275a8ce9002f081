#include "tests/support/fake_main_window.h"

#include <atomic>
#include <filesystem>
#include <thread>

#include "app/handlers.h"
#include "base/codepage.h"
#include "base/message_box.h"
#include "tests/support/temp_directory.h"

namespace idwatch {
namespace {

std::shared_ptr<SharedState> MakeState(Fetch fetch) {
  auto state = std::make_shared<SharedState>();
  state->fetch = std::move(fetch);
  return state;
}

}  // namespace

FakeMainWindow::FakeMainWindow(Fetch fetch)
    : MainWindow(MakeState(std::move(fetch))),
      exportDirectory(PathToText(std::filesystem::temp_directory_path() / "idwatch-no-such-directory")),
      delay_(TextFromUtf8("延时：秒")),
      forum_(TextFromUtf8("贴吧")),
      check_(TextFromUtf8("检测")),
      counter_("0") {
  stateWatch_ = ShareState();
}

FakeMainWindow::~FakeMainWindow() { WaitForWorkers(); }

bool FakeMainWindow::Tick() {
  if (timer_.Period() <= 0) return false;
  OnTimerTick(*this);
  return true;
}

bool FakeMainWindow::WaitForWorkers(std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  // The window holds one owner; every running worker holds one more.
  while (stateWatch_.use_count() > 1) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

namespace {

std::mutex recordedMutex;
std::vector<Text> recorded;

void Record(const Text& text) {
  std::lock_guard lock(recordedMutex);
  recorded.push_back(text);
}

}  // namespace

MessageRecorder::MessageRecorder() {
  Clear();
  SetMessagePresenter(Record);
}

MessageRecorder::~MessageRecorder() { SetMessagePresenter(nullptr); }

std::vector<Text> MessageRecorder::Messages() const {
  std::lock_guard lock(recordedMutex);
  return recorded;
}

void MessageRecorder::Clear() {
  std::lock_guard lock(recordedMutex);
  recorded.clear();
}

}  // namespace idwatch
