#include "tests/qt/gui_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>
#include <utility>

#include "tests/support/thread_list_page.h"

namespace idwatch::testutil {
namespace {

// How long any message box may stay open before the test fails and the box
// is closed: a box nobody answers must not stall the test program.
constexpr qint64 kLongestOpenBox = 30000;  // milliseconds

class OffscreenApplication final : public ::testing::Environment {
 public:
  void SetUp() override {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    application_ = std::make_unique<QApplication>(argc_, argv_);
    strayBoxes_ = std::make_unique<QTimer>();
    QObject::connect(strayBoxes_.get(), &QTimer::timeout, [this] { CloseStrayBox(); });
    strayBoxes_->start(500);
  }
  void TearDown() override {
    strayBoxes_.reset();
    application_.reset();
  }

 private:
  void CloseStrayBox() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box != openBox_) {
      openBox_ = box;
      openFor_.start();
      return;
    }
    if (!box || openFor_.elapsed() < kLongestOpenBox) return;
    ADD_FAILURE() << "a message box nobody answered: " << box->text().toStdString();
    box->done(QMessageBox::Ok);
  }

  QMessageBox* openBox_ = nullptr;
  QElapsedTimer openFor_;
  std::unique_ptr<QTimer> strayBoxes_;
  int argc_ = 1;
  char name_[16] = "idwatch_gui";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> application_;
};

[[maybe_unused]] ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new OffscreenApplication);

}  // namespace

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  QElapsedTimer elapsed;
  elapsed.start();
  while (!done()) {
    if (elapsed.elapsed() >= limit.count()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

BoxAnswerer::BoxAnswerer(std::function<bool()> answerWhen) : answerWhen_(std::move(answerWhen)) {
  QObject::connect(&timer_, &QTimer::timeout, [this] { Look(); });
  timer_.start(10);
}

void BoxAnswerer::Look() {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (!box || !box->isVisible()) return;
  if (!open_) {
    open_ = true;
    SeenBox seen{box->windowTitle(), box->text(), box->icon(), static_cast<int>(box->buttons().size()), {},
                 box->windowModality() == Qt::ApplicationModal};
    if (!box->buttons().isEmpty()) seen.buttonText = box->buttons().front()->text();
    seen_.push_back(seen);
  }
  if (answerWhen_ && !answerWhen_()) return;
  if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
    open_ = false;
    ok->click();
  }
}

FakeForum::FakeForum(std::vector<std::string> repliers)
    : page_(ThreadListPage(repliers, ColonForm::FullWidth)) {}

std::vector<Text> FakeForum::Addresses() const {
  std::lock_guard lock(mutex_);
  return addresses_;
}

Fetch FakeForum::FetchFrom(const std::shared_ptr<FakeForum>& forum) {
  return [forum](const Text& address) {
    std::lock_guard lock(forum->mutex_);
    forum->addresses_.push_back(address);
    return ByteSet(forum->page_);
  };
}

std::shared_ptr<SharedState> StateWith(const std::shared_ptr<FakeForum>& forum) {
  auto state = std::make_shared<SharedState>();
  state->fetch = FakeForum::FetchFrom(forum);
  return state;
}

bool WaitForWorkers(const std::shared_ptr<SharedState>& state, long otherOwners,
                    std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (state.use_count() > 1 + otherOwners) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace idwatch::testutil
