// One instance of the LV2 DSP module: the effect (without an editor) behind the plug-in's
// ports. The control inputs arrive in the parameters' own units and reach the effect through
// its parameter records; the meters and the latency leave through the control outputs.
#pragma once

#include "OrvannePorts.h"
#include "TarvelleVST.h"

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

namespace orvanne_lv2 {

class DspInstance {
public:
    // Answers a new instance at `rate` (any value: the effect treats rates below 44100, and
    // values that are no rate, as 44100 and caps absurd ones), or null when the effect cannot
    // be created. `features` may be null.
    static DspInstance* create(double rate, const LV2_Feature* const* features);
    ~DspInstance();

    DspInstance(const DspInstance&) = delete;
    DspInstance& operator=(const DspInstance&) = delete;

    // Ports outside the list are ignored; null disconnects.
    void connect(uint32_t port, void* data);
    // Clears the engine and the meters, as a VST host's restart does.
    void activate();
    // Applies changed control inputs, levels `frames` frames, writes the meters and the
    // latency. Allocates, locks and waits for nothing.
    void run(uint32_t frames);

    LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle handle, const LV2_Feature* const* features);
    LV2_State_Status restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                             const LV2_Feature* const* features);

    // For tests.
    CTarvelleVST& getEffect() { return *effect; }

private:
    struct Urids {
        LV2_URID chunkKey = 0;
        LV2_URID chunkType = 0;
    };

    explicit DspInstance(CTarvelleVST* effect);
    void applyControls();
    void process(uint32_t frames);
    void writeOutputs();
    // The instance's URIDs, else those of a map among `features`; false without either.
    bool urids(const LV2_Feature* const* features, Urids& out) const;

    static constexpr uint32_t kScratchFrames = 256;

    CTarvelleVST* effect;
    float* ports[kPortCount] = {};
    // The control inputs as last seen (NaN never is); only a change reaches the effect, so a
    // restored state holds until the host moves a port.
    float lastSeen[kControlInputCount] = {};
    Urids instanceUrids;
    bool haveUrids = false;
    // Stand-ins for unconnected audio ports: silence in, a sink out.
    float silence[kScratchFrames] = {};
    float sink[kScratchFrames] = {};
};

} // namespace orvanne_lv2
