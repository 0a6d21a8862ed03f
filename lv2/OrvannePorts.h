// What the LV2 plug-in, its UI and their tests share: the URIs and the port indices the
// bundle's ttl files declare.
#pragma once

#include <cstdint>

namespace orvanne_lv2 {

constexpr const char* kPluginUri = "urn:tarvelle:orvanne";
constexpr const char* kUiUri = "urn:tarvelle:orvanne#ui";
// State key of the 56-byte record that the VST chunk holds too (an atom:Chunk).
constexpr const char* kChunkKeyUri = "urn:tarvelle:orvanne#chunk";

enum Port : uint32_t {
    kPortInLeft = 0,
    kPortInRight = 1,
    kPortOutLeft = 2,
    kPortOutRight = 3,
    // Control inputs, in the parameters' own units.
    kPortInputThres = 4, // dB
    kPortOutCeiling = 5, // dB
    kPortRecovery = 6,   // integer 1..5
    kPortPower = 7,      // toggled: on is the bypass, as the VST parameter
    // Control outputs: the display-ready meter readings (0..1) and the latency in frames.
    kPortMeterOutLeft = 8,
    kPortMeterOutRight = 9,
    kPortMeterOverLeft = 10,
    kPortMeterOverRight = 11,
    kPortGainReduction = 12,
    kPortLatency = 13,
    kPortCount = 14,
};

constexpr uint32_t kFirstControlInput = kPortInputThres;
constexpr uint32_t kControlInputCount = 4;
constexpr uint32_t kFirstMeter = kPortMeterOutLeft;
constexpr uint32_t kMeterCount = 5;

} // namespace orvanne_lv2
