// The Windows dialogs: system message boxes without owner, and the modal Save-As dialog
// (template 1028 in the module that created the owner window).
#include "EditorDialogs.h"

#include <windows.h>

namespace editor {
namespace detail {

namespace {

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
    case IDOK:
        buffer[0] = '\0';
        // At most 31 characters and the terminator.
        GetDlgItemTextA(dialog, kSaveAsNameFieldId, buffer, static_cast<int>(kDialogNameSize));
        buffer[kDialogNameSize - 1] = '\0';
        EndDialog(dialog, 1);
        return TRUE;
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

void systemRunSaveAsDialog(void* ownerWindow, char* buffer)
{
    HWND owner = static_cast<HWND>(ownerWindow);
    HINSTANCE instance = owner != nullptr ? reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE))
                                          : nullptr;
    // A dialog that cannot be shown counts as cancelled.
    if (DialogBoxParamA(instance, MAKEINTRESOURCEA(kSaveAsDialogId), owner, saveAsProcedure, 0) <= 0)
        buffer[0] = '\0';
}

} // namespace detail
} // namespace editor
