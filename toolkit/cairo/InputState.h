// The pointer, button and modifier state the Cairo layer reports, set by tests or by the X11
// window's events. One per process; everything runs on the window's thread.
#pragma once

#include "CPoint.h"

#include <cstdint>
#include <functional>

namespace VSTGUI {

struct InputState {
    // Pointer position in screen coordinates (a window-less frame sits at the screen's origin).
    CPoint position;
    // MouseLeft, MouseMiddle, MouseRight, ModShift, ModControl, ModAlt.
    int32_t buttons = 0;
    // When set, platformTicks answers ticks instead of the system's monotonic clock.
    bool manualTicks = false;
    uint32_t ticks = 0;
    // Called before every button query: lets a test move the pointer or release the button
    // while a control follows the mouse in its own loop.
    std::function<void(InputState&)> onButtonsQuery;

    // Set by a layer with a real window: brings the state up to date with the window system
    // while a control tracks the mouse. Kept across reset.
    static void (*liveUpdate)(InputState&);

    static InputState& current();
    // Back to the initial state.
    void reset();
};

// The buttons and modifiers of an X11 ButtonPress event (its `button` 1 left, 2 middle, 3
// right, and its `state`: the modifiers and buttons held before the press), for
// CFrame::onMouseDown. The event's own record counts, not the pointer's state when the event
// is handled: a tap may be over by then. Wheel buttons (4 to 7) give 0.
int32_t buttonsOfPointerPress(uint32_t button, uint32_t state);

// A drag handed to CDropTarget::dragEnter on Linux: platformDrag points to one of these.
struct CairoDragData {
    int32_t itemCount = 0;
};

} // namespace VSTGUI
