// The Linux program: start-up, the window, the event loop, and the exit.

#include <QApplication>

#include <memory>
#include <utility>

#include "app/program.h"
#include "app/qt/message_boxes.h"
#include "app/qt/qt_main_window.h"

int main(int argc, char** argv) {
  std::shared_ptr<idwatch::SharedState> state = idwatch::StartUp();
  QApplication application(argc, argv);
  idwatch::InstallMessageBoxes();

  // Never deleted: the process ends with the window still in place.
  auto* window = new idwatch::QtMainWindow(std::move(state));
  window->show();
  const int exitCode = QApplication::exec();

  // Closing the window has ended the loop. EndProgram runs OnExit and ends
  // the process at once (_Exit): workers still waiting for a page are neither
  // waited for nor stopped, and neither the window nor the QApplication is
  // destroyed while a worker may still be queueing a call to the list's view.
  idwatch::EndProgram(*window, exitCode);
}
