// orvanne-preset-menu: a Windows host that loads a plug-in as installed, opens its editor in
// a top-level window, presses on the preset name (the press opens the preset menu) and,
// from a timer that runs inside the menu's own loop, prints what the open menu holds:
//   entry Factory Setting
//   folder 01-Gentle Mastering: Acoustic Polish|Open Dynamics|...
// Then it closes the menu and the editor. Exits 1 when the menu never opened (20 s).
//
// usage: orvanne-preset-menu PLUGIN.dll
#include "PluginHost.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// Where the preset name sits in the editor; a press there opens the preset menu.
constexpr int kPresetNameX = 420;
constexpr int kPresetNameY = 9;
constexpr DWORD kLimitMs = 20000;

bool menuRead = false;

std::string itemText(HMENU menu, int position)
{
    char text[256] = {};
    GetMenuStringA(menu, UINT(position), text, sizeof(text), MF_BYPOSITION);
    return text;
}

void printMenu(HMENU menu)
{
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (GetMenuState(menu, UINT(i), MF_BYPOSITION) & MF_SEPARATOR)
            continue;
        if (HMENU sub = GetSubMenu(menu, i)) {
            std::string line = "folder " + itemText(menu, i) + ":";
            for (int j = 0; j < GetMenuItemCount(sub); ++j)
                line += (j == 0 ? " " : "|") + itemText(sub, j);
            std::printf("%s\n", line.c_str());
        } else {
            std::printf("entry %s\n", itemText(menu, i).c_str());
        }
    }
    std::fflush(stdout);
}

// Runs inside TrackPopupMenu's loop once the menu is up.
void CALLBACK readOpenMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND popup = FindWindowA("#32768", nullptr);
    if (popup == nullptr || !IsWindowVisible(popup))
        return;
    HMENU menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
    if (menu == nullptr)
        return;
    KillTimer(nullptr, timer);
    printMenu(menu);
    menuRead = true;
    EndMenu();
}

void pump(vsthost::PluginHost& host)
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    host.dispatch(effEditIdle);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvanne-preset-menu PLUGIN.dll\n");
        return 2;
    }
    std::string error;
    std::unique_ptr<vsthost::PluginHost> host = vsthost::PluginHost::load(argv[1], error);
    if (!host) {
        std::fprintf(stderr, "cannot load %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    host->start(44100.0f, 512);
    ERect* rect = nullptr;
    host->dispatch(effEditGetRect, 0, 0, &rect);
    if (rect == nullptr) {
        std::fprintf(stderr, "no editor rectangle\n");
        return 1;
    }
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "OrvannePresetMenuHost";
    RegisterClassA(&windowClass);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION;
    RECT outer = {0, 0, rect->right - rect->left, rect->bottom - rect->top};
    AdjustWindowRect(&outer, style, FALSE);
    HWND window = CreateWindowA(windowClass.lpszClassName, "Orvanne Preset Menu Host", style, 0, 0,
                                outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
    if (window == nullptr)
        return 1;
    ShowWindow(window, SW_SHOWNORMAL);
    host->dispatch(effEditOpen, 0, 0, window);
    HWND editor = GetWindow(window, GW_CHILD);
    if (editor == nullptr) {
        std::fprintf(stderr, "the editor did not open a window\n");
        return 1;
    }
    SetTimer(nullptr, 0, 50, readOpenMenu);
    PostMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kPresetNameX, kPresetNameY));
    const DWORD start = GetTickCount();
    while (!menuRead && GetTickCount() - start < kLimitMs) {
        pump(*host);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    if (!menuRead)
        std::fprintf(stderr, "the preset menu did not open within %lu s\n", kLimitMs / 1000ul);
    host->dispatch(effEditClose);
    DestroyWindow(window);
    host.reset();
    return menuRead ? 0 : 1;
}
