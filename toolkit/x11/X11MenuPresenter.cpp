#include "X11MenuPresenter.h"

#include "CFrame.h"
#include "X11Frame.h"
#include "X11Painter.h"
#include "cairo/CairoMenuPresenter.h"
#include "platform/PlatformInput.h"

#include <X11/keysym.h>
#include <algorithm>
#include <memory>
#include <vector>

namespace VSTGUI {

namespace {

constexpr int32_t kItemHeight = 20;
constexpr int32_t kSeparatorHeight = 7;
constexpr int32_t kMarkWidth = 20;
constexpr int32_t kArrowWidth = 20;
constexpr int32_t kColumnEntries = 32;

struct Entry {
    const PopupMenuItem* item;
    CRect box; // in the level's window
};

bool selectable(const PopupMenuItem& item)
{
    return !(item.flags & (kMenuItemSeparator | kMenuItemGrayed | kMenuItemDisabled)) &&
        (!(item.flags & kMenuItemPopup) || item.submenu);
}

// One open menu of the chain: its window, picture and entry boxes.
struct Level {
    X11Display& display;
    const PopupMenu& menu;
    std::vector<Entry> entries;
    CRect bounds; // screen
    Window window = 0;
    std::unique_ptr<X11Canvas> canvas;
    cairo_surface_t* image = nullptr;
    int hot = -1;

    Level(X11Display& display, const PopupMenu& menu) : display(display), menu(menu) {}
    ~Level()
    {
        canvas.reset();
        if (window != 0)
            XDestroyWindow(display.get(), window);
        if (image != nullptr)
            cairo_surface_destroy(image);
    }

    void layout(CPoint at, int32_t avoidLeft)
    {
        cairo_surface_t* probe = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
        cairo_t* cr = cairo_create(probe);
        std::vector<int32_t> columnWidths;
        int32_t x = 1;
        int32_t y = 1;
        int32_t height = 0;
        int32_t inColumn = 0;
        size_t columnStart = 0;
        auto closeColumn = [&]() {
            int32_t w = 60;
            for (size_t i = columnStart; i < entries.size(); ++i)
                w = std::max(
                    w, int32_t(x11paint::textWidth(cr, entries[i].item->text.c_str())) + kMarkWidth + kArrowWidth);
            for (size_t i = columnStart; i < entries.size(); ++i) {
                entries[i].box.left = x;
                entries[i].box.right = x + w;
            }
            x += w;
            columnStart = entries.size();
        };
        for (const PopupMenuItem& item : menu.items) {
            if (inColumn > 0 && ((item.flags & kMenuItemColumnBreak) || inColumn >= kColumnEntries)) {
                closeColumn();
                y = 1;
                inColumn = 0;
            }
            const int32_t h = (item.flags & kMenuItemSeparator) ? kSeparatorHeight : kItemHeight;
            entries.push_back({&item, CRect(0, y, 0, y + h)});
            y += h;
            height = std::max(height, y);
            ++inColumn;
        }
        closeColumn();
        cairo_destroy(cr);
        cairo_surface_destroy(probe);
        const int32_t width = x + 1;
        height = std::max(height, kItemHeight) + 1;
        // Inside the screen; a submenu that does not fit on the right opens on the left.
        int32_t left = at.h;
        int32_t top = at.v;
        if (left + width > display.screenWidth())
            left = avoidLeft >= 0 ? avoidLeft - width : display.screenWidth() - width;
        if (top + height > display.screenHeight())
            top = display.screenHeight() - height;
        left = std::max(left, 0);
        top = std::max(top, 0);
        bounds = CRect(left, top, left + width, top + height);
    }

    bool show()
    {
        image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, bounds.width(), bounds.height());
        if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS)
            return false;
        window = createPlainWindow(display, display.root(), bounds.left, bounds.top, bounds.width(), bounds.height(),
                                   true, ExposureMask | StructureNotifyMask);
        if (window == 0)
            return false;
        canvas.reset(new X11Canvas(display, window, bounds.width(), bounds.height()));
        paint();
        XMapRaised(display.get(), window);
        XFlush(display.get());
        return true;
    }

