// The editor's modal conversations with the user: the "Warning" question, the About message,
// the Save-As prompt (dialog resource 1028 on Windows), and opening a web page. Each goes to
// the installed presenter when there is one (tests script them), else to the system: message
// boxes, the dialog and the shell on Windows; stderr and xdg-open on Linux.
#pragma once

#include <cstddef>

namespace editor {

// Identifiers of the Save-As dialog template (resources: Dialogs.rc).
constexpr int kSaveAsDialogId = 1028;
constexpr int kSaveAsNameFieldId = 100;
// Size of the buffer the dialog fills: 31 characters and the terminator.
constexpr size_t kDialogNameSize = 32;

class DialogPresenter {
public:
    virtual ~DialogPresenter() {}
    // A Yes/No question with the question icon; true for Yes.
    virtual bool askQuestion(const char* caption, const char* text) = 0;
    // A message with an OK button and the information icon.
    virtual void showInformation(const char* caption, const char* text) = 0;
    // The Save-As prompt owned by ownerWindow (native, may be null): true when the user pressed
    // OK, with whatever was typed in typed (NUL-terminated, at most size - 1 characters).
    virtual bool askName(void* ownerWindow, char* typed, size_t size) = 0;
    // Opens url in the desktop's browser.
    virtual void openPage(const char* url) = 0;
    // A failure the user must know about (a preset not saved). By default it goes where the
    // platform's error messages go (platform::showErrorMessage).
    virtual void showError(const char* caption, const char* text);
};

// Replaces the presenter (null restores the system one); answers the previous one.
DialogPresenter* setDialogPresenter(DialogPresenter* presenter);

bool askQuestion(const char* caption, const char* text);
void showInformation(const char* caption, const char* text);
// An error message over the editor: the platform's error message box on Windows, a drawn
// message on Linux (stderr when no editor window can show it).
void showError(const char* caption, const char* text);
// Runs the Save-As prompt and leaves its result in the process-wide dialog name buffer:
// the first 31 characters of the typed name after OK, the empty text after Cancel.
void runSaveAsDialog(void* ownerWindow);
// The name the last Save-As prompt left (shared by every editor of the process).
const char* dialogName();
// A null url does nothing; failures are not reported.
void openPage(const char* url);

namespace detail {
// The platform's own implementations.
bool systemAskQuestion(const char* caption, const char* text);
void systemShowInformation(const char* caption, const char* text);
void systemShowError(const char* caption, const char* text);
// Fills buffer (kDialogNameSize bytes) as the dialog procedure does.
void systemRunSaveAsDialog(void* ownerWindow, char* buffer);
char* dialogNameBuffer();
} // namespace detail

} // namespace editor
