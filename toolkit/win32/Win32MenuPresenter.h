// The Windows pop-up menu: native popup menus built from the menu tree, tracked against the
// frame window, the choice read back from the window's WM_COMMAND.
#pragma once

#include "platform/MenuPresenter.h"

#include <windows.h>

namespace VSTGUI {

class Win32MenuPresenter : public MenuPresenter {
public:
    int32_t popup(const PopupMenu& menu, const PopupPlacement& placement) override;
    void cancel() override;

    // The native menu for a tree (submenus included); null when it cannot be made. The caller
    // destroys it with DestroyMenu, which takes the submenus along.
    static HMENU createMenu(const PopupMenu& menu);
};

} // namespace VSTGUI
