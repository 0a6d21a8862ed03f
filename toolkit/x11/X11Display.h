// One X display connection of the editor (each editor window opens its own, so the plug-in
// never shares the host's connection or event loop), and a window with a Cairo back buffer
// that is copied to the screen one rectangle at a time.
#pragma once

#include "CRect.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>
#include <memory>

namespace VSTGUI {

class X11Display {
public:
    // Null when there is no display to connect to, or its screen is not 24-bit true colour.
    static std::shared_ptr<X11Display> open();
    ~X11Display();
    X11Display(const X11Display&) = delete;
    X11Display& operator=(const X11Display&) = delete;

    Display* get() const { return display; }
    Window root() const { return rootWindow; }
    Visual* visual() const { return screenVisual; }
    int depth() const { return screenDepth; }
    int screenWidth() const;
    int screenHeight() const;

    // Runs the requests since the last call to sync and tells whether any of them failed (a
    // host window that is already gone, for example). Errors on this connection never end
    // the process.
    bool syncFailed();

    // Waits at most milliseconds for an event to arrive.
    void waitForEvent(int milliseconds);

    // Whether pictures may go to the server through shared memory: it has the extension and
    // the connection is a local socket (a server elsewhere cannot see this machine's memory).
    bool sharedMemory();
    // The server refused a segment: pictures go through the connection from now on.
    void refuseSharedMemory() { sharedMemoryState = kRefused; }

private:
    X11Display() = default;
    enum SharedMemoryState { kUnknown, kUsable, kRefused };
    Display* display = nullptr;
    SharedMemoryState sharedMemoryState = kUnknown;
    Window rootWindow = 0;
    Visual* screenVisual = nullptr;
    int screenDepth = 0;
};

// A window drawn from an RGB24 image of its size.
class X11Canvas {
public:
    X11Canvas(X11Display& display, Window window, int32_t width, int32_t height);
    ~X11Canvas();
    X11Canvas(const X11Canvas&) = delete;
    X11Canvas& operator=(const X11Canvas&) = delete;

    // Draws into image (owned by the caller, RGB24); copies the part r of it to the window.
    void present(cairo_surface_t* image, const CRect& r);

private:
    X11Display& display;
    Window window;
    GC gc = nullptr;
};

// Creates an input-output window of the screen's visual (whatever visual the parent has).
Window createPlainWindow(X11Display& display, Window parent, int32_t x, int32_t y, int32_t width, int32_t height,
                         bool overrideRedirect, long eventMask);

} // namespace VSTGUI