    void paint()
    {
        cairo_t* cr = cairo_create(image);
        x11paint::fill(cr, 0, 0, bounds.width(), bounds.height(), x11paint::kBackground);
        x11paint::frameRect(cr, 0, 0, bounds.width(), bounds.height(), x11paint::kBorder);
        for (size_t i = 0; i < entries.size(); ++i) {
            const PopupMenuItem& item = *entries[i].item;
            const CRect& b = entries[i].box;
            if (item.flags & kMenuItemSeparator) {
                x11paint::fill(cr, b.left + 4, b.top + 3, b.width() - 8, 1, x11paint::kDimmed);
                continue;
            }
            const bool lit = int(i) == hot;
            if (lit)
                x11paint::fill(cr, b.left, b.top, b.width(), b.height(), x11paint::kHighlight);
            const uint32_t colour = !selectable(item) ? x11paint::kDimmed
                : lit                                 ? x11paint::kHighlightText
                                                      : x11paint::kText;
            if (item.flags & kMenuItemChecked) {
                // A tick: two strokes.
                cairo_set_source_rgb(cr, ((colour >> 16) & 0xff) / 255.0, ((colour >> 8) & 0xff) / 255.0,
                                     (colour & 0xff) / 255.0);
                cairo_set_line_width(cr, 2);
                cairo_move_to(cr, b.left + 5, b.top + 10);
                cairo_line_to(cr, b.left + 8, b.top + 14);
                cairo_line_to(cr, b.left + 14, b.top + 6);
                cairo_stroke(cr);
            }
            x11paint::text(cr, item.text.c_str(), b.left + kMarkWidth, b.top, b.height(), colour);
            if (item.flags & kMenuItemPopup) {
                cairo_move_to(cr, b.right - 12, b.top + 6);
                cairo_line_to(cr, b.right - 7, b.top + 10);
                cairo_line_to(cr, b.right - 12, b.top + 14);
                cairo_close_path(cr);
                cairo_fill(cr);
            }
        }
        cairo_destroy(cr);
        canvas->present(image, CRect(0, 0, bounds.width(), bounds.height()));
    }

    int entryAt(CPoint screen) const
    {
        const CPoint p(screen.h - bounds.left, screen.v - bounds.top);
        for (size_t i = 0; i < entries.size(); ++i)
            if (entries[i].box.pointInside(p))
                return int(i);
        return -1;
    }

    void setHot(int index)
    {
        if (index == hot)
            return;
        hot = index;
        paint();
    }
};

class MenuSession {
public:
    MenuSession(X11Frame* owner, const PopupMenu& menu, CPoint at)
        : owner(owner), display(owner->getDisplay()), root(*display, menu)
    {
        root.layout(at, -1);
    }

    ~MenuSession()
    {
        Display* d = display->get();
        XUngrabPointer(d, CurrentTime);
        XUngrabKeyboard(d, CurrentTime);
        // The windows go first, then whatever they still had queued.
        std::vector<Window> windows;
        for (const Level* level : allLevels())
            if (level->window != 0)
                windows.push_back(level->window);
        levels.clear();
        openedLevels.clear();
        closedLevels.clear();
        root.canvas.reset();
        if (root.window != 0)
            XDestroyWindow(d, root.window);
        root.window = 0;
        XSync(d, False);
        XEvent event;
        while (XCheckIfEvent(d, &event, &MenuSession::isListed, reinterpret_cast<XPointer>(&windows)))
            ;
        display->syncFailed();
    }

    int32_t run()
    {
        levels.push_back(&root);
        if (!root.show())
            return -1;
        Display* d = display->get();
        // Another client may hold the pointer for a moment: the grab is tried for a while.
        uint32_t lastIdle = platformTicks();
        bool grabbed = false;
        for (int attempt = 0; attempt < 50 && !grabbed; ++attempt) {
            grabbed = XGrabPointer(d, root.window, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                                   GrabModeAsync, GrabModeAsync, None, None, CurrentTime) == GrabSuccess;
            if (!grabbed && !owner->waitWhileModal(lastIdle))
                return -1;
        }
        if (!grabbed)
            return -1;
        XGrabKeyboard(d, root.window, False, GrabModeAsync, GrabModeAsync, CurrentTime);
        while (!done) {
            owner->processOwnEvents(true);
            XEvent event;
            while (!done && XCheckIfEvent(d, &event, &MenuSession::isMenuEvent, reinterpret_cast<XPointer>(this)))
                handle(event);
            if (done)
                break;
            // The editor closed meanwhile: the menu goes with it.
            if (!owner->waitWhileModal(lastIdle))
                return -1;
        }
        return result;
    }

private:
    static Bool isMenuEvent(Display*, XEvent* event, XPointer self)
    {
        const MenuSession* session = reinterpret_cast<const MenuSession*>(self);
        for (const Level* level : session->allLevels())
            if (level->window == event->xany.window)
                return True;
        return False;
    }

    static Bool isListed(Display*, XEvent* event, XPointer list)
    {
        const std::vector<Window>& windows = *reinterpret_cast<const std::vector<Window>*>(list);
        return std::find(windows.begin(), windows.end(), event->xany.window) != windows.end() ? True : False;
    }

    std::vector<const Level*> allLevels() const
    {
        std::vector<const Level*> all;
        all.push_back(&root);
        for (const auto& opened : openedLevels)
            all.push_back(opened.get());
        for (const auto& closed : closedLevels)
            all.push_back(closed.get());
        return all;
    }

    // The deepest open level under the pointer.
    int levelAt(CPoint screen) const
    {
        for (int i = int(levels.size()) - 1; i >= 0; --i)
            if (levels[size_t(i)]->bounds.pointInside(screen))
                return i;
        return -1;
    }

    void closeBelow(int depth)
    {
        while (int(levels.size()) > depth + 1) {
            Level* last = levels.back();
            levels.pop_back();
            // Its events may still be queued; the level goes when the session ends.
            XUnmapWindow(display->get(), last->window);
            for (auto& owned : openedLevels)
                if (owned.get() == last)
                    closedLevels.push_back(std::move(owned));
            openedLevels.erase(std::remove(openedLevels.begin(), openedLevels.end(), nullptr), openedLevels.end());
        }
    }

