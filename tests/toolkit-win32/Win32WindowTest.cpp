// The frame window on Windows: the shared window class, the child window, messages turned
// into view calls, resizing through the window chain, cursors, the OLE drop target.
#include "CDragContainer.h"
#include "CDrawContext.h"
#include "CDropTarget.h"
#include "CFrame.h"
#include "Win32DropTarget.h"
#include "Win32Frame.h"
#include "Win32System.h"
#include "Win32TestSupport.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <vector>

using namespace VSTGUI;
using namespace win32_test;

namespace {

// Records the mouse, wheel and drag calls that reach it.
class RecordingView : public CView {
public:
    explicit RecordingView(const CRect& size, std::vector<std::string>* log) : CView(size), log(log) {}
    void draw(CDrawContext*) override { setDirty(false); }
    void mouse(CDrawContext*, CPoint& where, int32_t buttons) override
    {
        add("mouse", where);
        clickButtons.push_back(buttons);
    }
    bool onWheel(CDrawContext*, const CPoint& where, float distance) override
    {
        add(distance > 0 ? "wheel+" : "wheel-", where);
        lastDistance = distance;
        return true;
    }
    void onDragEnter(CDrawContext*, CDragContainer* drag, const CPoint& where) override
    {
        add("enter", where);
        items = drag != nullptr ? drag->getCount() : -1;
    }
    void onDragLeave(CDrawContext*, CDragContainer*, const CPoint& where) override { add("leave", where); }
    bool onDrop(CDrawContext*, CDragContainer*, const CPoint& where) override
    {
        add("drop", where);
        return false;
    }

    void add(const char* what, const CPoint& where)
    {
        log->push_back(std::string(what) + " " + std::to_string(where.h) + "," + std::to_string(where.v));
    }
    std::vector<std::string>* log;
    float lastDistance = 0;
    int items = 0;
    std::vector<int32_t> clickButtons;
};

// A minimal data object offering text, or files when fileCount > 0.
class DataObject : public IDataObject {
public:
    explicit DataObject(int fileCount) : fileCount(fileCount) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
            *object = this;
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override
    {
        if (fileCount == 0 && format->cfFormat == CF_TEXT) {
            medium->tymed = TYMED_HGLOBAL;
            medium->hGlobal = GlobalAlloc(GMEM_MOVEABLE, 8);
            medium->pUnkForRelease = nullptr;
            return S_OK;
        }
        if (fileCount > 0 && format->cfFormat == CF_HDROP) {
            // DROPFILES followed by "a\0b\0...\0\0".
            const size_t bytes = sizeof(DROPFILES) + size_t(fileCount) * 2 + 1;
            HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
            auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
            drop->pFiles = sizeof(DROPFILES);
            char* names = reinterpret_cast<char*>(drop + 1);
            for (int i = 0; i < fileCount; ++i)
                names[i * 2] = char('a' + i);
            GlobalUnlock(memory);
            medium->tymed = TYMED_HGLOBAL;
            medium->hGlobal = memory;
            medium->pUnkForRelease = nullptr;
            return S_OK;
        }
        return DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

private:
    int fileCount;
};

RECT windowRect(HWND window)
{
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

bool classRegistered(const char* name)
{
    WNDCLASSA info;
    return GetClassInfoA(win32::moduleInstance(), name, &info) != 0;
}

} // namespace

TEST(Win32Window, OneCountedClassForEveryFrame)
{
    HostWindow host(200, 100);
    auto* first = new CFrame(CRect(0, 0, 100, 100), host.get(), nullptr);
    const std::string name = Win32Frame::windowClassName();
    char expected[64];
    std::snprintf(expected, sizeof expected, "Plugin%p", static_cast<void*>(win32::moduleInstance()));
    EXPECT_EQ(name, expected);
    auto* second = new CFrame(CRect(0, 0, 100, 100), host.get(), nullptr);
    HWND window = static_cast<HWND>(first->getWindow());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetParent(window), host.get());
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN),
              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    char title[16] = {0};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "Window");
    delete first;
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(classRegistered(name.c_str()));
    delete second;
    EXPECT_FALSE(classRegistered(name.c_str()));
}

TEST(Win32Window, ClicksAndWheelReachTheViewUnderThePointer)
{
    std::vector<std::string> log;
    HostWindow host(200, 100);
    auto* frame = new CFrame(CRect(0, 0, 200, 100), host.get(), nullptr);
    auto* view = new RecordingView(CRect(50, 20, 150, 80), &log);
    frame->addView(view);
    HWND window = static_cast<HWND>(frame->getWindow());
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 30));
    SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(150, 80)); // edges inclusive
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));  // nothing there
    const RECT r = windowRect(window);
    SendMessageA(window, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-120)), MAKELPARAM(r.left + 70, r.top + 40));
    SendMessageA(window, WM_MOUSEWHEEL, MAKEWPARAM(0, 240), MAKELPARAM(r.left + 70, r.top + 40));
    const std::vector<std::string> expected = {"mouse 60,30", "mouse 150,80", "wheel- 70,40", "wheel+ 70,40"};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(view->lastDistance, 2.0f);
    // The buttons are the message's own, not the live state: no button is really down here,
    // as when a quick tap is over before its message is handled.
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT | MK_CONTROL, MAKELPARAM(60, 30));
    SendMessageA(window, WM_MBUTTONDOWN, MK_MBUTTON | MK_LBUTTON, MAKELPARAM(60, 30));
    const std::vector<int32_t> buttons = {MouseLeft, MouseRight, MouseLeft | ModShift | ModControl,
                                          MouseLeft | MouseMiddle};
    EXPECT_EQ(view->clickButtons, buttons);
    delete frame;
}

