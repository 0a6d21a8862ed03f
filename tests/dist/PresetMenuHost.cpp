// orvanne-preset-menu: a Windows host that loads a plug-in as installed, opens its editor in
// a top-level window, presses on the preset name (the press opens the preset menu) and,
// from a timer that runs inside the menu's own loop, prints what the open menu holds:
//   entry Factory Setting
//   folder 01-Gentle Mastering: Acoustic Polish|Open Dynamics|...
// Then it closes the menu and the editor. Exits 1 when the menu never opened (20 s).
//
// usage: orvanne-preset-menu PLUGIN.dll
#include "PluginHost.h"
#include "Win32TestSupport.h"

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
    int width = 0, height = 0;
    std::unique_ptr<vsthost::PluginHost> host = win32_test::startEditorHost(argv[1], width, height);
    if (!host)
        return 1;
    HWND window = win32_test::createHostWindow("OrvannePresetMenuHost", "Orvanne Preset Menu Host", DefWindowProcA,
                                               width, height);
    if (window == nullptr)
        return 1;
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
