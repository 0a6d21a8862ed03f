#include "CairoMenuPresenter.h"

namespace VSTGUI {

namespace {

class DismissingPresenter : public MenuPresenter {
public:
    int32_t popup(const PopupMenu&, const PopupPlacement&) override { return -1; }
};

// Constant-initialised, so installing from another file's static initialiser is safe.
MenuPresenter* installedPresenter = nullptr;

} // namespace

void installMenuPresenter(MenuPresenter* presenter)
{
    installedPresenter = presenter;
}

MenuPresenter* windowlessMenuPresenter()
{
    static DismissingPresenter dismissing;
    return installedPresenter != nullptr ? installedPresenter : &dismissing;
}

} // namespace VSTGUI
