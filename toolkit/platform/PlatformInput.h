// Pointer, keyboard-modifier and clock state, implemented once per layer.
//
// Win32: the asynchronous key state (bit 15 = pressed) with the swapped-buttons flag read
// when the window class is registered; GetCursorPos; GetTickCount.
// Cairo: the process-wide InputState object (toolkit/cairo/InputState.h) that tests set and the
// X11 window feeds: from its events, and while a control tracks the mouse from the pointer as
// it is now.
#pragma once

#include "../CPoint.h"

#include <cstdint>

namespace VSTGUI {

// MouseLeft, MouseMiddle, MouseRight (after the system's button swap), ModShift, ModControl,
// ModAlt of MouseButtons.h.
int32_t platformMouseButtons();
// The pointer position in screen coordinates.
CPoint platformCursorPosition();
// Milliseconds since an arbitrary start, wrapping at 2^32.
uint32_t platformTicks();
// Number of items a system drag carries (Win32: 1 for text, else the number of dropped files).
int32_t platformDragItemCount(void* platformDrag);

} // namespace VSTGUI
