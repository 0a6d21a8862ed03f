#include "X11Dialogs.h"

#include "CFrame.h"
#include "TextUtf8.h"
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
constexpr long kDialogEvents = ExposureMask | ButtonPressMask | ButtonReleaseMask | Button1MotionMask | KeyPressMask |
    StructureNotifyMask | FocusChangeMask;

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
                wrapLine(std::string(start, size_t(p - start)));
                if (*p == '\0')
                    break;
                start = p + 1;
            }
    }

    ~DialogSession()
    {
        Display* d = display->get();
        closeInputMethod();
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
        window = createPlainWindow(*display, display->root(), x, y, width, height, false, kDialogEvents);
        if (window == 0)
            return false;
        if (withField)
            openInputMethod();
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
            if (anchor != cursor) {
                const double from = textX(cr, std::min(anchor, cursor));
                const double to = textX(cr, std::max(anchor, cursor));
                x11paint::fill(cr, std::floor(from), f.top + 3, std::ceil(to) - std::floor(from), f.height() - 6,
                               x11paint::kHighlight);
            }
            x11paint::text(cr, field.c_str(), f.left + 4, f.top, f.height(), x11paint::kText);
            x11paint::fill(cr, std::floor(textX(cr, cursor)), f.top + 4, 1, f.height() - 8, x11paint::kHighlightText);
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
        // The input method takes the keys that only begin a character (a dead accent, Compose).
        if (XFilterEvent(&event, None))
            return;
        X11Frame::notePointerEvent(event);
        switch (event.type) {
        case MapNotify:
            XSetInputFocus(d, window, RevertToParent, CurrentTime);
            break;
        case FocusIn:
            if (context != nullptr)
                XSetICFocus(context);
            break;
        case FocusOut:
            if (context != nullptr)
                XUnsetICFocus(context);
            break;
        case Expose:
            if (event.xexpose.count == 0)
                paint();
            break;
        case ButtonPress:
            if (event.xbutton.button == Button1) {
                pressed = buttonAt(event.xbutton.x, event.xbutton.y);
                selectingText = withField && fieldBox().pointInside(CPoint(event.xbutton.x, event.xbutton.y));
                if (selectingText) {
                    cursor = positionAt(event.xbutton.x);
                    if (!(event.xbutton.state & ShiftMask))
                        anchor = cursor;
                }
                paint();
            }
            break;
        case MotionNotify:
            if (selectingText && (event.xmotion.state & Button1Mask)) {
                cursor = positionAt(event.xmotion.x);
                paint();
            }
            break;
        case SelectionRequest:
            giveClipboard(event.xselectionrequest);
            break;
        case SelectionNotify:
            takePasted(event.xselection);
            break;
        case SelectionClear:
            clipboard.clear();
            break;
        case ButtonRelease:
            selectingText = false;
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
        std::string typed;
        KeySym symbol = NoSymbol;
        lookUp(event, typed, symbol);
        const bool control = (event.state & ControlMask) != 0;
        const bool shift = (event.state & ShiftMask) != 0;
        if (withField && control && !(event.state & Mod1Mask)) {
            switch (symbol) {
            case XK_a:
            case XK_A:
                anchor = 0;
                cursor = field.size();
                break;
            case XK_c:
            case XK_C:
                copySelection(event.time);
                break;
            case XK_x:
            case XK_X:
                if (copySelection(event.time))
                    replaceSelection(std::string());
                break;
            case XK_v:
            case XK_V:
                paste(event.time);
                break;
            default:
                break;
            }
            if (symbol != XK_Left && symbol != XK_Right && symbol != XK_Home && symbol != XK_End) {
                paint();
                return;
            }
        }
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
        case XK_KP_Right:
        case XK_KP_Left:
            if (!withField) {
                const int step = (symbol == XK_Left || symbol == XK_KP_Left || symbol == XK_ISO_Left_Tab) ? -1 : 1;
                focus = (focus + step + int(buttons.size())) % int(buttons.size());
            } else if (symbol == XK_Left || symbol == XK_KP_Left) {
                moveCursor(anchor != cursor && !shift ? std::min(anchor, cursor) : utf8::previous(field, cursor),
                           shift);
            } else if (symbol == XK_Right || symbol == XK_KP_Right) {
                moveCursor(anchor != cursor && !shift ? std::max(anchor, cursor) : utf8::next(field, cursor), shift);
            }
            break;
        case XK_Home:
        case XK_KP_Home:
            moveCursor(0, shift);
            break;
        case XK_End:
        case XK_KP_End:
            moveCursor(field.size(), shift);
            break;
        case XK_BackSpace:
            if (withField && anchor == cursor)
                anchor = utf8::previous(field, cursor);
            replaceSelection(std::string());
            break;
        case XK_Delete:
        case XK_KP_Delete:
            if (withField && anchor == cursor)
                anchor = utf8::next(field, cursor);
            replaceSelection(std::string());
            break;
        default:
            if (withField && !control && !typed.empty())
                replaceSelection(typed);
            break;
        }
        paint();
    }

    // What the key gives: through the input method, the text it composed in UTF-8 (with the
    // symbol when the key has one); without one, the keysym's own character.
    void lookUp(XKeyEvent& event, std::string& typed, KeySym& symbol)
    {
        char buffer[64] = {};
        if (context != nullptr) {
            Status status = 0;
            const int n = Xutf8LookupString(context, &event, buffer, sizeof buffer - 1, &symbol, &status);
            if (status != XLookupKeySym && status != XLookupBoth)
                symbol = NoSymbol;
            if ((status == XLookupChars || status == XLookupBoth) && n > 0)
                typed.assign(buffer, size_t(n));
            return;
        }
        XLookupString(&event, buffer, sizeof buffer - 1, &symbol, nullptr);
        uint32_t point = 0;
        if ((symbol >= 0x20 && symbol < 0x7f) || (symbol >= 0xa0 && symbol <= 0xff))
            point = uint32_t(symbol);
        else if ((symbol & 0xff000000u) == 0x01000000u)
            point = uint32_t(symbol & 0x00ffffffu);
        if (point != 0)
            utf8::append(typed, point);
    }

    void moveCursor(size_t to, bool extend)
    {
        cursor = std::min(to, field.size());
        if (!extend)
            anchor = cursor;
    }

    // The selection (or nothing at the cursor) replaced by text: its printable characters up
    // to the first line break, as many whole characters as the name's bytes can hold.
    void replaceSelection(const std::string& text)
    {
        if (!withField)
            return;
        const size_t from = std::min(anchor, cursor);
        const size_t to = std::max(anchor, cursor);
        field.erase(from, to - from);
        cursor = anchor = from;
        std::string kept;
        uint32_t point = 0;
        for (size_t i = 0; i < text.size();) {
            const size_t step = utf8::decode(text.data() + i, text.size() - i, point);
            if (step == 0) {
                ++i;
                continue;
            }
            if (point == '\n' || point == '\r')
                break;
            const bool printable = point >= 0x20 && point != 0x7f && !(point >= 0x80 && point < 0xa0);
            if (printable) {
                if (field.size() + kept.size() + step > fieldLimit)
                    break;
                kept.append(text, i, step);
            }
            i += step;
        }
        field.insert(from, kept);
        cursor = anchor = from + kept.size();
    }

    // The field's character boundary nearest to the window's x.
    size_t positionAt(int x)
    {
        cairo_t* cr = cairo_create(image);
        size_t best = 0;
        double bestDistance = 1e9;
        for (size_t p = 0;; p = utf8::next(field, p)) {
            const double distance = std::fabs(textX(cr, p) - x);
            if (distance < bestDistance) {
                bestDistance = distance;
                best = p;
            }
            if (p >= field.size())
                break;
        }
        cairo_destroy(cr);
        return best;
    }

    double textX(cairo_t* cr, size_t position) const
    {
        const std::string before = field.substr(0, position);
        return fieldBox().left + 4 + x11paint::textWidth(cr, before.c_str());
    }

    // The text's lines as drawn: a line wider than a dialog should be is broken after a space
    // or a path separator where it can, else inside its characters.
    void wrapLine(const std::string& line)
    {
        constexpr double kMaxTextWidth = 520;
        cairo_surface_t* probe = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
        cairo_t* cr = cairo_create(probe);
        std::string rest = utf8::displayable(line.data(), line.size());
        while (x11paint::textWidth(cr, rest.c_str()) > kMaxTextWidth) {
            size_t fits = 0;
            size_t breakAfter = 0;
            for (size_t p = utf8::next(rest, 0); p <= rest.size(); p = utf8::next(rest, p)) {
                if (x11paint::textWidth(cr, rest.substr(0, p).c_str()) > kMaxTextWidth)
                    break;
                fits = p;
                if (rest[p - 1] == ' ' || rest[p - 1] == '/' || rest[p - 1] == '\\')
                    breakAfter = p;
                if (p == rest.size())
                    break;
            }
            const size_t cut = breakAfter > 0 ? breakAfter : std::max<size_t>(fits, utf8::next(rest, 0));
            lines.push_back(rest.substr(0, cut));
            rest.erase(0, cut);
        }
        lines.push_back(rest);
        cairo_destroy(cr);
        cairo_surface_destroy(probe);
    }

    // Xlib's own input method (dead keys, Compose), not a method server: a server answers
    // through events on windows of its own, which this dialog does not read. Without a method
    // the keys' symbols are typed as their characters.
    void openInputMethod()
    {
        Display* d = display->get();
        const char* current = XSetLocaleModifiers(nullptr);
        const std::string previous = current != nullptr ? current : "";
        if (XSetLocaleModifiers("@im=none") != nullptr) {
            method = XOpenIM(d, nullptr, nullptr, nullptr);
            XSetLocaleModifiers(previous.c_str());
        }
        if (method == nullptr)
            return;
        context = XCreateIC(method, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow, window,
                            XNFocusWindow, window, nullptr);
        if (context == nullptr) {
            XCloseIM(method);
            method = nullptr;
            return;
        }
        unsigned long filtered = 0;
        if (XGetICValues(context, XNFilterEvents, &filtered, nullptr) == nullptr)
            XSelectInput(d, window, kDialogEvents | long(filtered));
        XSetICFocus(context);
    }

    void closeInputMethod()
    {
        if (context != nullptr)
            XDestroyIC(context);
        if (method != nullptr)
            XCloseIM(method);
        context = nullptr;
        method = nullptr;
    }

    // The clipboard: the dialog owns the CLIPBOARD selection for what it copied (until the
    // dialog closes or another program copies) and asks its owner for text to paste; the
    // answer comes as a SelectionNotify on the dialog's window.
    Atom atom(const char* name) const { return XInternAtom(display->get(), name, False); }

    bool copySelection(Time time)
    {
        if (anchor == cursor)
            return false;
        Display* d = display->get();
        clipboard = field.substr(std::min(anchor, cursor), std::max(anchor, cursor) - std::min(anchor, cursor));
        XSetSelectionOwner(d, atom("CLIPBOARD"), window, time);
        if (XGetSelectionOwner(d, atom("CLIPBOARD")) != window)
            clipboard.clear();
        return true;
    }

    void paste(Time time)
    {
        Display* d = display->get();
        if (XGetSelectionOwner(d, atom("CLIPBOARD")) == window) {
            replaceSelection(clipboard);
            return;
        }
        XConvertSelection(d, atom("CLIPBOARD"), atom("UTF8_STRING"), atom("ORVANNE_PASTE"), window, time);
        pasteTime = time;
    }

    void takePasted(const XSelectionEvent& event)
    {
        Display* d = display->get();
        if (event.selection != atom("CLIPBOARD"))
            return;
        if (event.property == None) {
            // No UTF-8 offered: Latin-1 text, the older form.
            if (event.target == atom("UTF8_STRING"))
                XConvertSelection(d, atom("CLIPBOARD"), XA_STRING, atom("ORVANNE_PASTE"), window, pasteTime);
            return;
        }
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d, window, event.property, 0, 1024, True, AnyPropertyType, &type, &format, &count,
                               &after, &data) != Success)
            return;
        if (data != nullptr && format == 8) {
            const char* bytes = reinterpret_cast<const char*>(data);
            std::string text;
            if (type == XA_STRING) {
                for (unsigned long i = 0; i < count; ++i)
                    utf8::append(text, static_cast<unsigned char>(bytes[i]));
            } else if (type == atom("UTF8_STRING")) {
                text.assign(bytes, count);
            }
            replaceSelection(text);
            paint();
        }
        if (data != nullptr)
            XFree(data);
    }

    void giveClipboard(const XSelectionRequestEvent& request)
    {
        Display* d = display->get();
        XSelectionEvent reply = {};
        reply.type = SelectionNotify;
        reply.display = d;
        reply.requestor = request.requestor;
        reply.selection = request.selection;
        reply.target = request.target;
        reply.time = request.time;
        reply.property = None;
        const Atom property = request.property != None ? request.property : request.target;
        if (request.selection == atom("CLIPBOARD") && !clipboard.empty()) {
            if (request.target == atom("TARGETS")) {
                const Atom offered[3] = {atom("TARGETS"), atom("UTF8_STRING"), XA_STRING};
                XChangeProperty(d, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(offered), 3);
                reply.property = property;
            } else if (request.target == atom("UTF8_STRING") || request.target == XA_STRING) {
                std::string text = clipboard;
                if (request.target == XA_STRING) {
                    text.clear();
                    uint32_t point = 0;
                    for (size_t i = 0; i < clipboard.size();) {
                        const size_t step = utf8::decode(clipboard.data() + i, clipboard.size() - i, point);
                        text += point <= 0xff ? char(point) : '?';
                        i += step > 0 ? step : 1;
                    }
                }
                XChangeProperty(d, request.requestor, property, request.target, 8, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(text.data()), int(text.size()));
                reply.property = property;
            }
        }
        XSendEvent(d, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
        XFlush(d);
    }

    X11Frame* owner;
    std::shared_ptr<X11Display> display;
    const char* caption;
    std::vector<std::string> lines;
    std::vector<const char*> buttons;
    bool withField;
    size_t fieldLimit;
    // The typed name in UTF-8, at most fieldLimit bytes; the cursor and the other end of the
    // selection are byte offsets at character boundaries.
    std::string field;
    size_t cursor = 0;
    size_t anchor = 0;
    bool selectingText = false;
    XIM method = nullptr;
    XIC context = nullptr;
    std::string clipboard;
    Time pasteTime = CurrentTime;
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
