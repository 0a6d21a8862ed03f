#include "ScriptedMenuPresenter.h"

#include "x11/X11MenuPresenter.h"

namespace VSTGUI {

ScriptedMenuPresenter& ScriptedMenuPresenter::instance()
{
    // The first use installs it for the menus of window-less frames.
    static ScriptedMenuPresenter presenter;
    static const bool installed = (X11MenuPresenter::setWindowlessPresenter(&presenter), true);
    (void)installed;
    return presenter;
}

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
