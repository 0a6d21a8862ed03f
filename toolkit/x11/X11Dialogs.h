// The X11 layer's modal dialogs, drawn by the toolkit: small windows transient for the
// editor's host window that keep the editor painted (and its idle running) while they wait.
// Each answers "unavailable" when no editor window is open, so the caller can fall back.
#pragma once

#include <cstddef>

namespace VSTGUI {
namespace x11dialog {

enum Answer { kUnavailable = -1, kNo = 0, kYes = 1 };

// A question with Yes and No (Enter: Yes, Escape or closing the window: No).
Answer askYesNo(const char* caption, const char* text);
// A message with OK.
Answer showMessage(const char* caption, const char* text);
// A prompt with a one-line text field, OK and Cancel. The field has the keyboard when the
// window opens and takes what the keyboard and its input method give (pasted text too) in
// UTF-8, at most size - 1 bytes of printable characters; a click places the cursor, Ctrl+A
// selects all, Ctrl+C, Ctrl+X and Ctrl+V use the CLIPBOARD selection. kYes with the typed
// text in buffer; kNo (Cancel, Escape, window closed) leaves buffer empty. ownerWindow: the
// editor's window (what the frame's getWindow answers) or null for the editor that last had
// input.
Answer askText(void* ownerWindow, const char* caption, const char* label, char* buffer, size_t size);

} // namespace x11dialog
} // namespace VSTGUI
