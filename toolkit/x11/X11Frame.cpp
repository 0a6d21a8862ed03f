#include "X11Frame.h"

#include "AEffGUIEditor.h"
#include "CDrawContext.h"
#include "CFrame.h"
#include "MouseButtons.h"
#include "X11SharedImage.h"
#include "cairo/InputState.h"
#include "platform/PlatformInput.h"

#include <X11/cursorfont.h>
#include <X11/keysym.h>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace VSTGUI {

namespace {

std::vector<X11Frame*> openFrames;
X11Frame* lastActive = nullptr;
// The frame whose control follows the mouse in a nested loop, if any.
X11Frame* trackingFrame = nullptr;
// The frame whose event work runs on its fiber now (null on the host's stack).
X11Frame* runningFrame = nullptr;

constexpr long kFrameEvents = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
    KeyReleaseMask | StructureNotifyMask | EnterWindowMask | LeaveWindowMask;

// Buttons as the Windows layer reports them: X's button 1 left, 2 middle, 3 right.
int32_t buttonsOf(unsigned int state)
{
    int32_t buttons = 0;
    if (state & Button1Mask)
        buttons |= MouseLeft;
    if (state & Button2Mask)
        buttons |= MouseMiddle;
    if (state & Button3Mask)
        buttons |= MouseRight;
    if (state & ShiftMask)
        buttons |= ModShift;
    if (state & ControlMask)
        buttons |= ModControl;
    if (state & Mod1Mask)
        buttons |= ModAlt;
    return buttons;
}

int32_t buttonBit(unsigned int button)
{
    switch (button) {
    case Button1:
        return MouseLeft;
    case Button2:
        return MouseMiddle;
    case Button3:
        return MouseRight;
    default:
        return 0;
    }
}

int32_t modifierBit(KeySym symbol)
{
    switch (symbol) {
    case XK_Shift_L:
    case XK_Shift_R:
        return ModShift;
    case XK_Control_L:
    case XK_Control_R:
        return ModControl;
    case XK_Alt_L:
    case XK_Alt_R:
    case XK_Meta_L:
    case XK_Meta_R:
        return ModAlt;
    default:
        return 0;
    }
}

// Events that name no window: keyboard mapping changes (sent to every client) and extension
// events. The editor's connection is its own, so they are the frame's to take.
bool windowless(const XEvent& event)
{
    return event.type == MappingNotify || event.type == KeymapNotify || event.type >= GenericEvent;
}

// The events of the frame's window and those of none (the menus' and dialogs' windows on the
// same connection take their own).
Bool ownEvent(Display*, XEvent* event, XPointer window)
{
    return windowless(*event) || event->xany.window == *reinterpret_cast<Window*>(window) ? True : False;
}

// Input whose work may wait for the user (a drag, a menu, a dialog): it runs on the fiber.
bool startsWork(const XEvent& event)
{
    return event.type == ButtonPress || event.type == KeyPress || event.type == KeyRelease;
}

} // namespace

PlatformFrame* PlatformFrame::create(CFrame* frame, void* systemWindow, int32_t width, int32_t height)
{
    // X resource ids have their top three bits clear: anything else is not a window id.
    if (systemWindow != nullptr && reinterpret_cast<uintptr_t>(systemWindow) <= 0x1fffffffu) {
        std::string reason;
        PlatformFrame* windowed = X11Frame::create(frame, Window(reinterpret_cast<uintptr_t>(systemWindow)), width,
                                                   height, &reason);
        if (windowed != nullptr)
            return windowed;
        std::fprintf(stderr, "The editor shows no window: %s\n", reason.c_str());
    }
    return new CairoFrame(frame, width, height);
}

