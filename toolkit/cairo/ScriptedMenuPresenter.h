// The pop-up menu of window-less frames in tests: instead of showing anything it records the
// menu it was given and answers what a test scripted (an id, or a choice made by a function).
// Editors in a real window get the X11 layer's drawn menus.
#pragma once

#include "platform/MenuPresenter.h"

#include <deque>
#include <functional>

namespace VSTGUI {

class ScriptedMenuPresenter : public MenuPresenter {
public:
    int32_t popup(const PopupMenu& menu, const PopupPlacement& placement) override;

    // The process-wide presenter; from its first use on, the one that answers the menus of
    // window-less frames.
    static ScriptedMenuPresenter& instance();

    // Answers for the next pop-ups, first in first out; -1 dismisses the menu. Without a queued
    // answer the chooser is asked, and without one the menu is dismissed.
    void queueAnswer(int32_t id) { answers.push_back(id); }
    std::function<int32_t(const PopupMenu&, const PopupPlacement&)> chooser;

    // What the last pop-up showed.
    const PopupMenu& lastMenu() const { return shownMenu; }
    const PopupPlacement& lastPlacement() const { return shownPlacement; }
    int32_t popupCount() const { return count; }

    void reset();

    // The id of the entry reached by following texts (submenu entries by their text), or -1.
    static int32_t findId(const PopupMenu& menu, std::initializer_list<const char*> path);

private:
    std::deque<int32_t> answers;
    PopupMenu shownMenu;
    PopupPlacement shownPlacement;
    int32_t count = 0;
};

} // namespace VSTGUI
