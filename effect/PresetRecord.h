// The 56-byte state record: at once the host chunk, a ".prg" preset file and a preset-table entry.
#pragma once

#include <cstdint>

constexpr int kPresetNameSize = 32;
constexpr int kPresetValueCount = 5;

struct PresetRecord {
    int32_t presetTag;                     // 'Orvn' as a little-endian integer: the bytes "nvrO"
    char presetName[kPresetNameSize];      // NUL-terminated, at most 31 characters
    float presetValues[kPresetValueCount]; // normalised values of parameters 0..4
};
static_assert(sizeof(PresetRecord) == 56, "PresetRecord is 56 bytes on every build");
