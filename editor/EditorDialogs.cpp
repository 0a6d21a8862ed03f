// Routing of the editor's dialogs to the installed presenter or the system, and the
// process-wide name buffer of the Save-As prompt.
#include "EditorDialogs.h"

#include "Platform.h"

#include <cstring>

namespace editor {

namespace {

DialogPresenter* installed = nullptr;
char nameBuffer[kDialogNameSize] = {};

// A message or a question, with empty texts for missing ones, to the installed presenter or
// else to the system.
template <typename Result>
Result present(Result (DialogPresenter::*presented)(const char*, const char*),
               Result (*system)(const char*, const char*), const char* caption, const char* text)
{
    caption = caption != nullptr ? caption : "";
    text = text != nullptr ? text : "";
    if (installed != nullptr)
        return (installed->*presented)(caption, text);
    return system(caption, text);
}

} // namespace

namespace detail {

char* dialogNameBuffer()
{
    return nameBuffer;
}

} // namespace detail

DialogPresenter* setDialogPresenter(DialogPresenter* presenter)
{
    DialogPresenter* previous = installed;
    installed = presenter;
    return previous;
}

bool askQuestion(const char* caption, const char* text)
{
    return present(&DialogPresenter::askQuestion, detail::systemAskQuestion, caption, text);
}

void showInformation(const char* caption, const char* text)
{
    present(&DialogPresenter::showInformation, detail::systemShowInformation, caption, text);
}

void DialogPresenter::showError(const char* caption, const char* text)
{
    platform::showErrorMessage(caption, text);
}

void showError(const char* caption, const char* text)
{
    present(&DialogPresenter::showError, detail::systemShowError, caption, text);
}

void runSaveAsDialog(void* ownerWindow)
{
    if (installed == nullptr) {
        detail::systemRunSaveAsDialog(ownerWindow, nameBuffer);
        return;
    }
    // The same rule as the dialog's own procedure: empty first, then at most 31 characters
    // of the field after OK.
    char typed[256] = {};
    nameBuffer[0] = '\0';
    if (!installed->askName(ownerWindow, typed, sizeof(typed)))
        return;
    typed[sizeof(typed) - 1] = '\0';
    size_t length = std::strlen(typed);
    if (length >= kDialogNameSize)
        length = kDialogNameSize - 1;
    std::memcpy(nameBuffer, typed, length);
    nameBuffer[length] = '\0';
}

const char* dialogName()
{
    return nameBuffer;
}

void openPage(const char* url)
{
    if (url == nullptr)
        return;
    if (installed != nullptr)
        installed->openPage(url);
    else
        platform::openUrl(url);
}

} // namespace editor
