#pragma once
// What the in-process window tests share: a stand-in for the user who
// answers message boxes, and a forum that serves a thread list to the
// workers. Linking gui_test_support.cpp into a test program also gives it
// one QApplication, on the offscreen platform (QT_QPA_PLATFORM is set before
// it is made), for all its tests: no display is needed.
// Everything here runs on the test's main thread, which is Qt's
// user-interface thread, unless it says otherwise.

#include <QMessageBox>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/shared_state.h"
#include "base/text.h"

namespace idwatch::testutil {

// Processes events until `done` holds or `limit` has passed; returns `done`.
bool WaitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(10));

// A message box as the user saw it.
struct SeenBox {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  int buttonCount = 0;
  QString buttonText;
  bool applicationModal = false;
};

// While it exists, answers every modal message box with its OK button, once
// `answerWhen` holds (at once by default), and notes what each box showed.
// It works from a timer, so the boxes must be shown by code running in the
// event loop (a box's own loop counts).
class BoxAnswerer {
 public:
  explicit BoxAnswerer(std::function<bool()> answerWhen = {});
  std::vector<SeenBox> Seen() const { return seen_; }
  // Whether a box is open right now, not answered yet.
  bool Open() const { return open_; }

 private:
  void Look();
  std::function<bool()> answerWhen_;
  std::vector<SeenBox> seen_;
  bool open_ = false;
  QTimer timer_;
};

// A forum service that serves one thread list (code page 936, as the fetch
// hands it over) for every address and notes the addresses. Any thread.
class FakeForum {
 public:
  explicit FakeForum(std::vector<std::string> repliers);
  std::vector<Text> Addresses() const;
  // A fetch for the state's workers; it keeps the forum alive.
  static Fetch FetchFrom(const std::shared_ptr<FakeForum>& forum);

 private:
  mutable std::mutex mutex_;
  std::string page_;
  std::vector<Text> addresses_;
};

// A state fetching from `forum`.
std::shared_ptr<SharedState> StateWith(const std::shared_ptr<FakeForum>& forum);

// Waits until no worker holds `state` any more: only the caller's share and
// `otherOwners` more are left. Returns whether that happened within the limit.
bool WaitForWorkers(const std::shared_ptr<SharedState>& state, long otherOwners = 0,
                    std::chrono::milliseconds limit = std::chrono::seconds(20));

}  // namespace idwatch::testutil
