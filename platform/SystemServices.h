// What each platform implementation provides behind the replaceable services of Platform.h.
#pragma once

#include "Platform.h"

namespace platform {
namespace detail {

Clock& systemClock();
void systemShowError(const char* caption, const char* text);
bool systemProgramFilesFolder(char* out, size_t size);
bool systemUserDataFolder(char* out, size_t size);

} // namespace detail
} // namespace platform