X11Frame* X11Frame::create(CFrame* frame, Window parent, int32_t width, int32_t height, std::string* reason)
{
    std::shared_ptr<X11Display> display = X11Display::open(reason);
    if (!display)
        return nullptr;
    const unsigned long mark = display->nextRequest();
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display->get(), parent, &attributes) || display->failedSince(mark)) {
        if (reason != nullptr)
            *reason = "the host's window " + std::to_string(parent) + " is not a window on X display \"" +
                DisplayString(display->get()) + "\"";
        return nullptr;
    }
    const Window window = createPlainWindow(*display, parent, 0, 0, width, height, false, kFrameEvents);
    if (window == 0) {
        if (reason != nullptr)
            *reason = "the X server refused the editor's window in the host's";
        return nullptr;
    }
    return new X11Frame(frame, display, parent, window, width, height);
}

X11Frame::X11Frame(CFrame* frame, std::shared_ptr<X11Display> display, Window parent, Window window, int32_t width,
                   int32_t height)
    : CairoFrame(frame), display(std::move(display)), parent(parent), window(window)
{
    canvas.reset(new X11Canvas(*this->display, window, width, height));
    // The back buffer, made once the display is known: in shared memory if it can be.
    makeImage(width, height);
    XMapWindow(this->display->get(), window);
    XFlush(this->display->get());
    openFrames.push_back(this);
    lastActive = this;
    InputState::liveUpdate = &X11Frame::liveState;
}

X11Frame::~X11Frame()
{
    // Frames are freed on the host's stack, after their suspended work has unwound
    // (endModalStates); the stack a frame's own work runs on is never unmapped under it.
    if (fiber && fiber->isRunning())
        (void)fiber.release();
    openFrames.erase(std::remove(openFrames.begin(), openFrames.end(), this), openFrames.end());
    if (lastActive == this)
        lastActive = openFrames.empty() ? nullptr : openFrames.back();
    if (trackingFrame == this)
        trackingFrame = nullptr;
    if (openFrames.empty())
        InputState::liveUpdate = nullptr;
    Display* d = display->get();
    // The back buffer's segment is detached while the connection still runs (unless a drawing
    // context still holds the picture; the server then lets go when the connection closes).
    if (image != nullptr) {
        cairo_surface_destroy(image);
        image = nullptr;
    }
    canvas.reset();
    if (window != 0) {
        XUndefineCursor(d, window);
        XDestroyWindow(d, window);
    }
    for (Cursor& c : cursors)
        if (c != 0) {
            XFreeCursor(d, c);
            c = 0;
        }
    display->syncFailed();
}

bool X11Frame::alive(const X11Frame* frame)
{
    return frame != nullptr && std::find(openFrames.begin(), openFrames.end(), frame) != openFrames.end();
}

X11Frame* X11Frame::fromWindow(void* handle)
{
    for (X11Frame* f : openFrames)
        if (f->window != 0 && handle == reinterpret_cast<void*>(uintptr_t(f->window)))
            return f;
    return nullptr;
}

X11Frame* X11Frame::active()
{
    return lastActive;
}

cairo_surface_t* X11Frame::createImage(int32_t width, int32_t height)
{
    cairo_surface_t* shared = x11shared::createImage(display, width, height);
    return shared != nullptr ? shared : CairoFrame::createImage(width, height);
}

void* X11Frame::getWindow()
{
    return window != 0 ? reinterpret_cast<void*>(uintptr_t(window)) : nullptr;
}

void X11Frame::imageChanged(const CRect& r)
{
    if (window != 0 && canvas)
        canvas->present(getImage(), r);
}

CPoint X11Frame::getWindowOrigin()
{
    if (window == 0)
        return CPoint();
    if (originKnown)
        return origin;
    int x = 0;
    int y = 0;
    Window child = 0;
    if (!XTranslateCoordinates(display->get(), window, display->root(), 0, 0, &x, &y, &child))
        return CPoint();
    // Kept until an event tells more (every pointer and key event carries the origin, and the
    // pointer position read with it): one round trip, not one per drawing context and idle.
    origin = CPoint(x, y);
    originKnown = true;
    return origin;
}

