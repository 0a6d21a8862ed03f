#include "PresetName.h"

#include <cstring>

namespace platform {

namespace {

char upperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9, in any case, alone or before an
// extension (Windows also drops spaces before the dot: "NUL .prg" is the device too).
bool reservedByWindows(const char* name)
{
    size_t stem = std::strcspn(name, ".");
    while (stem > 0 && name[stem - 1] == ' ')
        --stem;
    char upper[5] = {};
    if (stem < 3 || stem > 4)
        return false;
    for (size_t i = 0; i < stem; ++i)
        upper[i] = upperAscii(name[i]);
    if (stem == 3)
        return std::strcmp(upper, "CON") == 0 || std::strcmp(upper, "PRN") == 0 || std::strcmp(upper, "AUX") == 0 ||
            std::strcmp(upper, "NUL") == 0;
    return (std::strncmp(upper, "COM", 3) == 0 || std::strncmp(upper, "LPT", 3) == 0) && upper[3] >= '1' &&
        upper[3] <= '9';
}

} // namespace

const char* presetNameRefusal(const char* name)
{
    if (name == nullptr || name[0] == '\0')
        return "it has no name";
    for (const char* p = name; *p != '\0'; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c < 0x20 || c == 0x7f)
            return "a name cannot hold control characters";
        if (std::strchr("\\/:*?\"<>|", c) != nullptr)
            return "a name cannot hold any of \\ / : * ? \" < > |";
    }
    const char last = name[std::strlen(name) - 1];
    if (last == '.' || last == ' ')
        return "a name cannot end in a dot or a space";
    if (reservedByWindows(name))
        return "Windows keeps that name for a device";
    return nullptr;
}

} // namespace platform
