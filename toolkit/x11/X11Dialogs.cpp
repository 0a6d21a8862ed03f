#include "X11Dialogs.h"

#include "CFrame.h"
#include "X11Frame.h"
#include "X11Painter.h"
#include "platform/PlatformInput.h"

#include <X11/Xatom.h>
#include <X11/keysym.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace VSTGUI {
namespace x11dialog {

namespace {

constexpr int32_t kLineHeight = 18;
constexpr int32_t kButtonWidth = 80;
constexpr int32_t kButtonHeight = 24;
constexpr int32_t kMargin = 16;
constexpr int32_t kFieldHeight = 22;

class DialogSession {
public:
    DialogSession(X11Frame* owner, const char* caption, const char* text, std::vector<const char*> buttons,
                  bool withField, size_t fieldLimit)
        : owner(owner),
          display(owner->getDisplay()),
          caption(caption),
          buttons(std::move(buttons)),
          withField(withField),
          fieldLimit(fieldLimit)
    {
        const char* start = text;
        for (const char* p = text;; ++p)
            if (*p == '\n' || *p == '\0') {
                lines.emplace_back(start, size_t(p - start));
                if (*p == '\0')
                    break;
                start = p + 1;
            }
    }

    ~DialogSession()
    {
        Display* d = display->get();
        canvas.reset();
        if (window != 0) {
            XDestroyWindow(d, window);
            XSync(d, False);
            XEvent event;
            while (XCheckWindowEvent(d, window, ~0L, &event))
                ;
            while (XCheckTypedWindowEvent(d, window, ClientMessage, &event))
                ;
        }
        if (image != nullptr)
            cairo_surface_destroy(image);
        display->syncFailed();
    }

    // The index of the button chosen; the last button for Escape or closing.
    int run(std::string* typed)
    {
        if (!open())
            return -1;
        Display* d = display->get();
        uint32_t lastIdle = platformTicks();
        while (answer < 0) {
            owner->processOwnEvents(true);
            XEvent event;
            while (answer < 0 && XCheckIfEvent(d, &event, &DialogSession::isOwn, reinterpret_cast<XPointer>(&window)))
                handle(event);
            if (answer >= 0)
                break;
            // The editor closed meanwhile: the dialog is cancelled with it.
            if (!owner->waitWhileModal(lastIdle))
                return int(buttons.size()) - 1;
        }
        if (typed != nullptr)
            *typed = field;
        return answer;
    }

private:
    static Bool isOwn(Display*, XEvent* event, XPointer window)
    {
        return event->xany.window == *reinterpret_cast<Window*>(window) ? True : False;
    }

    bool open()
    {
        cairo_surface_t* probe = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
        cairo_t* cr = cairo_create(probe);
        int32_t textWidth = 0;
        for (const std::string& line : lines)
            textWidth = std::max(textWidth, int32_t(x11paint::textWidth(cr, line.c_str())));
        cairo_destroy(cr);
        cairo_surface_destroy(probe);
        width = std::max({300, textWidth + 2 * kMargin, int32_t(buttons.size()) * (kButtonWidth + 10) + 2 * kMargin});
        height = kMargin + int32_t(lines.size()) * kLineHeight + (withField ? kFieldHeight + 10 : 0) + 10 +
            kButtonHeight + kMargin;
        // Centred over the editor.
        const CPoint origin = owner->getWindowOrigin();
        CRect editor;
        owner->getFrame()->getViewSize(editor);
        int32_t x = origin.h + (editor.width() - width) / 2;
        int32_t y = origin.v + (editor.height() - height) / 2;
        x = std::max(0, std::min(x, display->screenWidth() - width));
        y = std::max(0, std::min(y, display->screenHeight() - height));
        image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
        if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS)
            return false;
        Display* d = display->get();
        window = createPlainWindow(*display, display->root(), x, y, width, height, false,
                                   ExposureMask | ButtonPressMask | ButtonReleaseMask | KeyPressMask |
                                       StructureNotifyMask);
        if (window == 0)
            return false;
        canvas.reset(new X11Canvas(*display, window, width, height));
        XStoreName(d, window, caption);
        XSetTransientForHint(d, window, owner->topLevelWindow());
        Atom deleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(d, window, &deleteWindow, 1);
        Atom type = XInternAtom(d, "_NET_WM_WINDOW_TYPE", False);
        Atom dialog = XInternAtom(d, "_NET_WM_WINDOW_TYPE_DIALOG", False);
        XChangeProperty(d, window, type, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&dialog), 1);
        XSizeHints* hints = XAllocSizeHints();
        if (hints != nullptr) {
            hints->flags = PPosition | PMinSize | PMaxSize;
            hints->x = x;
            hints->y = y;
            hints->min_width = hints->max_width = width;
            hints->min_height = hints->max_height = height;
            XSetWMNormalHints(d, window, hints);
            XFree(hints);
        }
        paint();
        XMapRaised(d, window);
        XFlush(d);
        return true;
    }

