// A test's own look at an X display: the window tree, the pixels a window shows, the server's
// clients and the keyboard focus, on a connection of its own (so it may be used from the thread
// that drives the pointer while another idles an editor). Every wait is bounded.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

// Xlib's types, without its macros (which would clash with what includes this).
struct _XDisplay;

namespace test_support {

using Window = unsigned long;
using XID = unsigned long;

// A mapped window on the screen.
struct Shown {
    Window window = 0;
    int x = 0, y = 0, width = 0, height = 0;
    bool overrideRedirect = false; // a menu
    Window transientFor = 0;       // the window a dialog belongs to
    std::string title;
};

// A rectangle of a window.
struct Area {
    int x, y, width, height;
    bool contains(int px, int py) const { return px >= x && px < x + width && py >= y && py < y + height; }
};

class XObserver {
public:
    XObserver();
    ~XObserver();
    XObserver(const XObserver&) = delete;
    XObserver& operator=(const XObserver&) = delete;

    _XDisplay* display() const { return connection; }
    Window root() const;

    std::vector<Window> children(Window w);
    // The mapped top-level windows, bottom to top.
    std::vector<Shown> topLevels();
    std::vector<Shown> menus();   // override-redirect ones
    std::vector<Shown> windows(); // the others (host windows, dialogs)
    // The mapped top-level window whose title begins with title (0 when there is none).
    Shown find(const std::string& title);
    // The innermost mapped window below w for which match holds (0 when none); its place is
    // relative to its parent.
    Window findBelow(Window w, const std::function<bool(const Shown&)>& match);
    bool viewable(Window w);

    // Pixels 0x00RRGGBB of an area of a window, row by row, each channel scaled to 8 bits from
    // the window's visual (empty when it cannot be read).
    std::vector<uint32_t> grab(Window w, const Area& area);
    // How far a channel of w may be from the 8-bit colour it shows: none at 8 bits or more,
    // half a step of its levels below.
    int channelTolerance(Window w);
    // Whether every open menu has been drawn (its corners show the menus' frame colour): a menu
    // draws only once it holds the pointer and the keyboard.
    bool menusDrawn(size_t count);
    // What differs between an area of w and the same area of a PNG picture of the window (the
    // headless rendering), within the channel tolerance of w and outside the areas skip: a
    // line for each of the first few pixels, then the count; empty when they agree.
    std::string compare(Window w, const Area& area, const std::string& png, const std::vector<Area>& skip = {});
    Window focus();

    // The resource bases of the server's clients, and the client that made w (0 when unknown).
    std::set<XID> clients();
    XID clientOf(Window w);

private:
    _XDisplay* connection = nullptr;
    XID clientMask = 0;
};

// The picture that snapshot (the editor-snapshot program) draws of the opened editor with
// options (separated by spaces), made once per test program; its path.
std::string headlessPicture(const std::string& snapshot, const std::string& options = "");

// The pixels 0x00RRGGBB of an area of a PNG picture, row by row (empty when the file cannot be
// read or is too small); each file is read once.
std::vector<uint32_t> pictureArea(const std::string& png, const Area& area);

} // namespace test_support
