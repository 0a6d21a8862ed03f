#include "XObserver.h"

#include "ChildProcess.h"
#include "TempTree.h"
#include "X11Painter.h"

#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>
#include <cairo.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <sstream>

// The per-connection error hook is part of Xlib's interface for extensions. Its header defines
// min and max as macros.
#include <X11/Xlibint.h>
#undef min
#undef max

namespace test_support {

namespace {

// A window the observer looks at may go at any moment (a menu closing): the errors of its own
// requests are dropped on its own connection, without a process-wide handler.
Bool dropError(Display*, XErrorEvent*, xError*)
{
    return False;
}

// A viewable window's place and kind, from its attributes.
Shown describe(Window w, const XWindowAttributes& a)
{
    Shown shown;
    shown.window = w;
    shown.x = a.x;
    shown.y = a.y;
    shown.width = a.width;
    shown.height = a.height;
    shown.overrideRedirect = a.override_redirect;
    return shown;
}

} // namespace

XObserver::XObserver() : connection(XOpenDisplay(nullptr))
{
    if (connection != nullptr)
        for (int code = 1; code < 256; ++code)
            XESetWireToError(connection, code, dropError);
}

XObserver::~XObserver()
{
    if (connection != nullptr)
        XCloseDisplay(connection);
}

Window XObserver::root() const
{
    return DefaultRootWindow(connection);
}

std::vector<Window> XObserver::children(Window w)
{
    std::vector<Window> found;
    Window rootWindow = 0, parent = 0;
    Window* list = nullptr;
    unsigned int count = 0;
    if (XQueryTree(connection, w, &rootWindow, &parent, &list, &count) && list != nullptr)
        found.assign(list, list + count);
    if (list != nullptr)
        XFree(list);
    return found;
}

std::vector<Shown> XObserver::topLevels()
{
    std::vector<Shown> found;
    for (Window w : children(root())) {
        XWindowAttributes a;
        if (!XGetWindowAttributes(connection, w, &a) || a.map_state != IsViewable)
            continue;
        Shown shown = describe(w, a);
        XGetTransientForHint(connection, w, &shown.transientFor);
        char* name = nullptr;
        if (XFetchName(connection, w, &name) && name != nullptr) {
            shown.title = name;
            XFree(name);
        }
        found.push_back(shown);
    }
    return found;
}

std::vector<Shown> XObserver::menus()
{
    std::vector<Shown> found = topLevels();
    found.erase(std::remove_if(found.begin(), found.end(), [](const Shown& s) { return !s.overrideRedirect; }),
                found.end());
    return found;
}

std::vector<Shown> XObserver::windows()
{
    std::vector<Shown> found = topLevels();
    found.erase(std::remove_if(found.begin(), found.end(), [](const Shown& s) { return s.overrideRedirect; }),
                found.end());
    return found;
}

Shown XObserver::find(const std::string& title)
{
    for (const Shown& s : windows())
        if (s.title.compare(0, title.size(), title) == 0)
            return s;
    return Shown();
}

Window XObserver::findBelow(Window w, const std::function<bool(const Shown&)>& match)
{
    Window found = 0;
    for (Window child : children(w)) {
        XWindowAttributes a;
        if (!XGetWindowAttributes(connection, child, &a) || a.map_state != IsViewable)
            continue;
        if (match(describe(child, a)))
            found = child;
        if (const Window inner = findBelow(child, match))
            found = inner;
    }
    return found;
}

bool XObserver::viewable(Window w)
{
    XWindowAttributes a;
    return w != 0 && XGetWindowAttributes(connection, w, &a) && a.map_state == IsViewable;
}

std::vector<uint32_t> XObserver::grab(Window w, const Area& area)
{
    std::vector<uint32_t> pixels;
    XImage* image = XGetImage(connection, w, area.x, area.y, unsigned(area.width), unsigned(area.height), AllPlanes,
                              ZPixmap);
    if (image == nullptr)
        return pixels;
    pixels.reserve(size_t(area.width) * size_t(area.height));
    const unsigned long masks[3] = {image->red_mask, image->green_mask, image->blue_mask};
    for (int y = 0; y < area.height; ++y)
        for (int x = 0; x < area.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            uint32_t rgb = 0;
            for (unsigned long mask : masks) {
                const unsigned long shift = unsigned(__builtin_ctzl(mask));
                const unsigned long top = mask >> shift;
                rgb = (rgb << 8) | uint32_t((((pixel & mask) >> shift) * 255 + top / 2) / top);
            }
            pixels.push_back(rgb);
        }
    XDestroyImage(image);
    return pixels;
}

int XObserver::channelTolerance(Window w)
{
    XWindowAttributes a;
    if (!XGetWindowAttributes(connection, w, &a))
        return 0;
    const Visual* visual = a.visual;
    int bits = 8;
    for (unsigned long mask : {visual->red_mask, visual->green_mask, visual->blue_mask})
        bits = std::min(bits, __builtin_popcountl(mask));
    return bits >= 8 ? 0 : (255 / ((1 << bits) - 1) + 1) / 2;
}

namespace {

bool near(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int((a >> shift) & 0xff) - int((b >> shift) & 0xff)) > tolerance)
            return false;
    return true;
}

} // namespace

