// The frame's Win32 side: OLE and the blending functions for the frame's lifetime, the
// reference-counted window class, the child window in the host's window with its window
// procedure, resizing, the host window search, the cursor and the OLE drop target.
#pragma once

#include "../platform/PlatformFrame.h"

#include <windows.h>

namespace VSTGUI {

class Win32DropTarget;

// The toolkit's buttons and modifiers of a button-down message (WM_LBUTTONDOWN, ...).
int32_t buttonsOfMessage(UINT message, WPARAM wParam);

class Win32Frame : public PlatformFrame {
public:
    Win32Frame(CFrame* frame, HWND systemWindow, int32_t width, int32_t height);
    ~Win32Frame() override;

    void* getWindow() override { return window; }
    CPoint getWindowOrigin() override;
    void resizeWindow(int32_t width, int32_t height) override;
    bool resizeWindowChain(int32_t width, int32_t height) override;
    bool getPosition(int32_t& x, int32_t& y) override;
    bool getSize(CRect& rect) override;
    void setCursor(int32_t type) override;
    void registerDropTarget(CDropTarget* target) override;
    void revokeDropTarget() override;

    // The window class shared by every frame of the process: registered by the first user,
    // unregistered by the last. The name is "Plugin" followed by the module's address.
    static bool registerWindowClass();
    static void unregisterWindowClass();
    static const char* windowClassName();

private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    CFrame* frame;
    HWND window = nullptr;
    bool classRegistered = false;
    bool oleInitialised = false;
    HMODULE blendLibrary = nullptr;
    HCURSOR defaultCursor = nullptr;
    bool defaultCursorKnown = false;
    Win32DropTarget* dropTarget = nullptr;
};

} // namespace VSTGUI
