#include "app/qt/message_boxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

#include "app/qt/qt_text.h"
#include "base/codepage.h"
#include "base/message_box.h"

namespace idwatch {
namespace {

constexpr auto kFatalBoxWait = std::chrono::seconds(5);

void WriteToStderr(const Text& text) {
  std::fwrite(text.CStr(), 1, text.Bytes().size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

bool OnUserInterfaceThread() {
  const QCoreApplication* application = QCoreApplication::instance();
  return application && QThread::currentThread() == application->thread();
}

void RunBox(QMessageBox::Icon icon, const Text& text) {
  static const QString title = ToQString(TextFromUtf8("信息："));
  QMessageBox box(icon, title, ToQString(text), QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  // Some styles put a picture on the standard buttons; this box has none.
  if (QAbstractButton* ok = box.button(QMessageBox::Ok)) ok->setIcon(QIcon());
  box.exec();
}

// Set on the thread that shows the fatal-error box while it does, so that a
// failure inside the box (memory again) ends the process instead of
// recursing.
thread_local bool showingFatalBox = false;

void RunFatalBox(const Text& text) {
  showingFatalBox = true;
  RunBox(QMessageBox::Critical, text);
  showingFatalBox = false;
}

// A worker's request for the fatal-error box, answered on the user-interface
// thread.
struct FatalBoxRequest {
  std::mutex mutex;
  std::condition_variable changed;
  bool shown = false;
  bool dismissed = false;

  void Set(bool FatalBoxRequest::*flag) {
    {
      std::lock_guard lock(mutex);
      this->*flag = true;
    }
    changed.notify_all();
  }
};

}  // namespace

void ShowMessageBox(const Text& text) {
  if (!OnUserInterfaceThread()) {
    WriteToStderr(text);
    return;
  }
  RunBox(QMessageBox::NoIcon, text);
}

void ShowFatalErrorBox(const Text& text) {
  WriteToStderr(text);
  if (showingFatalBox) return;
  static std::atomic<bool> taken{false};
  if (taken.exchange(true)) {
    // Another thread shows the box and ends the process when it is gone (or
    // after its bounded wait); this one goes no further meanwhile.
    while (true) std::this_thread::sleep_for(std::chrono::hours(1));
  }
  QCoreApplication* application = QCoreApplication::instance();
  if (!application) return;
  if (OnUserInterfaceThread()) {
    RunFatalBox(text);
    return;
  }
  auto request = std::make_shared<FatalBoxRequest>();
  QMetaObject::invokeMethod(
      application,
      [request, text] {
        request->Set(&FatalBoxRequest::shown);
        RunFatalBox(text);
        request->Set(&FatalBoxRequest::dismissed);
      },
      Qt::QueuedConnection);
  std::unique_lock lock(request->mutex);
  if (!request->changed.wait_for(lock, kFatalBoxWait, [&] { return request->shown; })) return;
  request->changed.wait(lock, [&] { return request->dismissed; });
}

void InstallMessageBoxes() {
  SetMessagePresenter(ShowMessageBox);
  SetFatalErrorPresenter(ShowFatalErrorBox);
}

}  // namespace idwatch
