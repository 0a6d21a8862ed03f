#include "Win32Frame.h"

#include "../CDrawContext.h"
#include "../CFrame.h"
#include "../MouseButtons.h"
#include "AEffGUIEditor.h"
#include "Win32DropTarget.h"
#include "Win32System.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace VSTGUI {

namespace {

char className[64] = {0};
int classUsers = 0;
// Frames that hold msimg32: the blending pointers stay valid while one of them lives.
int blendUsers = 0;

int width(const RECT& r)
{
    return r.right - r.left;
}

int height(const RECT& r)
{
    return r.bottom - r.top;
}

CFrame* frameOf(HWND window)
{
    return reinterpret_cast<CFrame*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

} // namespace

// The pressed button from the message itself (the system has already applied its button swap
// to the message), the other buttons and Shift and Control from its wParam, Alt from the key
// state that goes with the message (not the asynchronous one).
int32_t buttonsOfMessage(UINT message, WPARAM wParam)
{
    int32_t buttons = 0;
    if (message == WM_LBUTTONDOWN || (wParam & MK_LBUTTON) != 0)
        buttons |= MouseLeft;
    if (message == WM_MBUTTONDOWN || (wParam & MK_MBUTTON) != 0)
        buttons |= MouseMiddle;
    if (message == WM_RBUTTONDOWN || (wParam & MK_RBUTTON) != 0)
        buttons |= MouseRight;
    if ((wParam & MK_SHIFT) != 0)
        buttons |= ModShift;
    if ((wParam & MK_CONTROL) != 0)
        buttons |= ModControl;
    if ((GetKeyState(VK_MENU) & 0x8000) != 0)
        buttons |= ModAlt;
    return buttons;
}

PlatformFrame* PlatformFrame::create(CFrame* frame, void* systemWindow, int32_t width, int32_t height)
{
    return new Win32Frame(frame, static_cast<HWND>(systemWindow), width, height);
}

bool Win32Frame::registerWindowClass()
{
    if (classUsers++ > 0)
        return true;
    HINSTANCE instance = win32::moduleInstance();
    std::snprintf(className, sizeof className, "Plugin%p", static_cast<void*>(instance));
    WNDCLASSA windowClass = {};
    windowClass.style = CS_GLOBALCLASS;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = className;
    win32::mouseButtonsSwapped = GetSystemMetrics(SM_SWAPBUTTON) > 0;
    if (RegisterClassA(&windowClass) == 0) {
        classUsers = 0;
        return false;
    }
    return true;
}

void Win32Frame::unregisterWindowClass()
{
    if (classUsers <= 0)
        return;
    if (--classUsers == 0)
        UnregisterClassA(className, win32::moduleInstance());
}

const char* Win32Frame::windowClassName()
{
    return className;
}

Win32Frame::Win32Frame(CFrame* frame, HWND systemWindow, int32_t width, int32_t height) : frame(frame)
{
    const HRESULT ole = OleInitialize(nullptr);
    oleInitialised = SUCCEEDED(ole);
    blendLibrary = win32::loadBlendFunctions();
    if (blendLibrary != nullptr)
        ++blendUsers;
    if (systemWindow == nullptr)
        return;
    classRegistered = registerWindowClass();
    if (!classRegistered)
        return;
    window = CreateWindowExA(0, className, "Window", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                             width, height, systemWindow, nullptr, win32::moduleInstance(), nullptr);
    if (window != nullptr)
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(frame));
}

Win32Frame::~Win32Frame()
{
    revokeDropTarget();
    if (oleInitialised)
        OleUninitialize();
    if (blendLibrary != nullptr) {
        // The last holder takes the pointers with it: nothing may call into a freed library.
        if (--blendUsers == 0) {
            win32::alphaBlend = nullptr;
            win32::transparentBlt = nullptr;
        }
        FreeLibrary(blendLibrary);
    }
    if (window != nullptr) {
        if (IsWindow(window)) {
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            DestroyWindow(window);
        }
        window = nullptr;
    }
    if (classRegistered)
        unregisterWindowClass();
}

LRESULT CALLBACK Win32Frame::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CFrame* frame = frameOf(window);
    if (frame == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_DESTROY:
        frame->windowDestroyed();
        break;
    case WM_PAINT: {
        RECT update;
        if (!GetUpdateRect(window, &update, FALSE))
            break;
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        if (dc != nullptr) {
            CDrawContext* context = new CDrawContext(frame, dc, window);
            frame->drawRect(context,
                            CRect(paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right, paint.rcPaint.bottom));
            context->release();
        }
        EndPaint(window, &paint);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        // The click as the message reports it: a press shorter than the message's wait in the
        // queue is over before it is handled, and the live state would no longer show it.
        // The frame may be gone afterwards (a host closed the window inside the click).
        frame->onMouseDown(CPoint(short(LOWORD(lParam)), short(HIWORD(lParam))), buttonsOfMessage(message, wParam));
        return 0;
    }
    case WM_MOUSEWHEEL: {
        NestedLoopScope scope(frame->getEditor());
        CDrawContext* context = new CDrawContext(frame, nullptr, window);
        const CPoint& origin = context->getWindowOrigin();
        const CPoint where(short(LOWORD(lParam)) - origin.h, short(HIWORD(lParam)) - origin.v);
        const float distance = float(short(HIWORD(wParam)) / 120.0);
        frame->onWheel(context, where, distance);
        context->release();
        break;
    }
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

CPoint Win32Frame::getWindowOrigin()
{
    RECT r;
    if (window == nullptr || !GetWindowRect(window, &r))
        return CPoint();
    return CPoint(r.left, r.top);
}

void Win32Frame::resizeWindow(int32_t width, int32_t height)
{
    if (window != nullptr)
        SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE);
}

