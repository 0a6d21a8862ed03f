#include "EffectTestSupport.h"

namespace {

// Stands in for the plug-in's editor: the effect attaches an editor at construction, as in the
// plug-in, without linking any GUI code into the audio tests.
AEffEditor* makePlainEditor(CTarvelleVST* effect)
{
    return new AEffEditor(effect);
}

} // namespace

AudioEffect* createEffectInstance(audioMasterCallback audioMaster)
{
    return createTarvelleVST(audioMaster, &makePlainEditor);
}

CTarvelleVST* createTestEffect()
{
    recordingHost().reset();
    return static_cast<CTarvelleVST*>(createEffectInstance(recordingHostCallback));
}

void processStereo(AEffect* record, std::vector<float>& left, std::vector<float>& right, std::vector<float>& outLeft,
                   std::vector<float>& outRight)
{
    outLeft.assign(left.size(), -7.0f);
    outRight.assign(right.size(), -7.0f);
    float* inputs[2] = {left.data(), right.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};
    record->processReplacing(record, inputs, outputs, static_cast<VstInt32>(left.size()));
}