Window X11Frame::topLevelWindow()
{
    // The host's own top-level window: the outermost ancestor a window manager tracks (it has
    // WM_STATE), not the frame a reparenting manager wraps around it; without a manager, the
    // window under the root.
    Display* d = display->get();
    const Atom wmState = XInternAtom(d, "WM_STATE", True);
    Window w = window != 0 ? window : parent;
    Window client = 0;
    for (;;) {
        if (wmState != None) {
            Atom type = None;
            int format = 0;
            unsigned long count = 0;
            unsigned long after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(d, w, wmState, 0, 0, False, AnyPropertyType, &type, &format, &count, &after,
                                   &data) == Success &&
                type != None)
                client = w;
            if (data != nullptr)
                XFree(data);
        }
        Window root = 0;
        Window up = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(d, w, &root, &up, &children, &count))
            return client != 0 ? client : w;
        if (children != nullptr)
            XFree(children);
        if (up == 0 || up == root)
            return client != 0 ? client : w;
        w = up;
    }
}

void X11Frame::notePointerEvent(const XEvent& event)
{
    InputState& state = InputState::current();
    switch (event.type) {
    case ButtonPress:
        state.position = CPoint(event.xbutton.x_root, event.xbutton.y_root);
        state.buttons = buttonsOf(event.xbutton.state) | buttonBit(event.xbutton.button);
        break;
    case ButtonRelease:
        state.position = CPoint(event.xbutton.x_root, event.xbutton.y_root);
        state.buttons = buttonsOf(event.xbutton.state) & ~buttonBit(event.xbutton.button);
        break;
    case MotionNotify:
        state.position = CPoint(event.xmotion.x_root, event.xmotion.y_root);
        state.buttons = buttonsOf(event.xmotion.state);
        break;
    default:
        break;
    }
}

void X11Frame::resizeWindow(int32_t width, int32_t height)
{
    makeImage(width, height);
    if (window != 0 && width > 0 && height > 0) {
        XResizeWindow(display->get(), window, unsigned(width), unsigned(height));
        XFlush(display->get());
    }
}

bool X11Frame::resizeWindowChain(int32_t width, int32_t height)
{
    // The host did not resize: its window grows with the editor's, as far as X lets it.
    resizeWindow(width, height);
    if (window != 0 && parent != 0 && width > 0 && height > 0) {
        XResizeWindow(display->get(), parent, unsigned(width), unsigned(height));
        XFlush(display->get());
    }
    return true;
}

bool X11Frame::getPosition(int32_t& x, int32_t& y)
{
    XWindowAttributes attributes;
    if (parent == 0 || !XGetWindowAttributes(display->get(), parent, &attributes))
        return false;
    x = attributes.x;
    y = attributes.y;
    return true;
}

bool X11Frame::getSize(CRect& rect)
{
    XWindowAttributes attributes;
    if (parent == 0 || !XGetWindowAttributes(display->get(), parent, &attributes))
        return false;
    rect = CRect(attributes.x, attributes.y, attributes.x + attributes.width, attributes.y + attributes.height);
    return true;
}

void X11Frame::setCursor(int32_t type)
{
    if (type < 0 || type > 9)
        type = 0;
    if (window == 0 || type == cursorType)
        return;
    cursorType = type;
    static const unsigned int shapes[10] = {0,
                                            XC_watch,
                                            XC_sb_h_double_arrow,
                                            XC_sb_v_double_arrow,
                                            XC_fleur,
                                            XC_top_right_corner,
                                            XC_bottom_right_corner,
                                            0,
                                            XC_X_cursor,
                                            XC_hand2};
    Display* d = display->get();
    if (shapes[type] == 0) {
        XUndefineCursor(d, window);
    } else {
        if (cursors[type] == 0)
            cursors[type] = XCreateFontCursor(d, shapes[type]);
        XDefineCursor(d, window, cursors[type]);
    }
    XFlush(d);
}

void X11Frame::processEvents()
{
    if (window == 0 || (fiber && fiber->isRunning()))
        return;
    if (fiber && fiber->isSuspended()) {
        driveFiber(false);
        return;
    }
    if (processing)
        return;
    processOwnEvents(false);
}

