// Linux: the editor's dialogs, an error too (a preset not saved), are drawn by the toolkit's
// X11 layer over the open editor window. Without one (no display, a window-less editor)
// messages go to stderr, a question is answered No and the Save-As prompt is cancelled, so
// nothing is ever written without a user's confirmation.
#include "EditorDialogs.h"

#include "Platform.h"

#include "x11/X11Dialogs.h"

#include <cstdio>

namespace editor {
namespace detail {

bool systemAskQuestion(const char* caption, const char* text)
{
    const VSTGUI::x11dialog::Answer answer = VSTGUI::x11dialog::askYesNo(caption, text);
    if (answer != VSTGUI::x11dialog::kUnavailable)
        return answer == VSTGUI::x11dialog::kYes;
    std::fprintf(stderr, "%s: %s (answered No)\n", caption, text);
    return false;
}

void systemShowInformation(const char* caption, const char* text)
{
    if (VSTGUI::x11dialog::showMessage(caption[0] != '\0' ? caption : "Orvanne", text) !=
        VSTGUI::x11dialog::kUnavailable)
        return;
    if (caption[0] != '\0')
        std::fprintf(stderr, "%s: ", caption);
    std::fprintf(stderr, "%s\n", text);
}

void systemShowError(const char* caption, const char* text)
{
    if (VSTGUI::x11dialog::showMessage(caption, text) == VSTGUI::x11dialog::kUnavailable)
        platform::showErrorMessage(caption, text);
}

void systemRunSaveAsDialog(void* ownerWindow, char* buffer)
{
    const VSTGUI::x11dialog::Answer answer = VSTGUI::x11dialog::askText(ownerWindow, "Save Preset As",
                                                                        "Preset name:", buffer, kDialogNameSize);
    if (answer != VSTGUI::x11dialog::kUnavailable)
        return;
    std::fprintf(stderr, "Save Preset As: no prompt available (cancelled)\n");
    buffer[0] = '\0';
}

} // namespace detail
} // namespace editor
