// The fatal-error box: shown from the user-interface thread or for a worker,
// then the end of the process; and no hang when the user-interface thread
// cannot show it.

#include "app/qt/message_boxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "base/message_box.h"

namespace idwatch {
namespace {

// Answers the fatal-error box and says on stderr whether it looked right.
void AnswerFatalBoxes(QTimer& timer) {
  QObject::connect(&timer, &QTimer::timeout, [] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    const bool right = box->windowTitle() == QString::fromUtf8("信息：") &&
                       box->text() == QStringLiteral("disk on fire") && box->icon() == QMessageBox::Critical &&
                       box->buttons().size() == 1;
    std::fprintf(stderr, right ? "fatal box as expected\n" : "fatal box wrong\n");
    std::fflush(stderr);
    box->button(QMessageBox::Ok)->click();
  });
  timer.start(10);
}

TEST(FatalErrorBoxDeathTest, ShowsTheErrorAndEndsTheProgramFromAnyThread) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (const bool fromWorker : {false, true}) {
    SCOPED_TRACE(fromWorker ? "from a worker" : "from the user-interface thread");
    EXPECT_EXIT(
        {
          InstallMessageBoxes();
          QTimer answer;
          AnswerFatalBoxes(answer);
          if (fromWorker) {
            // Never joined: the process ends under it.
            new std::thread([] { FatalError("disk on fire"); });
          } else {
            QTimer::singleShot(0, [] { FatalError("disk on fire"); });
          }
          QEventLoop().exec();
        },
        ::testing::ExitedWithCode(EXIT_FAILURE), "disk on fire(.|\n)*fatal box as expected");
  }
}

TEST(FatalErrorBoxDeathTest, AWorkerEndsTheProgramWhenTheUserInterfaceThreadCannotAnswer) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        InstallMessageBoxes();
        new std::thread([] { FatalError("disk on fire"); });
        // Busy, as if waiting for something the failing worker holds.
        std::this_thread::sleep_for(std::chrono::seconds(60));
      },
      ::testing::ExitedWithCode(EXIT_FAILURE), "disk on fire");
}

}  // namespace
}  // namespace idwatch