    CRect buttonBox(size_t i) const
    {
        const int32_t right = width - kMargin - int32_t(buttons.size() - 1 - i) * (kButtonWidth + 10);
        return CRect(right - kButtonWidth, height - kMargin - kButtonHeight, right, height - kMargin);
    }

    CRect fieldBox() const
    {
        const int32_t top = kMargin + int32_t(lines.size()) * kLineHeight + 5;
        return CRect(kMargin, top, width - kMargin, top + kFieldHeight);
    }

    void paint()
    {
        cairo_t* cr = cairo_create(image);
        x11paint::fill(cr, 0, 0, width, height, x11paint::kBackground);
        for (size_t i = 0; i < lines.size(); ++i)
            x11paint::text(cr, lines[i].c_str(), kMargin, kMargin + int32_t(i) * kLineHeight, kLineHeight,
                           x11paint::kText, i == 0 && lines.size() > 1);
        if (withField) {
            const CRect f = fieldBox();
            x11paint::fill(cr, f.left, f.top, f.width(), f.height(), x11paint::kField);
            x11paint::frameRect(cr, f.left, f.top, f.width(), f.height(), x11paint::kHighlight);
            x11paint::text(cr, field.c_str(), f.left + 4, f.top, f.height(), x11paint::kText);
            const std::string before = field.substr(0, cursor);
            const double cx = f.left + 4 + x11paint::textWidth(cr, before.c_str());
            x11paint::fill(cr, std::floor(cx), f.top + 4, 1, f.height() - 8, x11paint::kHighlightText);
        }
        for (size_t i = 0; i < buttons.size(); ++i) {
            const CRect b = buttonBox(i);
            const bool focused = !withField && int(i) == focus;
            x11paint::fill(cr, b.left, b.top, b.width(), b.height(),
                           int(i) == pressed ? x11paint::kHighlight : x11paint::kField);
            x11paint::frameRect(cr, b.left, b.top, b.width(), b.height(),
                                focused || (withField && i == 0) ? x11paint::kHighlightText : x11paint::kBorder);
            const double w = x11paint::textWidth(cr, buttons[i]);
            x11paint::text(cr, buttons[i], b.left + (b.width() - w) / 2, b.top, b.height(), x11paint::kText);
        }
        cairo_destroy(cr);
        canvas->present(image, CRect(0, 0, width, height));
    }

    int buttonAt(int x, int y) const
    {
        for (size_t i = 0; i < buttons.size(); ++i)
            if (buttonBox(i).pointInside(CPoint(x, y)))
                return int(i);
        return -1;
    }

    void handle(XEvent& event)
    {
        Display* d = display->get();
        switch (event.type) {
        case MapNotify:
            XSetInputFocus(d, window, RevertToParent, CurrentTime);
            break;
        case Expose:
            if (event.xexpose.count == 0)
                paint();
            break;
        case ButtonPress:
            if (event.xbutton.button == Button1) {
                pressed = buttonAt(event.xbutton.x, event.xbutton.y);
                paint();
            }
            break;
        case ButtonRelease:
            if (event.xbutton.button == Button1) {
                const int over = buttonAt(event.xbutton.x, event.xbutton.y);
                if (over >= 0 && over == pressed)
                    answer = over;
                pressed = -1;
                paint();
            }
            break;
        case ClientMessage:
            if (event.xclient.format == 32 &&
                Atom(event.xclient.data.l[0]) == XInternAtom(d, "WM_DELETE_WINDOW", False))
                answer = int(buttons.size()) - 1;
            break;
        case KeyPress:
            key(event.xkey);
            break;
        default:
            break;
        }
    }

