#include "EditorWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <chrono>
#include <poll.h>
#include <thread>

namespace vsthost {

namespace {

Display* asDisplay(void* connection)
{
    return static_cast<Display*>(connection);
}

constexpr int kIdleIntervalMs = 33;

} // namespace

std::unique_ptr<EditorWindow> EditorWindow::open(PluginHost& host, const std::string& title, std::string& error)
{
    AEffect* effect = host.effect();
    if (effect == nullptr || (effect->flags & effFlagsHasEditor) == 0) {
        error = "the plug-in has no editor";
        return nullptr;
    }
    ERect* rect = nullptr;
    host.dispatch(effEditGetRect, 0, 0, &rect);
    const int width = rect != nullptr ? rect->right - rect->left : 0;
    const int height = rect != nullptr ? rect->bottom - rect->top : 0;
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
        error = "the plug-in's editor reports no usable size";
        return nullptr;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        error = "no X display to show the editor on (is DISPLAY set?)";
        return nullptr;
    }
    std::unique_ptr<EditorWindow> result(new EditorWindow());
    result->host = &host;
    result->connection = display;
    result->editorWidth = width;
    result->editorHeight = height;
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attributes = {};
    attributes.background_pixel = BlackPixel(display, screen);
    attributes.event_mask = StructureNotifyMask;
    Window window = XCreateWindow(display, RootWindow(display, screen), 0, 0, unsigned(width), unsigned(height), 0,
                                  CopyFromParent, InputOutput, CopyFromParent, CWBackPixel | CWEventMask, &attributes);
    result->window = window;
    XStoreName(display, window, title.c_str());
    XSizeHints* hints = XAllocSizeHints();
    if (hints != nullptr) {
        hints->flags = PMinSize | PMaxSize;
        hints->min_width = hints->max_width = width;
        hints->min_height = hints->max_height = height;
        XSetWMNormalHints(display, window, hints);
        XFree(hints);
    }
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    result->deleteAtom = deleteWindow;
    XSetWMProtocols(display, window, &deleteWindow, 1);
    XMapWindow(display, window);
    XSync(display, False);
    if (host.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(uintptr_t(window))) == 0) {
        error = "the plug-in's editor did not open";
        return nullptr;
    }
    result->editorOpen = true;
    return result;
}

EditorWindow::~EditorWindow()
{
    close();
    if (connection != nullptr)
        XCloseDisplay(asDisplay(connection));
}

void EditorWindow::close()
{
    if (editorOpen) {
        editorOpen = false;
        host->dispatch(effEditClose);
    }
    if (window != 0 && connection != nullptr) {
        XDestroyWindow(asDisplay(connection), window);
        XSync(asDisplay(connection), False);
    }
    window = 0;
}

bool EditorWindow::step()
{
    if (window == 0)
        return false;
    Display* display = asDisplay(connection);
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ClientMessage && event.xclient.window == window &&
            static_cast<unsigned long>(event.xclient.data.l[0]) == deleteAtom) {
            close();
            return false;
        }
        if (event.type == DestroyNotify && event.xdestroywindow.window == window) {
            window = 0;
            if (editorOpen) {
                editorOpen = false;
                host->dispatch(effEditClose);
            }
            return false;
        }
    }
    if (editorOpen)
        host->dispatch(effEditIdle);
    return window != 0;
}

void EditorWindow::runUntilClosed()
{
    while (step()) {
        pollfd descriptor = {ConnectionNumber(asDisplay(connection)), POLLIN, 0};
        poll(&descriptor, 1, kIdleIntervalMs);
    }
}

void EditorWindow::runFor(int milliseconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end && step())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

} // namespace vsthost
