// How a control input's value becomes the effect's setting, shared by the plug-in and its UI so
// that the editor shows the setting the audio runs with for whatever value a host sends.
#pragma once

#include "OrvannePorts.h"
#include "TarvelleVST.h"

#include <cmath>

namespace orvanne_lv2 {

// The plain setting that value (not NaN, which leaves the setting as it is) of control input
// port gives parameter param: the nearest end of its range, Recovery's nearest step, Power on
// above zero.
inline float controlSetting(CTarvelleVST& effect, VstInt32 param, uint32_t port, float value)
{
    const float min = effect.getParameterMin(param);
    const float max = effect.getParameterMax(param);
    float plain = value < min ? min : (value > max ? max : value);
    if (port == kPortRecovery)
        plain = std::floor(plain + 0.5f); // an integer port: the nearest step
    else if (port == kPortPower)
        plain = value > 0.0f ? max : min; // a toggle: anything above zero is on
    return plain;
}

} // namespace orvanne_lv2