X11Frame* X11Frame::running()
{
    return runningFrame;
}

bool X11Frame::runOnFiber(const XEvent& event, bool modal)
{
    if (!fiber)
        fiber.reset(new X11ModalFiber());
    fiberEvent = event;
    fiberEventModal = modal;
    return driveFiber(true);
}

bool X11Frame::driveFiber(bool starting)
{
    // What a close inside the work frees waits until the fiber is back on the host's stack:
    // this frame (and the fiber's stack) may be gone when the scope has left.
    NestedLoopScope scope(frame->getEditor());
    X11Frame* outer = runningFrame;
    runningFrame = this;
    X11ModalFiber* work = fiber.get();
    bool finished = false;
    if (starting) {
        finished = work->start([this] { handleEvent(fiberEvent, fiberEventModal); });
        if (!finished && !work->isSuspended()) {
            // No stack to be had: the work runs here, its loops waiting inside this call.
            runningFrame = outer;
            handleEvent(fiberEvent, fiberEventModal);
            return true;
        }
    } else {
        finished = work->resume();
    }
    runningFrame = outer;
    return finished;
}

bool X11Frame::yieldToHost()
{
    if (!fiber || !fiber->isRunning() || runningFrame != this)
        return false;
    // Closing: the loop ends at its next check, without waiting for another idle.
    if (!frame->isClosing())
        fiber->suspend();
    return true;
}

bool X11Frame::waitWhileModal(uint32_t& lastIdle)
{
    if (fiber && fiber->isRunning() && runningFrame == this) {
        if (frame->isClosing())
            return false;
        fiber->suspend();
        return alive(this) && !frame->isClosing();
    }
    if (!idleWhileModal(this, lastIdle))
        return false;
    display->waitForEvent(10);
    return true;
}

void X11Frame::endModalStates()
{
    // Every wait checks for the close, so one resume normally unwinds it all; the bound keeps
    // a loop that ignored it from holding the host's close.
    for (int pass = 0; pass < 64 && fiber && fiber->isSuspended(); ++pass)
        driveFiber(false);
}

bool X11Frame::idleWhileModal(X11Frame* owner, uint32_t& lastIdle)
{
    constexpr uint32_t kIdleIntervalMs = 30;
    const uint32_t now = platformTicks();
    if (now - lastIdle < kIdleIntervalMs)
        return true;
    lastIdle = now;
    CFrame* frame = owner->getFrame();
    frame->doIdleStuff();
    return alive(owner) && !frame->isClosing();
}

void X11Frame::processOwnEvents(bool modal)
{
    if (window == 0)
        return;
    Display* d = display->get();
    const bool wasProcessing = processing;
    processing = true;
    XEvent event;
    Window own = window;
    // One read of the connection when nothing came (each idle); the search below reads again
    // whenever it finds nothing. While an event's work is suspended, it reads them itself.
    if ((fiber && fiber->isSuspended()) || XEventsQueued(d, QueuedAfterFlush) == 0) {
        processing = wasProcessing;
        return;
    }
    while (XQLength(d) > 0 && XCheckIfEvent(d, &event, ownEvent, reinterpret_cast<XPointer>(&own))) {
        if (windowless(event)) {
            // Keys are looked up in the new mapping from now on; the rest is nobody's.
            if (event.type == MappingNotify)
                XRefreshKeyboardMapping(&event.xmapping);
            continue;
        }
        const X11Frame* self = this;
        if (!modal && startsWork(event) && !(fiber && fiber->isRunning())) {
            const bool finished = runOnFiber(event, modal);
            if (!alive(self))
                return;
            if (!finished) {
                // The work waits for the user: the events after this one are its own.
                processing = wasProcessing;
                return;
            }
            if (window == 0)
                return;
            continue;
        }
        handleEvent(event, modal);
        // The editor may have been closed by what the event did.
        if (!alive(self) || window == 0)
            return;
    }
    processing = wasProcessing;
}