TEST(Win32Window, FrameClosesWhenTheHostDestroysItsWindow)
{
    auto* host = new HostWindow(200, 100);
    auto* frame = new CFrame(CRect(0, 0, 200, 100), host->get(), nullptr);
    EXPECT_TRUE(frame->isOpen());
    delete host; // destroys the frame's window with it
    EXPECT_FALSE(frame->isOpen());
    EXPECT_EQ(frame->getSystemWindow(), nullptr);
    EXPECT_FALSE(frame->setSize(300, 200));
    frame->idle();
    delete frame;
}

TEST(Win32Window, SetSizeWithoutHostWalksTheWindowChain)
{
    HostWindow host(200, 100);
    auto* frame = new CFrame(CRect(0, 0, 200, 100), host.get(), nullptr);
    HWND window = static_cast<HWND>(frame->getWindow());
    EXPECT_FALSE(frame->setSize(200, 100)); // the same size
    ASSERT_TRUE(frame->setSize(300, 150));
    const RECT own = windowRect(window);
    EXPECT_EQ(own.right - own.left, 300);
    EXPECT_EQ(own.bottom - own.top, 150);
    // The host grew by the same amount: its client area holds the new frame exactly.
    RECT client;
    GetClientRect(host.get(), &client);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 150);
    CRect size;
    frame->getViewSize(size);
    EXPECT_EQ(size, CRect(0, 0, 300, 150));
    delete frame;
}

TEST(Win32Window, ChainWalkStopsAtALargeDifference)
{
    HostWindow host(400, 300);
    // An intermediate child window much larger than the frame (a host's panel).
    HWND panel = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 400, 300, host.get(), nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    auto* frame = new CFrame(CRect(0, 0, 200, 100), panel, nullptr);
    EXPECT_TRUE(frame->setSize(220, 120));
    const RECT own = windowRect(static_cast<HWND>(frame->getWindow()));
    EXPECT_EQ(own.right - own.left, 220);
    const RECT panelRect = windowRect(panel);
    EXPECT_EQ(panelRect.right - panelRect.left, 400); // untouched
    EXPECT_EQ(panelRect.bottom - panelRect.top, 300);
    delete frame;
    DestroyWindow(panel);
}

TEST(Win32Window, PositionAndSizeOfTheHostWindow)
{
    HostWindow host(200, 100);
    auto* frame = new CFrame(CRect(0, 0, 200, 100), host.get(), nullptr);
    int32_t x = -1, y = -1;
    ASSERT_TRUE(frame->getPosition(x, y));
    const RECT hostRect = windowRect(host.get());
    EXPECT_EQ(x, hostRect.left); // a top-level window: screen coordinates
    EXPECT_EQ(y, hostRect.top);
    CRect size;
    ASSERT_TRUE(frame->getSize(size));
    EXPECT_EQ(size.width(), hostRect.right - hostRect.left);
    EXPECT_EQ(size.height(), hostRect.bottom - hostRect.top);
    delete frame;
}

TEST(Win32Window, CursorTableAndDefault)
{
    HostWindow host(100, 100);
    auto* frame = new CFrame(CRect(0, 0, 100, 100), host.get(), nullptr);
    HCURSOR arrow = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    SetCursor(arrow);
    frame->setCursor(kCursorWait);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)));
    frame->setCursor(kCursorHand);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));
    frame->setCursor(kCursorCopy); // 7: the default
    EXPECT_EQ(GetCursor(), arrow);
    frame->setCursor(kCursorNotAllowed);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, MAKEINTRESOURCEA(32648)));
    delete frame; // puts the default back
    EXPECT_EQ(GetCursor(), arrow);
}

TEST(Win32DragDrop, SystemDragReachesTheViewUnderThePointer)
{
    std::vector<std::string> log;
    HostWindow host(200, 100);
    auto* frame = new CFrame(CRect(0, 0, 200, 100), host.get(), nullptr);
    auto* view = new RecordingView(CRect(50, 20, 150, 80), &log);
    frame->addView(view);
    const RECT r = windowRect(static_cast<HWND>(frame->getWindow()));
    SetCursorPos(r.left + 70, r.top + 40);
    pumpMessages();

    CDropTarget target(frame);
    auto* adapter = new Win32DropTarget(&target);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(adapter->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(unknown, static_cast<IUnknown*>(adapter));
    unknown->Release();
    void* none = &log;
    EXPECT_EQ(adapter->QueryInterface(IID_IDataObject, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);

    DataObject files(3);
    DWORD effect = 99;
    POINTL point = {0, 0};
    EXPECT_EQ(adapter->DragEnter(&files, 0, point, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_MOVE));
    EXPECT_EQ(view->items, 3);
    EXPECT_EQ(adapter->Drop(&files, 0, point, &effect), S_OK);
    EXPECT_EQ(CDropTarget::currentDrag(), nullptr);

    DataObject text(0);
    EXPECT_EQ(adapter->DragEnter(&text, 0, point, &effect), S_OK);
    EXPECT_EQ(view->items, 1);
    EXPECT_EQ(adapter->DragLeave(), S_OK);
    EXPECT_EQ(adapter->DragEnter(nullptr, 0, point, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));

    // Detached, nothing reaches the frame any more.
    adapter->detach();
    const size_t before = log.size();
    EXPECT_EQ(adapter->DragEnter(&text, 0, point, &effect), S_OK);
    EXPECT_EQ(log.size(), before);
    adapter->Release();

    const std::vector<std::string> expected = {"enter 70,40", "drop 70,40", "leave 70,40", "enter 70,40",
                                               "leave 70,40"};
    EXPECT_EQ(log, expected);
    delete frame;
}
