#include "ScriptedMenuPresenter.h"

#include "cairo/CairoMenuPresenter.h"

namespace VSTGUI {

ScriptedMenuPresenter& ScriptedMenuPresenter::instance()
{
    static ScriptedMenuPresenter presenter;
    return presenter;
}

namespace {

// Installed before main, so every pop-up of a program that links this presenter reaches it.
[[maybe_unused]] const bool installedAtStart = (installMenuPresenter(&ScriptedMenuPresenter::instance()), true);

} // namespace

int32_t ScriptedMenuPresenter::popup(const PopupMenu& menu, const PopupPlacement& placement)
{
    shownMenu = menu;
    shownPlacement = placement;
    count++;
    if (!answers.empty()) {
        const int32_t answer = answers.front();
        answers.pop_front();
        return answer;
    }
    if (chooser)
        return chooser(menu, placement);
    return -1;
}

void ScriptedMenuPresenter::reset()
{
    answers.clear();
    chooser = nullptr;
    shownMenu = PopupMenu();
    shownPlacement = PopupPlacement();
    count = 0;
}

int32_t ScriptedMenuPresenter::findId(const PopupMenu& menu, std::initializer_list<const char*> path)
{
    const PopupMenu* current = &menu;
    const char* const* step = path.begin();
    while (step != path.end()) {
        const PopupMenuItem* found = nullptr;
        for (const PopupMenuItem& item : current->items)
            if (!(item.flags & kMenuItemSeparator) && item.text == *step) {
                found = &item;
                break;
            }
        if (found == nullptr)
            return -1;
        if (++step == path.end())
            return (found->flags & kMenuItemPopup) ? -1 : found->id;
        if (!found->submenu)
            return -1;
        current = found->submenu.get();
    }
    return -1;
}

} // namespace VSTGUI
