#include "X11Display.h"

#include "X11SharedImage.h"

#include <X11/Xproto.h>
#include <X11/extensions/XShm.h>
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <vector>

// The per-connection error hook is part of Xlib's interface for extensions. Its header defines
// min and max as macros.
#include <X11/Xlibint.h>
#undef min
#undef max

namespace VSTGUI {

// What the error hook of one connection keeps. The hook is the connection's own (Xlib's
// per-display conversion of error packets, which may drop an error): nothing process-wide is
// installed, and it goes with the connection.
struct X11ErrorRecord {
    Display* display = nullptr;
    std::atomic<unsigned long> lastFailed{0};
    Bool (*previous[256])(Display*, XErrorEvent*, xError*) = {};
};

namespace {

using WireToError = Bool (*)(Display*, XErrorEvent*, xError*);

// The connections that have the hook, for the hook to find its record in (it may run on
// whichever thread reads the connection).
std::mutex recordsLock;
std::vector<X11ErrorRecord*> records;

Bool onError(Display* display, XErrorEvent* error, xError* wire)
{
    std::lock_guard<std::mutex> lock(recordsLock);
    for (X11ErrorRecord* record : records)
        if (record->display == display) {
            const WireToError previous = record->previous[error->error_code & 0xff];
            if (previous != nullptr)
                previous(display, error, wire);
            unsigned long last = record->lastFailed.load(std::memory_order_relaxed);
            while (error->serial > last &&
                   !record->lastFailed.compare_exchange_weak(last, error->serial, std::memory_order_relaxed)) {}
            return False;
        }
    return True;
}

const char* visualClassName(int visualClass)
{
    static const char* const names[] = {"StaticGray",  "GrayScale", "StaticColor",
                                        "PseudoColor", "TrueColor", "DirectColor"};
    return visualClass >= 0 && visualClass < 6 ? names[visualClass] : "unknown";
}

// The bits of mask, counted and where they start.
void maskBits(unsigned long mask, int& shift, int& bits)
{
    shift = 0;
    bits = 0;
    if (mask == 0)
        return;
    while ((mask & 1) == 0) {
        mask >>= 1;
        ++shift;
    }
    while ((mask & 1) != 0) {
        mask >>= 1;
        ++bits;
    }
}

// The pixel part of every 8-bit level for a channel of the visual (the nearest of its levels).
void channelTable(unsigned long mask, unsigned long* table)
{
    int shift = 0;
    int bits = 0;
    maskBits(mask, shift, bits);
    const unsigned long top = bits > 0 ? (bits >= 32 ? 0xfffffffful : (1ul << bits) - 1) : 0;
    for (unsigned long level = 0; level < 256; ++level)
        table[level] = ((level * top + 127) / 255) << shift;
}

int bitsPerPixel(Display* display, int depth)
{
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
    int bits = 0;
    for (int i = 0; i < count; ++i)
        if (formats[i].depth == depth)
            bits = formats[i].bits_per_pixel;
    if (formats != nullptr)
        XFree(formats);
    return bits;
}

} // namespace

std::shared_ptr<X11Display> X11Display::open(std::string* reason)
{
    auto fail = [reason](const std::string& why) {
        if (reason != nullptr)
            *reason = why;
        return std::shared_ptr<X11Display>();
    };
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        const char* name = XDisplayName(nullptr);
        return fail(name != nullptr && *name != '\0' ? "no X display \"" + std::string(name) + "\" to connect to"
                                                     : std::string("no X display to connect to (DISPLAY is not set)"));
    }
    const int screen = DefaultScreen(display);
    Visual* defaultVisual = DefaultVisual(display, screen);
    // The screen's own visual when it is true colour, else its best true-colour visual.
    XVisualInfo wanted = {};
    wanted.screen = screen;
    wanted.c_class = TrueColor;
    int count = 0;
    XVisualInfo* found = XGetVisualInfo(display, VisualScreenMask | VisualClassMask, &wanted, &count);
    const XVisualInfo* chosen = nullptr;
    for (int i = 0; i < count; ++i) {
        const XVisualInfo& v = found[i];
        if (v.visual == defaultVisual) {
            chosen = &v;
            break;
        }
        const bool plain = v.depth == 24 && v.red_mask == 0xff0000 && v.green_mask == 0xff00 && v.blue_mask == 0xff;
        if (chosen == nullptr || (plain && chosen->depth != 24) || (chosen->depth != 24 && v.depth > chosen->depth))
            chosen = &v;
    }
    if (chosen == nullptr) {
        const std::string why = "the X screen has no true-colour visual to draw the editor with (its own is " +
            std::to_string(DefaultDepth(display, screen)) + "-bit " + visualClassName(defaultVisual->c_class) + ")";
        if (found != nullptr)
            XFree(found);
        XCloseDisplay(display);
        return fail(why);
    }
    std::shared_ptr<X11Display> result(new X11Display());
    result->display = display;
    result->rootWindow = RootWindow(display, screen);
    result->windowVisual = chosen->visual;
    result->windowDepth = chosen->depth;
    result->samePixels = (chosen->depth == 24 || chosen->depth == 32) && chosen->red_mask == 0xff0000 &&
        chosen->green_mask == 0xff00 && chosen->blue_mask == 0xff && bitsPerPixel(display, chosen->depth) == 32;
    channelTable(chosen->red_mask, result->redPixels);
    channelTable(chosen->green_mask, result->greenPixels);
    channelTable(chosen->blue_mask, result->bluePixels);
    XFree(found);
    if (result->windowVisual == defaultVisual) {
        result->windowColormap = DefaultColormap(display, screen);
    } else {
        result->windowColormap = XCreateColormap(display, result->rootWindow, result->windowVisual, AllocNone);
        result->ownColormap = true;
    }
    result->errors.reset(new X11ErrorRecord());
    result->errors->display = display;
    {
        std::lock_guard<std::mutex> lock(recordsLock);
        records.push_back(result->errors.get());
    }
    for (int code = 1; code < 256; ++code)
        result->errors->previous[code] = XESetWireToError(display, code, onError);
    return result;
}

