// The UI module's effect: the real effect without audio, driving the real editor. Its meters
// show the readings the plug-in reports through its output ports instead of its own.
#pragma once

#include "TarvelleVST.h"

class ProxyEffect : public CTarvelleVST {
public:
    using CTarvelleVST::CTarvelleVST;

    // The editor reads the meters through getParameter(11..15), as from the audio effect.
    float getParameter(VstInt32 index) override
    {
        if (index >= kReadingOutLeft && index <= kReadingGainReduction)
            return readings[index - kReadingOutLeft];
        return CTarvelleVST::getParameter(index);
    }

    // A display-ready reading (0..1) for index 11..15; anything not finite shows as 0.
    void setReading(VstInt32 index, float value)
    {
        if (index < kReadingOutLeft || index > kReadingGainReduction)
            return;
        readings[index - kReadingOutLeft] = value >= 0.0f ? (value <= 1.0f ? value : 1.0f) : 0.0f;
    }

private:
    float readings[kReadingGainReduction - kReadingOutLeft + 1] = {};
};
