// The Save-As dialog (template 1028) under Wine: what a user types straight after it opens
// goes into the name field, and Enter saves it; Escape cancels.
#include "EditorDialogs.h"
#include "Platform.h"
#include "Win32TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// What the dialog looked like when it was found, and what is typed into it then.
struct Typing {
    std::string keys;
    // Typed after keys as UTF-16 characters (what a keyboard of another script gives).
    std::wstring wide;
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
    for (wchar_t c : typing.wide)
        PostMessageW(target, WM_CHAR, WPARAM(c), 1);
    const WPARAM key = typing.escape ? VK_ESCAPE : VK_RETURN;
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, LPARAM(0xC0000001u));
}

std::string runDialog(const std::string& keys, bool escape, const std::wstring& wide = std::wstring())
{
    typing = Typing();
    typing.keys = keys;
    typing.wide = wide;
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

class Errors : public platform::MessagePresenter {
public:
    void showError(const char* caption, const char* text) override
    {
        shown.push_back(std::string(caption) + ": " + text);
    }
    std::vector<std::string> shown;
};

TEST(SaveAsDialog, TheNameIsKeptInTheAnsiCodePageOrRefused)
{
    Errors errors;
    platform::MessagePresenter* saved = platform::setMessagePresenter(&errors);
    // Windows-1252 holds the umlaut and the euro sign; a Cyrillic letter it cannot hold (nor
    // may a look-alike take its place).
    EXPECT_EQ(runDialog("Caf", false, L"\u00e9 \u20ac"), "Caf\xe9 \x80");
    EXPECT_TRUE(errors.shown.empty());
    EXPECT_EQ(runDialog("Bass ", false, L"\u0416\u0151"), "");
    ASSERT_EQ(errors.shown.size(), 1u);
    EXPECT_EQ(errors.shown[0].rfind("Preset Not Saved: ", 0), 0u) << errors.shown[0];
    platform::setMessagePresenter(saved);
}