X11Display::~X11Display()
{
    if (display == nullptr)
        return;
    if (ownColormap)
        XFreeColormap(display, windowColormap);
    XSync(display, False);
    // The hook goes with the connection.
    XCloseDisplay(display);
    std::lock_guard<std::mutex> lock(recordsLock);
    records.erase(std::remove(records.begin(), records.end(), errors.get()), records.end());
}

int X11Display::screenWidth() const
{
    return DisplayWidth(display, DefaultScreen(display));
}

int X11Display::screenHeight() const
{
    return DisplayHeight(display, DefaultScreen(display));
}

bool X11Display::failedSince(unsigned long mark)
{
    XSync(display, False);
    return errors->lastFailed.load(std::memory_order_relaxed) >= mark;
}

bool X11Display::syncFailed()
{
    const unsigned long mark = syncedTo;
    syncedTo = NextRequest(display);
    return failedSince(mark);
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
        sharedMemoryState = samePixels && local && XShmQueryExtension(display) ? kUsable : kRefused;
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
    const unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    const int x0 = int(part.left);
    const int y0 = int(part.top);
    const int pw = int(part.width());
    const int ph = int(part.height());
    if (!display.plainPixels()) {
        // Another visual: the part in its pixels (Xlib lays them out as the server wants).
        XImage* picture = XCreateImage(display.get(), display.visual(), unsigned(display.depth()), ZPixmap, 0, nullptr,
                                       unsigned(pw), unsigned(ph), 32, 0);
        if (picture == nullptr)
            return;
        picture->data = static_cast<char*>(malloc(size_t(picture->bytes_per_line) * size_t(ph)));
        if (picture->data == nullptr) {
            XDestroyImage(picture);
            return;
        }
        for (int y = 0; y < ph; ++y) {
            const uint32_t* row = reinterpret_cast<const uint32_t*>(data + (y0 + y) * stride) + x0;
            for (int x = 0; x < pw; ++x) {
                const uint32_t rgb = row[x];
                XPutPixel(picture, x, y,
                          display.redPixels[(rgb >> 16) & 0xff] | display.greenPixels[(rgb >> 8) & 0xff] |
                              display.bluePixels[rgb & 0xff]);
            }
        }
        XPutImage(display.get(), window, gc, picture, 0, 0, x0, y0, unsigned(pw), unsigned(ph));
        XDestroyImage(picture); // frees the pixels too
        XFlush(display.get());
        return;
    }
    XImage picture = {};
    picture.width = w;
    picture.height = h;
    picture.format = ZPixmap;
    picture.data = reinterpret_cast<char*>(const_cast<unsigned char*>(data));
    picture.byte_order = LSBFirst;
    picture.bitmap_unit = 32;
    picture.bitmap_bit_order = LSBFirst;
    picture.bitmap_pad = 32;
    picture.depth = display.depth();
    picture.bytes_per_line = stride;
    picture.bits_per_pixel = 32;
    picture.red_mask = 0xff0000;
    picture.green_mask = 0xff00;
    picture.blue_mask = 0xff;
    if (!XInitImage(&picture))
        return;
    XPutImage(display.get(), window, gc, &picture, x0, y0, x0, y0, unsigned(pw), unsigned(ph));
    XFlush(display.get());
}

Window createPlainWindow(X11Display& display, Window parent, int32_t x, int32_t y, int32_t width, int32_t height,
                         bool overrideRedirect, long eventMask)
{
    XSetWindowAttributes attributes = {};
    attributes.colormap = display.colormap();
    attributes.border_pixel = 0;
    attributes.background_pixmap = None;
    attributes.override_redirect = overrideRedirect ? True : False;
    attributes.event_mask = eventMask;
    attributes.bit_gravity = NorthWestGravity;
    const unsigned long mark = display.nextRequest();
    // An id is always answered: whether the window exists is known once the server has run it.
    const Window window = XCreateWindow(
        display.get(), parent, x, y, unsigned(std::max(width, 1)), unsigned(std::max(height, 1)), 0, display.depth(),
        InputOutput, display.visual(),
        CWColormap | CWBorderPixel | CWBackPixmap | CWOverrideRedirect | CWEventMask | CWBitGravity, &attributes);
    return display.failedSince(mark) ? 0 : window;
}

} // namespace VSTGUI
