// Shared by the effect and host suites: a host callback that records every call, an editor
// that records what the effect tells it, and the creation of effects through the factory.
#pragma once

#include "AEffEditor.h"
#include "AudioEffect.h"
#include "PluginFactory.h"
#include "TarvelleVST.h"

#include <string>
#include <vector>

struct HostCall {
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    float opt;
};

// The recording host: one per process, reset by each fixture.
struct RecordingHost {
    std::vector<HostCall> calls;
    VstIntPtr versionAnswer = 2400;
    VstTimeInfo timeInfo = {};

    void reset()
    {
        calls.clear();
        versionAnswer = 2400;
    }
    int count(VstInt32 opcode) const
    {
        int n = 0;
        for (const HostCall& call : calls)
            n += call.opcode == opcode ? 1 : 0;
        return n;
    }
    std::vector<HostCall> callsOf(VstInt32 opcode) const
    {
        std::vector<HostCall> found;
        for (const HostCall& call : calls)
            if (call.opcode == opcode)
                found.push_back(call);
        return found;
    }
};

RecordingHost& recordingHost();
VstIntPtr VSTCALLBACK recordingHostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                            void* ptr, float opt);

// A trivial editor: takes the place of the effect's own editor (which it deletes), can be
// "opened", and records the effect's notifications.
class RecordingEditor : public AEffEditor, public EffectEditorLink {
public:
    explicit RecordingEditor(CTarvelleVST* effect) : AEffEditor(withoutOwnEditor(effect))
    {
        effect->setEditor(this);
        effect->setEditorLink(this);
    }
    bool open(void* window) override
    {
        parentWindow = window;
        return true;
    }
    void setParameter(VstInt32 index, float value) override { parameters.push_back({index, value}); }
    void updateMeters() override { ++meterUpdates; }
    void updatePresetNameDisplay() override { ++presetNameUpdates; }

    struct Change {
        VstInt32 index;
        float value;
    };
    std::vector<Change> parameters;
    int meterUpdates = 0;
    int presetNameUpdates = 0;

private:
    static CTarvelleVST* withoutOwnEditor(CTarvelleVST* effect)
    {
        delete effect->getEditor();
        return effect;
    }
};

// Creates an effect through the factory with the recording host (reset first).
CTarvelleVST* createTestEffect();

// Calls processReplacing through the effect record on two channels.
void processStereo(AEffect* record, std::vector<float>& left, std::vector<float>& right, std::vector<float>& outLeft,
                   std::vector<float>& outRight);

// The residual a vanishing value leaves after the add-and-subtract of 1e-18.
constexpr float kGuardResidual = 4.581370412382873e-26f;
