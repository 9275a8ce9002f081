#pragma once
// The program's message boxes, installed as the presenters of ShowMessage and
// FatalError (base/message_box.h).

namespace idwatch::win32 {

// ShowMessage: a box captioned "信息：" with the text and one OK button, no
// icon and no owner, modal for the whole thread (MB_TASKMODAL): the window
// takes no input until it is closed, while its timer goes on ticking through
// the box's own message loop.
// FatalError: a box with the error icon; the process ends once it is closed.
void InstallMessageBoxes();

}  // namespace idwatch::win32