void X11Frame::handleEvent(XEvent& event, bool modal)
{
    InputState& state = InputState::current();
    switch (event.type) {
    case ButtonPress:
    case ButtonRelease:
        origin = CPoint(event.xbutton.x_root - event.xbutton.x, event.xbutton.y_root - event.xbutton.y);
        originKnown = true;
        break;
    case MotionNotify:
        origin = CPoint(event.xmotion.x_root - event.xmotion.x, event.xmotion.y_root - event.xmotion.y);
        originKnown = true;
        break;
    case EnterNotify:
    case LeaveNotify:
        origin = CPoint(event.xcrossing.x_root - event.xcrossing.x, event.xcrossing.y_root - event.xcrossing.y);
        originKnown = true;
        break;
    case KeyPress:
    case KeyRelease:
        if (event.xkey.same_screen) {
            origin = CPoint(event.xkey.x_root - event.xkey.x, event.xkey.y_root - event.xkey.y);
            originKnown = true;
        }
        break;
    case ConfigureNotify:
    case ReparentNotify:
        // Moved within the host's window: asked again when next needed.
        originKnown = false;
        break;
    default:
        break;
    }
    switch (event.type) {
    case Expose: {
        const CRect r(event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                      event.xexpose.y + event.xexpose.height);
        if (!modal && frame->isFirstDraw()) {
            CRect all;
            frame->getViewSize(all);
            frame->drawRect(nullptr, all);
        }
        canvas->present(getImage(), r);
        break;
    }
    case ButtonPress:
        if (modal || trackingDepth > 0)
            break;
        press(event.xbutton);
        break;
    case ButtonRelease:
    case MotionNotify:
        notePointerEvent(event);
        break;
    case EnterNotify:
    case LeaveNotify:
        state.position = CPoint(event.xcrossing.x_root, event.xcrossing.y_root);
        break;
    case KeyPress:
    case KeyRelease:
        if (!modal)
            key(event.xkey);
        break;
    case DestroyNotify:
        if (event.xdestroywindow.window == window) {
            window = 0;
            canvas.reset();
            frame->windowDestroyed();
        }
        break;
    default:
        break;
    }
}

void X11Frame::press(XButtonEvent& event)
{
    InputState& state = InputState::current();
    state.position = CPoint(event.x_root, event.y_root);
    // The press is the first look: a drag over before it is handled still counts from here.
    livePosition = state.position;
    liveButtons = buttonsOf(event.state) | buttonBit(event.button);
    lastActive = this;
    // The keyboard stays with the host unless the click lands on a view that takes keys.
    if (wantsKeyboardAt(event))
        XSetInputFocus(display->get(), window, RevertToParent, event.time);
    const int32_t held = buttonsOf(event.state);
    CPoint where(event.x, event.y);
    if (event.button >= 4 && event.button <= 7) {
        const float distance = (event.button == 4 || event.button == 6) ? 1.0f : -1.0f;
        const int32_t axis = event.button <= 5 ? 1 : 0;
        CDrawContext* context = new CDrawContext(frame, nullptr, getWindow());
        frame->onWheel(context, where, axis, distance);
        context->release();
        return;
    }
    const int32_t buttons = held | buttonBit(event.button);
    state.buttons = buttons;
    X11Frame* outerTracking = trackingFrame;
    trackingFrame = this;
    ++trackingDepth;
    CDrawContext* context = new CDrawContext(frame, nullptr, getWindow());
    frame->mouse(context, where, buttons);
    context->release();
    if (!alive(this))
        return;
    --trackingDepth;
    trackingFrame = outerTracking;
}

bool X11Frame::wantsKeyboardAt(const XButtonEvent& event) const
{
    if (event.button != Button1 || frame->isClosing())
        return false;
    const CView* view = frame->getViewAt(CPoint(event.x, event.y), true);
    return view != nullptr && view->wantsFocus();
}