    void openSubmenu(int depth, int index, bool selectFirst)
    {
        Level* parent = levels[size_t(depth)];
        const PopupMenuItem& item = *parent->entries[size_t(index)].item;
        if (!(item.flags & kMenuItemPopup) || !item.submenu || !selectable(item))
            return;
        closeBelow(depth);
        const CRect& box = parent->entries[size_t(index)].box;
        std::unique_ptr<Level> level(new Level(*display, *item.submenu));
        level->layout(CPoint(parent->bounds.right, parent->bounds.top + box.top - 1), parent->bounds.left);
        if (!level->show())
            return;
        if (selectFirst)
            level->setHot(nextSelectable(*level, -1, 1));
        levels.push_back(level.get());
        openedLevels.push_back(std::move(level));
    }

    static int nextSelectable(const Level& level, int from, int step)
    {
        const int n = int(level.entries.size());
        for (int k = 1; k <= n; ++k) {
            const int i = ((from + step * k) % n + n) % n;
            if (!(level.entries[size_t(i)].item->flags & kMenuItemSeparator))
                return i;
        }
        return -1;
    }

    void choose(int depth, int index)
    {
        const PopupMenuItem& item = *levels[size_t(depth)]->entries[size_t(index)].item;
        if (!selectable(item))
            return;
        if (item.flags & kMenuItemPopup) {
            openSubmenu(depth, index, true);
            return;
        }
        result = item.id;
        done = true;
    }

    void handle(XEvent& event)
    {
        X11Frame::notePointerEvent(event);
        switch (event.type) {
        case Expose:
            for (Level* level : levels)
                if (level->window == event.xexpose.window && event.xexpose.count == 0)
                    level->paint();
            break;
        case MotionNotify: {
            const CPoint p(event.xmotion.x_root, event.xmotion.y_root);
            const int depth = levelAt(p);
            if (depth < 0)
                break;
            Level* level = levels[size_t(depth)];
            const int index = level->entryAt(p);
            if (index < 0 || index == level->hot)
                break;
            level->setHot(index);
            closeBelow(depth);
            openSubmenu(depth, index, false);
            moved = true;
            break;
        }
        case ButtonPress: {
            const CPoint p(event.xbutton.x_root, event.xbutton.y_root);
            if (levelAt(p) < 0) {
                // A click outside dismisses the whole menu.
                result = -1;
                done = true;
            }
            pressedInside = true;
            break;
        }
        case ButtonRelease: {
            const CPoint p(event.xbutton.x_root, event.xbutton.y_root);
            const int depth = levelAt(p);
            if (depth < 0)
                break;
            const int index = levels[size_t(depth)]->entryAt(p);
            // The release of the click that opened the menu chooses only after the pointer moved.
            if (index >= 0 && (moved || pressedInside))
                choose(depth, index);
            break;
        }
        case KeyPress:
            key(XLookupKeysym(&event.xkey, 0));
            break;
        default:
            break;
        }
    }

    void key(KeySym symbol)
    {
        const int depth = int(levels.size()) - 1;
        Level* level = levels.back();
        switch (symbol) {
        case XK_Up:
        case XK_Down:
            level->setHot(
                nextSelectable(*level, level->hot < 0 && symbol == XK_Up ? 0 : level->hot, symbol == XK_Up ? -1 : 1));
            break;
        case XK_Right:
            if (level->hot >= 0)
                openSubmenu(depth, level->hot, true);
            break;
        case XK_Left:
        case XK_Escape:
            if (depth > 0)
                closeBelow(depth - 1);
            else if (symbol == XK_Escape) {
                result = -1;
                done = true;
            }
            break;
        case XK_Return:
        case XK_KP_Enter:
        case XK_space:
            if (level->hot >= 0)
                choose(depth, level->hot);
            break;
        default:
            break;
        }
    }

    X11Frame* owner;
    std::shared_ptr<X11Display> display;
    Level root;
    std::vector<Level*> levels;
    std::vector<std::unique_ptr<Level>> openedLevels;
    std::vector<std::unique_ptr<Level>> closedLevels;
    int32_t result = -1;
    bool done = false;
    bool moved = false;
    bool pressedInside = false;
};

} // namespace

int32_t X11MenuPresenter::popup(const PopupMenu& menu, const PopupPlacement& placement)
{
    X11Frame* owner = X11Frame::fromWindow(placement.window);
    if (owner == nullptr)
        return windowlessMenuPresenter()->popup(menu, placement);
    if (menu.items.empty())
        return -1;
    // The session holds the display: an editor closed meanwhile leaves it usable until the
    // menu's windows are gone.
    std::shared_ptr<X11Display> keep = owner->getDisplay();
    int32_t chosen = -1;
    {
        MenuSession session(owner, menu, placement.position);
        chosen = session.run();
    }
    return chosen;
}

MenuPresenter* MenuPresenter::platformPresenter()
{
    static X11MenuPresenter presenter;
    return &presenter;
}

} // namespace VSTGUI
