#pragma once
// The Qt message boxes behind ShowMessage and FatalError (base/message_box.h).

#include "base/text.h"

namespace idwatch {

// A modal box titled "信息：" with the text, one OK button and no icon,
// centred on the screen; returns when the user has dismissed it. Its own
// event loop keeps timer ticks and queued calls going meanwhile.
// User-interface thread; called from elsewhere it writes to stderr instead.
void ShowMessageBox(const Text& text);

// The fatal-error box, from any thread: the text goes to stderr at once, then
// into a box on the user-interface thread; returns when the user has
// dismissed it (FatalError then ends the process). A worker waits at most a
// few seconds for the box to appear, so a user-interface thread that cannot
// answer (blocked by what the failing worker holds) does not keep the process
// alive. A failure while the box is shown, and every later caller, does not
// show a second box.
void ShowFatalErrorBox(const Text& text);

// Installs both as the presenters of base/message_box.h. Call once the
// QApplication exists, on its thread.
void InstallMessageBoxes();

}  // namespace idwatch