void X11Frame::key(XKeyEvent& event)
{
    InputState& state = InputState::current();
    // The symbol the keyboard's layout gives with the modifiers held (Shift, AltGr, Lock): a
    // German layout's Shift+7 is a slash, not a seven.
    char typed[8] = {};
    KeySym symbol = NoSymbol;
    XLookupString(&event, typed, sizeof typed - 1, &symbol, nullptr);
    const int32_t modifier = modifierBit(symbol);
    state.buttons = (state.buttons & ~(ModShift | ModControl | ModAlt)) | (buttonsOf(event.state) & ModAnyModifier);
    if (modifier != 0) {
        if (event.type == KeyPress)
            state.buttons |= modifier;
        else
            state.buttons &= ~modifier;
        return;
    }
    VstKeyCode code = {};
    switch (symbol) {
    case XK_Tab:
    case XK_ISO_Left_Tab:
        code.virt = VKEY_TAB;
        break;
    case XK_Left:
        code.virt = VKEY_LEFT;
        break;
    case XK_Right:
        code.virt = VKEY_RIGHT;
        break;
    case XK_Up:
        code.virt = VKEY_UP;
        break;
    case XK_Down:
        code.virt = VKEY_DOWN;
        break;
    case XK_Return:
        code.virt = VKEY_RETURN;
        break;
    case XK_KP_Enter:
        code.virt = VKEY_ENTER;
        break;
    case XK_Escape:
        code.virt = VKEY_ESCAPE;
        break;
    case XK_BackSpace:
        code.virt = VKEY_BACK;
        break;
    case XK_space:
        code.virt = VKEY_SPACE;
        break;
    default:
        // Printable ASCII and Latin-1 keysyms are their characters' code points.
        if ((symbol >= 0x21 && symbol < 0x7f) || (symbol >= 0xa1 && symbol <= 0xff))
            code.character = int32_t(symbol);
        break;
    }
    if (code.virt == 0 && code.character == 0)
        return;
    if (event.state & ShiftMask || symbol == XK_ISO_Left_Tab)
        code.modifier |= MODIFIER_SHIFT;
    if (event.state & ControlMask)
        code.modifier |= MODIFIER_CONTROL;
    if (event.state & Mod1Mask)
        code.modifier |= MODIFIER_ALTERNATE;
    lastActive = this;
    if (event.type == KeyPress)
        frame->onKeyDown(code);
    else
        frame->onKeyUp(code);
}

void X11Frame::liveState(InputState& state)
{
    X11Frame* f = runningFrame != nullptr ? runningFrame : trackingFrame;
    if (f == nullptr || f->window == 0)
        return;
    // Inside a tracking loop: the events that came meanwhile, then the pointer as it is now.
    f->processOwnEvents(false);
    if (!alive(f) || f->window == 0)
        return;
    Window root = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int x = 0;
    int y = 0;
    unsigned int mask = 0;
    if (XQueryPointer(f->display->get(), f->window, &root, &child, &rootX, &rootY, &x, &y, &mask)) {
        const CPoint position(rootX, rootY);
        int32_t buttons = buttonsOf(mask);
        // Between two looks lies a whole idle of the host: a drag that moved on and let go
        // meanwhile is seen where it ended with the button still held, and let go at the next
        // look, so the loop takes the last stretch of the drag before it ends. Only the loop's
        // own looks count: the host's idle also asks (is the user busy?) while the loop waits.
        const bool loopLooks = runningFrame == f || !(f->fiber && f->fiber->isSuspended());
        constexpr int32_t kPointerButtons = MouseLeft | MouseMiddle | MouseRight;
        if (loopLooks) {
            if (position != f->livePosition && (f->liveButtons & kPointerButtons & ~buttons) != 0)
                buttons = (buttons & ~kPointerButtons) | (f->liveButtons & kPointerButtons);
            f->livePosition = position;
            f->liveButtons = buttons;
        }
        state.position = position;
        state.buttons = buttons;
        f->origin = CPoint(rootX - x, rootY - y);
        f->originKnown = true;
    }
}

} // namespace VSTGUI
