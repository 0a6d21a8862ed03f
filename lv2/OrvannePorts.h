// What the LV2 plug-in, its UI and their tests share: the URIs and the port indices the
// bundle's ttl files declare.
#pragma once

#include <cstdint>

namespace orvanne_lv2 {

constexpr const char* kPluginUri = "urn:tarvelle:orvanne";
constexpr const char* kUiUri = "urn:tarvelle:orvanne#ui";
// State key of the 56-byte record that the VST chunk holds too (an atom:Chunk).
constexpr const char* kChunkKeyUri = "urn:tarvelle:orvanne#chunk";
// The program name, the one setting no control port holds: the property of the patch:Set and
// patch:Get messages between the UI and the plug-in (its value an atom:String).
constexpr const char* kProgramNameUri = "urn:tarvelle:orvanne#programName";

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
    // Atom sequences: messages in (from the UI) and out (to the UI), both optional.
    kPortControl = 14,
    kPortNotify = 15,
    kPortCount = 16,
};

constexpr uint32_t kFirstControlInput = kPortInputThres;
constexpr uint32_t kControlInputCount = 4;
constexpr uint32_t kFirstMeter = kPortMeterOutLeft;
constexpr uint32_t kMeterCount = 5;
// Ports 0 .. kFloatPortCount - 1 are audio or control ports (plain floats).
constexpr uint32_t kFloatPortCount = kPortLatency + 1;

} // namespace orvanne_lv2
