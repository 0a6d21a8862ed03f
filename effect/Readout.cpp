#include "Readout.h"

#include "TarvelleVST.h"
#include "TextCopy.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// "<name> : +x.x dB" above 0.001 dB, else "<name> : x.x dB".
void formatDecibels(const char* name, float value, char* text)
{
    const double db = static_cast<double>(value) * 40.0 - 20.0;
    char line[64];
    std::snprintf(line, sizeof(line), db > 0.001 ? "%s : +%.1f dB" : "%s : %.1f dB", name, db);
    copyText(text, line, kReadoutTextSize);
}

} // namespace

void formatReadout(float value, char* text, void* userData)
{
    if (text == nullptr)
        return;
    int32_t index = -1;
    if (userData != nullptr)
        std::memcpy(&index, userData, sizeof(index));

    switch (index) {
    case kParamInputThres:
        formatDecibels("Input Thres", value, text);
        break;
    case kParamOutCeiling:
        formatDecibels("Out Ceiling", value, text);
        break;
    case kParamRecovery: {
        static const char* const kModes[] = {
            "Recovery : Ultra-Fast", "Recovery : Fast", "Recovery : Medium", "Recovery : Slow", "Recovery : Ultra-Slow",
        };
        // Checked before the conversion so no value makes it undefined.
        const double steps = static_cast<double>(value) * 4.0;
        if (steps > -1.0 && steps < 5.0)
            copyText(text, kModes[static_cast<int>(steps)], kReadoutTextSize);
        break;
    }
    default:
        text[0] = '\0';
        break;
    }
}
