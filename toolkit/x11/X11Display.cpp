#include "X11Display.h"

#include "X11SharedImage.h"

#include <X11/extensions/XShm.h>
#include <algorithm>
#include <poll.h>
#include <sys/socket.h>
#include <vector>

namespace VSTGUI {

namespace {

// Connections of this layer and whether a request on them failed. X error handlers are
// process-wide: errors on other connections go on to the handler that was there before.
struct Connection {
    Display* display;
    bool failed;
};
std::vector<Connection> connections;
XErrorHandler previousHandler = nullptr;
bool handlerInstalled = false;

int onError(Display* display, XErrorEvent* error)
{
    for (Connection& c : connections)
        if (c.display == display) {
            c.failed = true;
            return 0;
        }
    return previousHandler != nullptr ? previousHandler(display, error) : 0;
}

} // namespace

std::shared_ptr<X11Display> X11Display::open()
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return nullptr;
    const int screen = DefaultScreen(display);
    Visual* visual = DefaultVisual(display, screen);
    const int depth = DefaultDepth(display, screen);
    // The back buffer's pixels go to the window as they are: 0x00RRGGBB in 32-bit units.
    if ((depth != 24 && depth != 32) || visual->red_mask != 0xff0000 || visual->green_mask != 0xff00 ||
        visual->blue_mask != 0xff) {
        XCloseDisplay(display);
        return nullptr;
    }
    if (!handlerInstalled) {
        previousHandler = XSetErrorHandler(onError);
        handlerInstalled = true;
    }
    connections.push_back({display, false});
    std::shared_ptr<X11Display> result(new X11Display());
    result->display = display;
    result->rootWindow = RootWindow(display, screen);
    result->screenVisual = visual;
    result->screenDepth = depth;
    return result;
}

X11Display::~X11Display()
{
    if (display == nullptr)
        return;
    XSync(display, False);
    XCloseDisplay(display);
    connections.erase(std::remove_if(connections.begin(), connections.end(),
                                     [this](const Connection& c) { return c.display == display; }),
                      connections.end());
}

int X11Display::screenWidth() const
{
    return DisplayWidth(display, DefaultScreen(display));
}

int X11Display::screenHeight() const
{
    return DisplayHeight(display, DefaultScreen(display));
}

bool X11Display::syncFailed()
{
    XSync(display, False);
    for (Connection& c : connections)
        if (c.display == display) {
            const bool failed = c.failed;
            c.failed = false;
            return failed;
        }
    return false;
}

void X11Display::waitForEvent(int milliseconds)
{
    if (XPending(display) > 0)
        return;
    pollfd descriptor = {ConnectionNumber(display), POLLIN, 0};
    poll(&descriptor, 1, milliseconds);
}

bool X11Display::sharedMemory()
{
    if (sharedMemoryState == kUnknown) {
        sockaddr_storage address = {};
        socklen_t length = sizeof address;
        const bool local = getsockname(ConnectionNumber(display), reinterpret_cast<sockaddr*>(&address), &length) ==
                0 &&
            address.ss_family == AF_UNIX;
        sharedMemoryState = local && XShmQueryExtension(display) ? kUsable : kRefused;
    }
    return sharedMemoryState == kUsable;
}

X11Canvas::X11Canvas(X11Display& display, Window window, int32_t width, int32_t height)
    : display(display), window(window)
{
    (void)width;
    (void)height;
    gc = XCreateGC(display.get(), window, 0, nullptr);
}

X11Canvas::~X11Canvas()
{
    if (gc != nullptr)
        XFreeGC(display.get(), gc);
}

void X11Canvas::present(cairo_surface_t* image, const CRect& r)
{
    if (image == nullptr || gc == nullptr)
        return;
    const int32_t w = cairo_image_surface_get_width(image);
    const int32_t h = cairo_image_surface_get_height(image);
    CRect part = r;
    part.bound(CRect(0, 0, w, h));
    if (part.width() <= 0 || part.height() <= 0)
        return;
    cairo_surface_flush(image);
    if (x11shared::put(display, image, window, gc, part)) {
        XFlush(display.get());
        return;
    }
    XImage picture = {};
    picture.width = w;
    picture.height = h;
    picture.format = ZPixmap;
    picture.data = reinterpret_cast<char*>(cairo_image_surface_get_data(image));
    picture.byte_order = LSBFirst;
    picture.bitmap_unit = 32;
    picture.bitmap_bit_order = LSBFirst;
    picture.bitmap_pad = 32;
    picture.depth = display.depth();
    picture.bytes_per_line = cairo_image_surface_get_stride(image);
    picture.bits_per_pixel = 32;
    picture.red_mask = 0xff0000;
    picture.green_mask = 0xff00;
    picture.blue_mask = 0xff;
    if (!XInitImage(&picture))
        return;
    XPutImage(display.get(), window, gc, &picture, int(part.left), int(part.top), int(part.left), int(part.top),
              unsigned(part.width()), unsigned(part.height()));
    XFlush(display.get());
}

Window createPlainWindow(X11Display& display, Window parent, int32_t x, int32_t y, int32_t width, int32_t height,
                         bool overrideRedirect, long eventMask)
{
    XSetWindowAttributes attributes = {};
    attributes.colormap = DefaultColormap(display.get(), DefaultScreen(display.get()));
    attributes.border_pixel = 0;
    attributes.background_pixmap = None;
    attributes.override_redirect = overrideRedirect ? True : False;
    attributes.event_mask = eventMask;
    attributes.bit_gravity = NorthWestGravity;
    return XCreateWindow(display.get(), parent, x, y, unsigned(std::max(width, 1)), unsigned(std::max(height, 1)), 0,
                         display.depth(), InputOutput, display.visual(),
                         CWColormap | CWBorderPixel | CWBackPixmap | CWOverrideRedirect | CWEventMask | CWBitGravity,
                         &attributes);
}

} // namespace VSTGUI
