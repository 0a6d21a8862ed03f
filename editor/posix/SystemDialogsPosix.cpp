// Linux has no window of its own for the editor yet: messages and questions are written to
// stderr; a question is answered No and the Save-As prompt is cancelled, so nothing is ever
// written without a user's confirmation.
#include "EditorDialogs.h"

#include <cstdio>

namespace editor {
namespace detail {

bool systemAskQuestion(const char* caption, const char* text)
{
    std::fprintf(stderr, "%s: %s (answered No)\n", caption, text);
    return false;
}

void systemShowInformation(const char* caption, const char* text)
{
    if (caption[0] != '\0')
        std::fprintf(stderr, "%s: ", caption);
    std::fprintf(stderr, "%s\n", text);
}

void systemRunSaveAsDialog(void* ownerWindow, char* buffer)
{
    (void)ownerWindow;
    std::fprintf(stderr, "Save Preset As: no prompt available (cancelled)\n");
    buffer[0] = '\0';
}

} // namespace detail
} // namespace editor
