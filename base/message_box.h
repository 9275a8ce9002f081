#pragma once
// The plain message box and the fatal-error box. The front-end that owns the
// window installs how they are shown; until then (and in programs without a
// window) messages go to stderr.

#include "base/text.h"

namespace idwatch {

// A modal box captioned "信息：" with the text, one OK button and no icon.
// Returns when the user has dismissed it. User-interface thread.
void ShowMessage(const Text& text);

// Shows the error (a modal box once a front-end has installed one, stderr
// before that) and ends the process. Any thread.
[[noreturn]] void FatalError(const Text& text);

using MessagePresenter = void (*)(const Text& text);
// Installs how ShowMessage and FatalError show their text; nullptr restores
// the stderr default. Call on the user-interface thread before any message.
void SetMessagePresenter(MessagePresenter presenter);
void SetFatalErrorPresenter(MessagePresenter presenter);

}  // namespace idwatch
