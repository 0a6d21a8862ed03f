// The pop-up menu of the platform: shows a tree of entries at a screen position, lets the
// user choose one and answers its numeric id. Implemented once per layer.
//
// Contract:
// - The tree is complete before popup is called; ids are unique within it, entries with
//   kMenuItemPopup carry a submenu instead of an id.
// - Flags use the system's own values (Win32 MF_*): grayed entries are shown dimmed and cannot
//   be chosen, disabled ones (titles) cannot be chosen, checked ones carry a mark, a column
//   break starts a new column with this entry, a separator has no text and no id.
// - position is in screen coordinates: the menu's top-left corner. rightButton: the menu also
//   follows the right mouse button (the system's right-button tracking).
// - popup runs modally on the window's thread and answers the chosen id, or -1 when the menu
//   was dismissed (Escape, a click outside) or could not be shown.
// - Win32: native popup menus tracked against the frame window; the choice is read back from
//   the window's WM_COMMAND. X11: drawn by the toolkit in windows of its own (x11/); menus of a
//   window-less frame are dismissed unless a presenter is installed for them
//   (cairo/CairoMenuPresenter.h), as the tests' scripted one is.
#pragma once

#include "../CPoint.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace VSTGUI {

enum : uint32_t {
    kMenuItemGrayed = 0x1,
    kMenuItemDisabled = 0x2,
    kMenuItemChecked = 0x8,
    kMenuItemPopup = 0x10,
    kMenuItemColumnBreak = 0x20,
    kMenuItemSeparator = 0x800
};

struct PopupMenu;

struct PopupMenuItem {
    uint32_t flags = 0;
    int32_t id = -1;                    // -1 for separators and submenu entries
    std::string text;                   // without markers
    std::shared_ptr<PopupMenu> submenu; // with kMenuItemPopup
};

struct PopupMenu {
    std::vector<PopupMenuItem> items;
};

struct PopupPlacement {
    CPoint position;          // screen coordinates of the menu's top-left corner
    bool rightButton = false; // track the right button as well
    void* window = nullptr;   // the native window that owns the menu (Win32: HWND)
};

class MenuPresenter {
public:
    virtual ~MenuPresenter() {}

    // The chosen id, or -1.
    virtual int32_t popup(const PopupMenu& menu, const PopupPlacement& placement) = 0;
    // Called from inside a running popup (the host's idle closed the window): the pop-up ends
    // as if dismissed. Win32: EndMenu.
    virtual void cancel() {}

    // The layer's presenter; process-wide, never null.
    static MenuPresenter* platformPresenter();
};

} // namespace VSTGUI
