#pragma once
// The handlers the window's events are wired to, and the start of a worker.
// Every handler runs on the user-interface thread, acts on the window it is
// given, returns nothing and never throws. Messages go through ShowMessage
// (base/message_box.h), which each front-end directs to its message box.
//
// Wiring: 检测 clicked -> OnCheckClicked; 导出 clicked -> OnExportClicked;
// 延时 gets / loses the focus -> OnDelayGotFocus / OnDelayLostFocus;
// 贴吧 gets the focus -> OnForumGotFocus; a tick of 时钟1 -> OnTimerTick;
// the program ends -> OnExit (see app/program.h).

#include <memory>

#include "app/main_window.h"
#include "app/shared_state.h"
#include "base/text.h"

namespace idwatch {

// Starts a run (the input checked, the counter up by one, one worker at
// once, the timer set to the delay), or stops it while 检测 reads "停止".
void OnCheckClicked(MainWindow& window);

// Counts one more cycle in 标签1 and starts one more worker.
void OnTimerTick(MainWindow& window);

// Clear the hint text when the box is entered.
void OnDelayGotFocus(MainWindow& window);
void OnForumGotFocus(MainWindow& window);

// Warns about a delay under 5 seconds; changes nothing.
void OnDelayLostFocus(MainWindow& window);

// Writes column 1 of every row, top to bottom, into a new file named after
// the current date and time in the export directory, and reports the
// outcome in 标签1.
void OnExportClicked(MainWindow& window);

// Releases the PageText for good. Runs once, as the program ends; workers
// still running go on without it and end with the process.
void OnExit(MainWindow& window);

// Starts one detached operating-system thread, with the default stack size,
// that runs CollectCycle(*state, forumName) once and ends. Returns at once;
// nothing ever joins or waits for the thread. A thread that cannot be created
// is silently skipped.
void StartWorker(std::shared_ptr<SharedState> state, Text forumName);

}  // namespace idwatch
