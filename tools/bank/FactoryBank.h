// The factory preset bank: one table (FactoryBank.cpp) from which the build writes the ".prg"
// files and the LV2 bundle's presets.
#pragma once

#include <cstddef>

namespace bank {

struct FactoryPreset {
    const char* folder;  // the task folder under the preset root
    const char* name;    // the file name without ".prg", and the program name (at most 31 characters)
    const char* purpose; // one line for the README
    float inputThresDb;  // Input Thres, -20 .. +20 dB
    float outCeilingDb;  // Out Ceiling, -20 .. +20 dB
    int recovery;        // 1 Ultra-Fast, 2 Fast, 3 Medium, 4 Slow, 5 Ultra-Slow
    bool power;          // on is the bypass
    bool internalUse;
};

extern const FactoryPreset kFactoryBank[];
extern const size_t kFactoryBankSize;

} // namespace bank
