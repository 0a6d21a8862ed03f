// The Save-As dialog (template 1028) under Wine: what a user types straight after it opens
// goes into the name field, and Enter saves it; Escape cancels.
#include "EditorDialogs.h"
#include "Win32TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// What the dialog looked like when it was found, and what is typed into it then.
struct Typing {
    std::string keys;
    bool escape = false;
    bool found = false;
    bool nameFieldFocused = false;
};
Typing typing;

// Runs inside the dialog's modal loop: types as a keyboard would, into whatever has the focus.
void CALLBACK typeIntoDialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = FindWindowA(nullptr, "Save Preset As");
    if (dialog == nullptr)
        return;
    KillTimer(nullptr, timer);
    typing.found = true;
    HWND focus = GetFocus();
    typing.nameFieldFocused = focus != nullptr && focus == GetDlgItem(dialog, editor::kSaveAsNameFieldId);
    HWND target = focus != nullptr ? focus : dialog;
    for (char c : typing.keys)
        PostMessageA(target, WM_CHAR, WPARAM(static_cast<unsigned char>(c)), 1);
    const WPARAM key = typing.escape ? VK_ESCAPE : VK_RETURN;
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, LPARAM(0xC0000001u));
}

std::string runDialog(const std::string& keys, bool escape)
{
    typing = Typing();
    typing.keys = keys;
    typing.escape = escape;
    win32_test::HostWindow owner(200, 100);
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, typeIntoDialog);
    editor::runSaveAsDialog(owner.get());
    KillTimer(nullptr, timer);
    return editor::dialogName();
}

} // namespace

TEST(SaveAsDialog, TypingStraightAfterOpeningFillsTheNameAndEnterKeepsIt)
{
    EXPECT_EQ(runDialog("Drum Bus Glue Version 12", false), "Drum Bus Glue Version 12");
    EXPECT_TRUE(typing.found);
    EXPECT_TRUE(typing.nameFieldFocused);

    // Longer names are cut to 31 characters; Escape leaves no name.
    EXPECT_EQ(runDialog(std::string(40, 'n'), false), std::string(31, 'n'));
    EXPECT_EQ(runDialog("Discarded", true), "");
    EXPECT_TRUE(typing.found);
}
