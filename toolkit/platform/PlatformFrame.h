// What a CFrame needs from the platform for its window, implemented once per layer.
//
// Contract:
// - create is called at the end of the frame's construction (size and fields already set);
//   the frame keeps the object and deletes it in its destructor after it has removed its
//   modal view, reset the cursor (setCursor (0)) and revoked drag and drop, and before its
//   children are released.
// - Win32: create does the per-frame system set-up (OLE initialisation, the run-time lookup of
//   the blending functions into process-wide pointers, the window class registration and the
//   child window in systemWindow when that is non-null, with the frame stored in the window);
//   its window procedure calls the frame's public operations: drawRect with a CDrawContext on
//   the paint DC, mouse (context, where, -1), onWheel (context, where, distance), and
//   windowDestroyed () on WM_DESTROY. The destructor undoes create.
// - Cairo: without a system window the frame draws into an image of its size (CairoFrame).
// - X11: with the host's window id in systemWindow, a child window on the editor's own display
//   connection, drawn from that image (X11Frame); without a display, the window-less frame.
// - The mouse location and buttons come from PlatformInput.h.
#pragma once

#include "../CPoint.h"
#include "../CRect.h"

#include <cstdint>

namespace VSTGUI {

class CFrame;
class CDropTarget;

class PlatformFrame {
public:
    static PlatformFrame* create(CFrame* frame, void* systemWindow, int32_t width, int32_t height);

    virtual ~PlatformFrame() {}

    // The frame's own native window (Win32: HWND), null when there is none.
    virtual void* getWindow() = 0;
    // Screen position of the frame window's top-left corner; (0,0) without a window.
    virtual CPoint getWindowOrigin() = 0;

    // The host has resized its window: resize the frame window to width x height, keeping its
    // position. Without a window, nothing.
    virtual void resizeWindow(int32_t width, int32_t height) = 0;
    // The host did not resize: resize the frame window and its ancestors one after another
    // (the window-chain walk). Returns false when the walk stopped because the gathered size
    // difference exceeded 80 pixels (the frame then reports success at once), true otherwise.
    virtual bool resizeWindowChain(int32_t width, int32_t height) = 0;
    // Position of the host's window in its parent's client coordinates; false without one.
    virtual bool getPosition(int32_t& x, int32_t& y) = 0;
    // Rectangle of the frame window's parent in its grandparent's coordinates; false without.
    virtual bool getSize(CRect& rect) = 0;

    // Cursor types: 0 default, 1 wait, 2 size west-east, 3 size north-south, 4 size all,
    // 5 size north-east/south-west, 6 size north-west/south-east, 7 default, 8 not allowed,
    // 9 hand; any other value: the default. The first call remembers the current cursor as
    // the default.
    virtual void setCursor(int32_t type) = 0;

    // Drag and drop: register target as the window's drop handler (the layer translates the
    // system's drag events into target's dragEnter/dragOver/dragLeave/drop), or revoke the
    // registration. The layer must not touch target after revokeDropTarget returns.
    // Failures are ignored.
    virtual void registerDropTarget(CDropTarget* target) = 0;
    virtual void revokeDropTarget() = 0;

    // Handles the window system's events that wait for the frame's window (X11: read from the
    // editor's own connection, since no system loop delivers them). Called from the frame's
    // idle and from every nested loop's idle; presses that arrive while a control tracks the
    // mouse are dropped. Layers whose system delivers events themselves do nothing.
    virtual void processEvents() {}

    // Called where a nested loop (a control following the mouse) waits between its passes.
    // True when the layer has handed control back to the host until its next idle (the X11
    // layer, whose loops are states the host's idle advances); false where the loop runs the
    // editor's idle itself while the system's loop keeps the host going (Win32, window-less).
    virtual bool yieldToHost() { return false; }
    // The frame is closing: whatever waits in it for the user between the host's calls (a
    // drag, a menu, a dialog) ends now, before the host's close returns.
    virtual void endModalStates() {}
};

} // namespace VSTGUI
