// Shared by the effect and host suites: an editor that records what the effect tells it, and the
// creation of effects through the factory on the recording fake host.
#pragma once

#include "AEffEditor.h"
#include "AudioEffect.h"
#include "PluginFactory.h"
#include "RecordingHost.h"
#include "TarvelleVST.h"

#include <string>
#include <vector>

using test_support::HostCall;
using test_support::recordingHost;
using test_support::RecordingHost;
using test_support::recordingHostCallback;

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
