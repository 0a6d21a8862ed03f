// One X display connection of the editor (each editor window opens its own, so the plug-in
// never shares the host's connection or event loop), and a window with a Cairo back buffer
// that is copied to the screen one rectangle at a time.
#pragma once

#include "CRect.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>
#include <memory>
#include <string>

namespace VSTGUI {

struct X11ErrorRecord;

class X11Display {
public:
    // Null when there is no display to connect to, or its screen has no visual the editor can
    // draw with; reason (if given) then says which, in one line.
    static std::shared_ptr<X11Display> open(std::string* reason = nullptr);
    ~X11Display();
    X11Display(const X11Display&) = delete;
    X11Display& operator=(const X11Display&) = delete;

    Display* get() const { return display; }
    Window root() const { return rootWindow; }
    // The true-colour visual the editor's windows are made with (the screen's own when it is
    // one), its depth and a colormap for it.
    Visual* visual() const { return windowVisual; }
    int depth() const { return windowDepth; }
    Colormap colormap() const { return windowColormap; }
    // Whether the visual's pixels are the back buffer's as they are (0x00RRGGBB in 32-bit
    // units): the picture then goes to the window without a conversion.
    bool plainPixels() const { return samePixels; }
    int screenWidth() const;
    int screenHeight() const;

    // Errors on this connection are the editor's own: they never reach the process's X error
    // handler (the host's) and never end the process. A request whose failure matters (a host
    // window that is already gone, a segment the server cannot attach) is checked this way:
    //     const unsigned long mark = display.nextRequest();
    //     ... the requests ...
    //     if (display.failedSince(mark)) ...
    unsigned long nextRequest() const { return NextRequest(display); }
    // Runs the requests made so far and tells whether one of those from mark on failed (an
    // error of an earlier request is not counted).
    bool failedSince(unsigned long mark);
    // Runs the requests made so far and tells whether one made since the last call failed.
    bool syncFailed();

    // Waits at most milliseconds for an event to arrive.
    void waitForEvent(int milliseconds);

    // Whether pictures may go to the server through shared memory: the visual takes the back
    // buffer's pixels, the server has the extension and the connection is a local socket (a
    // server elsewhere cannot see this machine's memory).
    bool sharedMemory();
    // The server refused a segment: pictures go through the connection from now on.
    void refuseSharedMemory() { sharedMemoryState = kRefused; }

private:
    X11Display() = default;
    enum SharedMemoryState { kUnknown, kUsable, kRefused };
    Display* display = nullptr;
    SharedMemoryState sharedMemoryState = kUnknown;
    Window rootWindow = 0;
    Visual* windowVisual = nullptr;
    int windowDepth = 0;
    Colormap windowColormap = 0;
    bool ownColormap = false;
    bool samePixels = false;
    // The latest request that failed (0: none), kept by the connection's error hook.
    std::unique_ptr<X11ErrorRecord> errors;
    unsigned long syncedTo = 0;
    // Pixel values of the visual for each 8-bit level of red, green and blue.
    unsigned long redPixels[256] = {};
    unsigned long greenPixels[256] = {};
    unsigned long bluePixels[256] = {};
    friend class X11Canvas;
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

// Creates an input-output window of the display's visual (whatever visual the parent has).
// 0 when the server refused it (a parent that is gone, for example).
Window createPlainWindow(X11Display& display, Window parent, int32_t x, int32_t y, int32_t width, int32_t height,
                         bool overrideRedirect, long eventMask);

} // namespace VSTGUI
