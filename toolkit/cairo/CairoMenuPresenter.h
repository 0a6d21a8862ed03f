// The pop-up menu of a frame that has no window of its own (a headless rendering, or a host
// that passed no window): such a menu is dismissed (answers -1) unless another presenter has
// been installed for it, such as the tests' scripted one. Menus of a real window are drawn by
// the X11 layer's presenter (x11/X11MenuPresenter.h), which hands window-less ones here.
#pragma once

#include "platform/MenuPresenter.h"

namespace VSTGUI {

// Makes presenter the one that answers window-less menus; null restores the dismissing one.
// UI thread only; presenter must outlive its installation.
void installMenuPresenter(MenuPresenter* presenter);

// The presenter for menus of a window-less frame.
MenuPresenter* windowlessMenuPresenter();

} // namespace VSTGUI
