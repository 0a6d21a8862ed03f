// Bounded copies into the fixed, NUL-terminated text buffers that hosts and records use.
#pragma once

#include <cstddef>

// Copies at most size - 1 characters of source into target and always terminates it.
// A null target or a size of 0 writes nothing; a null source gives the empty string.
inline void copyText(char* target, const char* source, size_t size)
{
    if (target == nullptr || size == 0)
        return;
    size_t i = 0;
    if (source != nullptr) {
        for (; i + 1 < size && source[i] != '\0'; ++i)
            target[i] = source[i];
    }
    target[i] = '\0';
}
