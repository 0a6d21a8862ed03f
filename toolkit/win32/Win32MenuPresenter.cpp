#include "Win32MenuPresenter.h"

namespace VSTGUI {

HMENU Win32MenuPresenter::createMenu(const PopupMenu& menu)
{
    HMENU handle = CreatePopupMenu();
    if (handle == nullptr)
        return nullptr;
    for (const PopupMenuItem& item : menu.items) {
        if (item.flags & kMenuItemSeparator) {
            AppendMenuA(handle, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        UINT flags = item.flags & (kMenuItemGrayed | kMenuItemDisabled | kMenuItemChecked | kMenuItemColumnBreak);
        UINT_PTR id = UINT_PTR(item.id);
        if (item.flags & kMenuItemPopup) {
            if (!item.submenu)
                continue;
            HMENU sub = createMenu(*item.submenu);
            if (sub == nullptr)
                continue;
            flags |= MF_POPUP;
            id = reinterpret_cast<UINT_PTR>(sub);
        }
        if (!AppendMenuA(handle, flags | MF_STRING, id, item.text.c_str()) && (flags & MF_POPUP))
            DestroyMenu(reinterpret_cast<HMENU>(id));
    }
    return handle;
}

int32_t Win32MenuPresenter::popup(const PopupMenu& menu, const PopupPlacement& placement)
{
    HWND window = static_cast<HWND>(placement.window);
    if (window == nullptr)
        return -1;
    HMENU handle = createMenu(menu);
    if (handle == nullptr)
        return -1;
    int32_t result = -1;
    const UINT flags = placement.rightButton ? TPM_RIGHTBUTTON : 0;
    if (TrackPopupMenu(handle, flags, placement.position.h, placement.position.v, 0, window, nullptr)) {
        MSG message;
        if (PeekMessageA(&message, window, WM_COMMAND, WM_COMMAND, PM_REMOVE) && message.wParam < 0x10000)
            result = int32_t(message.wParam);
    }
    DestroyMenu(handle);
    return result;
}

void Win32MenuPresenter::cancel()
{
    EndMenu();
}

MenuPresenter* MenuPresenter::platformPresenter()
{
    static Win32MenuPresenter presenter;
    return &presenter;
}

} // namespace VSTGUI