bool XObserver::menusDrawn(size_t count)
{
    const std::vector<Shown> open = menus();
    if (open.size() != count)
        return false;
    for (const Shown& menu : open) {
        const int tolerance = channelTolerance(menu.window);
        for (const Area& corner : {Area{0, 0, 1, 1}, Area{menu.width - 1, menu.height - 1, 1, 1}}) {
            const std::vector<uint32_t> pixel = grab(menu.window, corner);
            if (pixel.size() != 1 || !near(pixel[0], VSTGUI::x11paint::kBorder, tolerance))
                return false;
        }
    }
    return true;
}

Window XObserver::focus()
{
    Window w = 0;
    int revert = 0;
    XGetInputFocus(connection, &w, &revert);
    return w;
}

std::set<XID> XObserver::clients()
{
    std::set<XID> bases;
    int count = 0;
    XResClient* list = nullptr;
    if (!XResQueryClients(connection, &count, &list))
        return bases;
    for (int i = 0; i < count; ++i) {
        bases.insert(list[i].resource_base);
        clientMask = list[i].resource_mask;
    }
    XFree(list);
    return bases;
}

XID XObserver::clientOf(Window w)
{
    const std::set<XID> bases = clients();
    return w != 0 && bases.count(w & ~clientMask) != 0 ? (w & ~clientMask) : 0;
}

std::string headlessPicture(const std::string& snapshot, const std::string& options)
{
    static TempTree folder;
    static std::map<std::string, std::string> made;
    static std::mutex guard;
    std::lock_guard<std::mutex> lock(guard);
    auto known = made.find(options);
    if (known != made.end())
        return known->second;
    const std::string path = folder.file("headless" + std::to_string(made.size()) + ".png");
    std::vector<std::string> command{snapshot, path};
    std::istringstream words(options);
    for (std::string word; words >> word;)
        command.push_back(word);
    if (runToEnd(command, 60000) != 0)
        std::fprintf(stderr, "%s %s failed\n", snapshot.c_str(), options.c_str());
    made.emplace(options, path);
    return path;
}

std::vector<uint32_t> pictureArea(const std::string& png, const Area& area)
{
    struct Picture {
        int width = 0, height = 0;
        std::vector<uint32_t> pixels;
    };
    static std::map<std::string, Picture> read;
    static std::mutex guard; // the driving thread and the idling one both compare
    std::lock_guard<std::mutex> lock(guard);
    auto known = read.find(png);
    if (known == read.end()) {
        Picture picture;
        cairo_surface_t* surface = cairo_image_surface_create_from_png(png.c_str());
        if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
            picture.width = cairo_image_surface_get_width(surface);
            picture.height = cairo_image_surface_get_height(surface);
            const unsigned char* data = cairo_image_surface_get_data(surface);
            const int stride = cairo_image_surface_get_stride(surface);
            for (int y = 0; y < picture.height; ++y)
                for (int x = 0; x < picture.width; ++x)
                    picture.pixels.push_back(reinterpret_cast<const uint32_t*>(data + y * stride)[x] & 0xffffffu);
        }
        cairo_surface_destroy(surface);
        known = read.emplace(png, std::move(picture)).first;
    }
    const Picture& picture = known->second;
    std::vector<uint32_t> pixels;
    if (area.x < 0 || area.y < 0 || area.x + area.width > picture.width || area.y + area.height > picture.height)
        return pixels;
    for (int y = area.y; y < area.y + area.height; ++y)
        for (int x = area.x; x < area.x + area.width; ++x)
            pixels.push_back(picture.pixels[size_t(y) * size_t(picture.width) + size_t(x)]);
    return pixels;
}

std::string XObserver::compare(Window w, const Area& area, const std::string& png, const std::vector<Area>& skip)
{
    std::ostringstream out;
    const std::vector<uint32_t> shown = grab(w, area);
    const std::vector<uint32_t> expected = pictureArea(png, area);
    if (shown.empty() || shown.size() != expected.size()) {
        out << "cannot compare " << area.width << "x" << area.height << " pixels of window " << w << " with " << png;
        return out.str();
    }
    const int tolerance = channelTolerance(w);
    int differing = 0;
    for (int y = 0; y < area.height; ++y)
        for (int x = 0; x < area.width; ++x) {
            const int wx = area.x + x, wy = area.y + y;
            if (std::any_of(skip.begin(), skip.end(), [&](const Area& a) { return a.contains(wx, wy); }))
                continue;
            const size_t i = size_t(y) * size_t(area.width) + size_t(x);
            if (!near(shown[i], expected[i], tolerance) && ++differing <= 5)
                out << "pixel " << wx << "," << wy << std::hex << ": window " << shown[i] << ", picture " << expected[i]
                    << std::dec << "\n";
        }
    if (differing > 0)
        out << differing << " pixel(s) differ from " << png;
    return out.str();
}

} // namespace test_support
