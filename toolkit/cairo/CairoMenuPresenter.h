// The Linux layer's pop-up menu. The layer draws no pop-up of its own yet: its presenter
// dismisses every menu (answers -1) unless another presenter has been installed in its place,
// such as the tests' scripted one or a drawn pop-up.
#pragma once

#include "platform/MenuPresenter.h"

namespace VSTGUI {

// Makes presenter the one platformPresenter answers; null restores the dismissing one. UI
// thread only; presenter must outlive its installation.
void installMenuPresenter(MenuPresenter* presenter);

} // namespace VSTGUI
