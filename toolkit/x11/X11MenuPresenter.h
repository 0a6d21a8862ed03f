// The X11 layer's pop-up menu, drawn by the toolkit in override-redirect windows on the
// editor's display: submenus, columns, check marks, separators, the keyboard and the pointer.
// It answers as the Windows menu does (the chosen id, or -1). A menu of a window-less frame
// goes to the installed window-less presenter (tests install a scripted one), else it is
// dismissed.
#pragma once

#include "platform/MenuPresenter.h"

namespace VSTGUI {

class X11MenuPresenter : public MenuPresenter {
public:
    int32_t popup(const PopupMenu& menu, const PopupPlacement& placement) override;

    // The presenter for frames without a window (null: such menus answer -1).
    static void setWindowlessPresenter(MenuPresenter* presenter);
};

} // namespace VSTGUI
