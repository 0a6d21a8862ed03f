// One instance of the LV2 DSP module: the effect (without an editor) behind the plug-in's
// ports. The control inputs arrive in the parameters' own units and reach the effect through
// its parameter records; the meters and the latency leave through the control outputs.
#pragma once

#include "NameMessageUrids.h"
#include "OrvannePorts.h"
#include "TarvelleVST.h"

#include <lv2/atom/forge.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <atomic>

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
    // Takes the UI's messages (the program name), applies changed control inputs, levels
    // `frames` frames, writes the meters, the latency and the messages to the UI. Allocates,
    // locks and waits for nothing.
    void run(uint32_t frames);

    // The control ports are the one truth for the settings they hold: save() stores the record
    // of the VST chunk (for the VST build and for earlier versions), and restore() takes from
    // it only what no port holds, the program name and the Internal Use value; the host
    // restores the ports. A state without the record is the factory setting's name.

    LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle handle, const LV2_Feature* const* features);
    LV2_State_Status restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                             const LV2_Feature* const* features);

    // For tests.
    CTarvelleVST& getEffect() { return *effect; }

private:
    struct Urids : NameMessageUrids {
        LV2_URID chunkKey = 0;
        LV2_URID chunkType = 0;
    };

    // The program name, written by run() (a name from the UI) and restore(), read by save(),
    // which hosts may call while run() is busy: words under a sequence count, so the reader
    // retries and the writer never waits.
    class SharedName {
    public:
        static constexpr size_t kWords = kPresetNameSize / sizeof(uint32_t);
        void set(const char* name, size_t length);
        void get(char (&name)[kPresetNameSize]) const;

    private:
        std::atomic<uint32_t> sequence{0};
        std::atomic<uint32_t> words[kWords] = {};
    };

    explicit DspInstance(CTarvelleVST* effect);
    // What a restore takes from a state: the program name and the unported Internal Use value (normalised).
    void restoreUnported(const char* name, float internalUse);
    void readMessages();
    void writeMessages();
    void applyControls();
    void process(uint32_t frames);
    void writeOutputs();
    // The instance's URIDs, else those of a map among `features`; false without either.
    bool urids(const LV2_Feature* const* features, Urids& out) const;

    static constexpr uint32_t kScratchFrames = 256;

    CTarvelleVST* effect;
    float* ports[kFloatPortCount] = {};
    const LV2_Atom_Sequence* messagesIn = nullptr;
    LV2_Atom_Sequence* messagesOut = nullptr;
    LV2_Atom_Forge forge = {};
    SharedName programName;
    char factoryName[kPresetNameSize] = {};
    // The program name goes to the UI with the next run (after a restore, or when it asks).
    std::atomic<bool> nameToSend{false};
    // The control inputs as last seen (NaN never is), which is what the effect runs with: only
    // a change reaches the effect (a repeated Power would restart the engine).
    float lastSeen[kControlInputCount] = {};
    Urids instanceUrids;
    bool haveUrids = false;
    // Stand-ins for unconnected audio ports: silence in, a sink out.
    float silence[kScratchFrames] = {};
    float sink[kScratchFrames] = {};
};

} // namespace orvanne_lv2