bool Win32Frame::resizeWindowChain(int32_t width, int32_t height)
{
    const int border = 2 * GetSystemMetrics(SM_CYDLGFRAME);
    int dx = 0;
    int dy = 0;
    HWND w = window;
    while (border != 0) {
        if (w == nullptr)
            break;
        HWND parent = GetParent(w);
        if (parent == nullptr)
            break;
        char name[1024] = {0};
        GetClassNameA(parent, name, sizeof name);
        if (std::strcmp(name, "MDIClient") == 0)
            break;
        RECT own, outer;
        GetWindowRect(w, &own);
        GetWindowRect(parent, &outer);
        SetWindowPos(w, nullptr, 0, 0, width + dx, height + dy, SWP_NOMOVE);
        dx += ::VSTGUI::width(outer) - ::VSTGUI::width(own);
        dy += ::VSTGUI::height(outer) - ::VSTGUI::height(own);
        if (dx > 80 || dy > 80)
            return false;
        if (dx < 0)
            dx = 0;
        if (dy < 0)
            dy = 0;
        w = parent;
        if (dx == border)
            break;
    }
    if (w != nullptr)
        SetWindowPos(w, nullptr, 0, 0, width + dx, height + dy, SWP_NOMOVE);
    return true;
}

bool Win32Frame::getPosition(int32_t& x, int32_t& y)
{
    if (window == nullptr)
        return false;
    RECT frameRect;
    GetWindowRect(window, &frameRect);
    // The host's window: the first one upwards with a caption, without a parent, or clearly
    // larger than the frame.
    HWND host = window;
    while (host != nullptr) {
        HWND parent = GetParent(host);
        if ((GetWindowLongA(host, GWL_STYLE) & WS_CAPTION) != 0 || parent == nullptr)
            break;
        RECT parentRect;
        GetWindowRect(parent, &parentRect);
        if (std::abs(width(parentRect) - width(frameRect)) > 60 ||
            std::abs(height(parentRect) - height(frameRect)) > 60)
            break;
        host = parent;
    }
    RECT hostRect;
    if (host == nullptr || !GetWindowRect(host, &hostRect))
        return false;
    POINT topLeft = {hostRect.left, hostRect.top};
    MapWindowPoints(nullptr, GetParent(host), &topLeft, 1);
    x = topLeft.x;
    y = topLeft.y;
    return true;
}

bool Win32Frame::getSize(CRect& rect)
{
    HWND w = window != nullptr ? GetParent(window) : nullptr;
    RECT r;
    if (w == nullptr || !GetWindowRect(w, &r))
        return false;
    POINT topLeft = {r.left, r.top};
    HWND parent = GetParent(w);
    MapWindowPoints(nullptr, parent != nullptr ? GetParent(parent) : nullptr, &topLeft, 1);
    rect = CRect(topLeft.x, topLeft.y, topLeft.x + width(r), topLeft.y + height(r));
    return true;
}

void Win32Frame::setCursor(int32_t type)
{
    if (!defaultCursorKnown) {
        defaultCursor = GetCursor();
        defaultCursorKnown = true;
    }
    int system = 0;
    switch (type) {
    case 1:
        system = 32514;
        break; // IDC_WAIT
    case 2:
        system = 32644;
        break; // IDC_SIZEWE
    case 3:
        system = 32645;
        break; // IDC_SIZENS
    case 4:
        system = 32646;
        break; // IDC_SIZEALL
    case 5:
        system = 32643;
        break; // IDC_SIZENESW
    case 6:
        system = 32642;
        break; // IDC_SIZENWSE
    case 8:
        system = 32648;
        break; // IDC_NO
    case 9:
        system = 32649;
        break; // IDC_HAND
    default:
        break;
    }
    SetCursor(system != 0 ? LoadCursorA(nullptr, MAKEINTRESOURCEA(system)) : defaultCursor);
}

void Win32Frame::registerDropTarget(CDropTarget* target)
{
    revokeDropTarget();
    if (window == nullptr || target == nullptr)
        return;
    dropTarget = new Win32DropTarget(target);
    if (RegisterDragDrop(window, dropTarget) != S_OK) {
        dropTarget->detach();
        dropTarget->Release();
        dropTarget = nullptr;
    }
}

void Win32Frame::revokeDropTarget()
{
    if (dropTarget == nullptr)
        return;
    if (window != nullptr && IsWindow(window))
        RevokeDragDrop(window);
    dropTarget->detach();
    dropTarget->Release();
    dropTarget = nullptr;
}

} // namespace VSTGUI