    void key(XKeyEvent& event)
    {
        char typed[8] = {};
        KeySym symbol = 0;
        const int n = XLookupString(&event, typed, sizeof typed - 1, &symbol, nullptr);
        switch (symbol) {
        case XK_Return:
        case XK_KP_Enter:
            answer = withField ? 0 : focus;
            return;
        case XK_Escape:
            answer = int(buttons.size()) - 1;
            return;
        case XK_Tab:
        case XK_ISO_Left_Tab:
        case XK_Right:
        case XK_Left:
            if (!withField) {
                const int step = (symbol == XK_Left || symbol == XK_ISO_Left_Tab) ? -1 : 1;
                focus = (focus + step + int(buttons.size())) % int(buttons.size());
            } else if (symbol == XK_Left && cursor > 0) {
                --cursor;
            } else if (symbol == XK_Right && cursor < field.size()) {
                ++cursor;
            }
            break;
        case XK_Home:
            cursor = 0;
            break;
        case XK_End:
            cursor = field.size();
            break;
        case XK_BackSpace:
            if (withField && cursor > 0)
                field.erase(--cursor, 1);
            break;
        case XK_Delete:
            if (withField && cursor < field.size())
                field.erase(cursor, 1);
            break;
        default:
            // Printable characters only, as many as the name can hold.
            if (withField && n == 1 && typed[0] >= 0x20 && typed[0] < 0x7f && field.size() < fieldLimit)
                field.insert(cursor++, 1, typed[0]);
            break;
        }
        paint();
    }

    X11Frame* owner;
    std::shared_ptr<X11Display> display;
    const char* caption;
    std::vector<std::string> lines;
    std::vector<const char*> buttons;
    bool withField;
    size_t fieldLimit;
    std::string field;
    size_t cursor = 0;
    int32_t width = 0;
    int32_t height = 0;
    Window window = 0;
    std::unique_ptr<X11Canvas> canvas;
    cairo_surface_t* image = nullptr;
    int focus = 0;
    int pressed = -1;
    int answer = -1;
};

int runDialog(X11Frame* owner, const char* caption, const char* text, std::vector<const char*> buttons, bool withField,
              size_t fieldLimit, std::string* typed)
{
    std::shared_ptr<X11Display> keep = owner->getDisplay();
    DialogSession session(owner, caption, text, std::move(buttons), withField, fieldLimit);
    return session.run(typed);
}

} // namespace

Answer askYesNo(const char* caption, const char* text)
{
    X11Frame* owner = X11Frame::running() != nullptr ? X11Frame::running() : X11Frame::active();
    if (owner == nullptr)
        return kUnavailable;
    const int chosen = runDialog(owner, caption, text, {"Yes", "No"}, false, 0, nullptr);
    if (chosen < 0)
        return kUnavailable;
    return chosen == 0 ? kYes : kNo;
}

Answer showMessage(const char* caption, const char* text)
{
    X11Frame* owner = X11Frame::running() != nullptr ? X11Frame::running() : X11Frame::active();
    if (owner == nullptr)
        return kUnavailable;
    return runDialog(owner, caption, text, {"OK"}, false, 0, nullptr) < 0 ? kUnavailable : kYes;
}

Answer askText(void* ownerWindow, const char* caption, const char* label, char* buffer, size_t size)
{
    if (buffer == nullptr || size == 0)
        return kUnavailable;
    buffer[0] = '\0';
    X11Frame* owner = ownerWindow != nullptr ? X11Frame::fromWindow(ownerWindow) : nullptr;
    if (owner == nullptr)
        owner = X11Frame::running() != nullptr ? X11Frame::running() : X11Frame::active();
    if (owner == nullptr)
        return kUnavailable;
    std::string typed;
    const int chosen = runDialog(owner, caption, label, {"OK", "Cancel"}, true, size - 1, &typed);
    if (chosen < 0)
        return kUnavailable;
    if (chosen != 0)
        return kNo;
    std::memcpy(buffer, typed.data(), typed.size());
    buffer[typed.size()] = '\0';
    return kYes;
}

} // namespace x11dialog
} // namespace VSTGUI
