// Which preset names can be file names on every system the presets move between. A name is
// refused when Windows would refuse it, misread it (a ':' names a hidden data stream, a
// trailing dot or space is dropped) or take it for a device, so that a file saved on Linux
// lists on Windows too, and no name is saved under another one.
#pragma once

namespace platform {

// Null when name can be a preset's file name; otherwise why not, as a sentence fragment that
// follows "could not be saved: ".
const char* presetNameRefusal(const char* name);

} // namespace platform
