// The mouse-button and modifier bits handed to every mouse handler.
#pragma once

#include <cstdint>

namespace VSTGUI {

enum : int32_t {
    MouseLeft = 1,
    MouseMiddle = 2,
    MouseRight = 4,
    ModShift = 8,
    ModControl = 16,
    ModAlt = 32,
    ModCommand = 64, // never produced on the supported systems, but part of every modifier mask
    ModAnyModifier = ModShift | ModControl | ModAlt | ModCommand
};

} // namespace VSTGUI
