// The Windows dialogs: system message boxes without owner, and the modal Save-As dialog
// (template 1028 in the module that created the owner window). The name typed there is kept
// in the ANSI code page; one that cannot be is refused with the "Preset Not Saved" message.
#include "EditorDialogs.h"

#include "Platform.h"

#include <windows.h>

namespace editor {
namespace detail {

namespace {

// Set by OK when the typed name has characters the ANSI code page cannot hold.
bool nameRefused = false;

// The typed name in the ANSI code page, cut to 31 bytes at a character's end. False when a
// character has no exact equivalent there (no best-fit look-alikes: the name saved would not
// be the name typed).
bool ansiName(const wchar_t* typed, char* buffer)
{
    const UINT codePage = GetACP();
    const bool utf8 = codePage == CP_UTF8;
    BOOL lossy = FALSE;
    char converted[1024] = {};
    const int n = WideCharToMultiByte(codePage, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, typed, -1, converted,
                                      static_cast<int>(sizeof(converted)), nullptr, utf8 ? nullptr : &lossy);
    if (n <= 0 || lossy)
        return false;
    size_t length = 0;
    for (const char* p = converted; *p != '\0';) {
        const char* next = p + 1;
        if (utf8) {
            while ((static_cast<unsigned char>(*next) & 0xc0u) == 0x80u)
                ++next;
        } else if (IsDBCSLeadByteEx(codePage, static_cast<BYTE>(*p)) && p[1] != '\0') {
            next = p + 2;
        }
        if (static_cast<size_t>(next - converted) >= kDialogNameSize)
            break;
        p = next;
        length = static_cast<size_t>(p - converted);
    }
    CopyMemory(buffer, converted, length);
    buffer[length] = '\0';
    return true;
}

INT_PTR CALLBACK saveAsProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    if (message == WM_INITDIALOG) {
        // The user types the name straight away: the field has the focus, not OK (which
        // would close the dialog with an empty name and save nothing).
        HWND field = GetDlgItem(dialog, kSaveAsNameFieldId);
        if (field == nullptr)
            return TRUE;
        SetFocus(field);
        return FALSE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    char* buffer = dialogNameBuffer();
    switch (LOWORD(wParam)) {
    case IDOK: {
        buffer[0] = '\0';
        // The field holds what was typed in full (the dialog is a Unicode window); the name
        // is kept in the ANSI code page, at most 31 bytes and the terminator.
        wchar_t typed[256] = {};
        GetDlgItemTextW(dialog, kSaveAsNameFieldId, typed, static_cast<int>(sizeof(typed) / sizeof(typed[0])));
        if (!ansiName(typed, buffer)) {
            buffer[0] = '\0';
            nameRefused = true;
        }
        EndDialog(dialog, 1);
        return TRUE;
    }
    case IDCANCEL:
        buffer[0] = '\0';
        EndDialog(dialog, 1);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

bool systemAskQuestion(const char* caption, const char* text)
{
    return MessageBoxA(nullptr, text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void systemShowInformation(const char* caption, const char* text)
{
    MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONINFORMATION);
}

void systemShowError(const char* caption, const char* text)
{
    platform::showErrorMessage(caption, text);
}

void systemRunSaveAsDialog(void* ownerWindow, char* buffer)
{
    HWND owner = static_cast<HWND>(ownerWindow);
    HINSTANCE instance = owner != nullptr ? reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE))
                                          : nullptr;
    nameRefused = false;
    // A dialog that cannot be shown counts as cancelled.
    if (DialogBoxParamW(instance, MAKEINTRESOURCEW(kSaveAsDialogId), owner, saveAsProcedure, 0) <= 0)
        buffer[0] = '\0';
    if (nameRefused) {
        nameRefused = false;
        platform::showErrorMessage("Preset Not Saved",
                                   "The preset could not be saved: its name has characters "
                                   "that this system's code page cannot hold.");
    }
}

} // namespace detail
} // namespace editor
