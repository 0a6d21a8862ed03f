// The effect as the factory hands it to a host: parameters, texts, record fields, the host
// calls made while it was built, the preset slots and the engine's set-up.
#include "EffectTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

struct EffectDeleter {
    void operator()(CTarvelleVST* effect) const { delete effect; }
};
using EffectPtr = std::unique_ptr<CTarvelleVST, EffectDeleter>;

std::string display(CTarvelleVST& effect, VstInt32 index)
{
    char text[64] = "untouched";
    effect.getParameterDisplay(index, text);
    return text;
}

std::string label(CTarvelleVST& effect, VstInt32 index)
{
    char text[64] = "untouched";
    effect.getParameterLabel(index, text);
    return text;
}

std::string name(CTarvelleVST& effect, VstInt32 index)
{
    char text[64] = "untouched";
    effect.getParameterName(index, text);
    return text;
}

TEST(Construction, ParametersStartAtTheirDefaults)
{
    EffectPtr effect(createTestEffect());
    ASSERT_NE(effect, nullptr);
    const float expected[kNumParams] = {0.0f, 0.0f, 0.5f, 0.5f, 0.0f};
    const char* displays[kNumParams] = {"Off", "Off", "0.00", "0.00", "1.00"};
    const char* labels[kNumParams] = {"", "", "dB", "dB", ""};
    const char* names[kNumParams] = {"Internal Use", "Power", "Input Thres", "Out Ceiling", "Recovery"};
    for (VstInt32 i = 0; i < kNumParams; ++i) {
        EXPECT_EQ(effect->getParameter(i), expected[i]) << i;
        EXPECT_EQ(display(*effect, i), displays[i]) << i;
        EXPECT_EQ(label(*effect, i), labels[i]) << i;
        EXPECT_EQ(name(*effect, i), names[i]) << i;
    }
    EXPECT_EQ(effect->getParameterMin(kParamInputThres), -20.0f);
    EXPECT_EQ(effect->getParameterMax(kParamRecovery), 5.0f);
    EXPECT_EQ(effect->getParameterUnit(kParamOutCeiling), 13);
    EXPECT_FALSE(effect->isParameterLogScale(kParamRecovery));
}

TEST(Construction, RecordDescribesAStereoEffectWithChunksAndItsLatency)
{
    EffectPtr effect(createTestEffect());
    AEffect* record = effect->getAeffect();
    EXPECT_EQ(record->magic, kEffectMagic);
    EXPECT_EQ(record->numParams, 5);
    EXPECT_EQ(record->numPrograms, 1);
    EXPECT_EQ(record->numInputs, 2);
    EXPECT_EQ(record->numOutputs, 2);
    EXPECT_EQ(record->uniqueID, fourCharCode('O', 'r', 'v', 'n'));
    EXPECT_EQ(record->version, 1);
    EXPECT_EQ(record->initialDelay, 220);
    EXPECT_EQ(record->ioRatio, 1.0f);
    // Its own editor, mono, replacing and chunks.
    EXPECT_EQ(record->flags, 0x39);
    EXPECT_EQ(effect->getSampleRate(), 44100.0f);
    EXPECT_EQ(effect->getRateHz(), 44100);
}

TEST(Construction, AnAttachedEditorSetsTheEditorFlag)
{
    EffectPtr effect(createTestEffect());
    delete effect->getEditor(); // the effect's own editor detaches itself
    EXPECT_EQ(effect->getAeffect()->flags, 0x38);
    new RecordingEditor(effect.get()); // owned by the effect from here on
    EXPECT_EQ(effect->getAeffect()->flags, 0x39);
}

TEST(Construction, HostHearsTimeQueryFiveAutomationsAndOneDisplayUpdate)
{
    EffectPtr effect(createTestEffect());
    const RecordingHost& host = recordingHost();

    ASSERT_EQ(host.count(audioMasterGetTime), 1);
    const HostCall time = host.callsOf(audioMasterGetTime)[0];
    EXPECT_EQ(time.value, kVstTempoValid | kVstPpqPosValid | kVstBarsValid | kVstTimeSigValid | kVstTransportChanged);

    const std::vector<HostCall> automations = host.callsOf(audioMasterAutomate);
    ASSERT_EQ(automations.size(), 5u);
    const float defaults[kNumParams] = {0.0f, 0.0f, 0.5f, 0.5f, 0.0f};
    for (VstInt32 i = 0; i < kNumParams; ++i) {
        EXPECT_EQ(automations[i].index, i);
        EXPECT_EQ(automations[i].opt, defaults[i]);
    }
    EXPECT_EQ(host.count(audioMasterUpdateDisplay), 1);
    // The display update comes last, after the automation.
    EXPECT_EQ(host.calls.back().opcode, audioMasterUpdateDisplay);
    EXPECT_EQ(host.calls.front().opcode, audioMasterGetTime);
    EXPECT_EQ(host.calls.size(), 7u);
}

TEST(Construction, FactorySlotIsRecalledAndStampedAndTheHostSlotIsNamed)
{
    EffectPtr effect(createTestEffect());
    EXPECT_EQ(effect->getCurrentPresetIndex(), 0);
    EXPECT_EQ(effect->getPresetCount(), 2);

    const PresetRecord& factory = effect->getPresetRecord(0);
    EXPECT_EQ(std::memcmp(&factory.presetTag, "nvrO", 4), 0);
    EXPECT_STREQ(factory.presetName, "Factory Setting");
    const float defaults[kNumParams] = {0.0f, 0.0f, 0.5f, 0.5f, 0.0f};
    for (int i = 0; i < kNumParams; ++i)
        EXPECT_EQ(factory.presetValues[i], defaults[i]) << i;

    const PresetRecord& hostSlot = effect->getPresetRecord(1);
    EXPECT_STREQ(hostSlot.presetName, "Factory Setting");
    EXPECT_EQ(hostSlot.presetTag, 0); // stamped only when recalled
    for (int i = 0; i < kNumParams; ++i)
        EXPECT_EQ(hostSlot.presetValues[i], 0.0f) << i;

    char program[32] = {};
    effect->getProgramName(program);
    EXPECT_STREQ(program, "Factory Setting");
}

TEST(Construction, EngineIsResetWithCeilingOnAndDefaultControls)
{
    EffectPtr effect(createTestEffect());
    CMaximizer& engine = effect->getEngine();
    EXPECT_EQ(engine.getGain(), 1.0f);
    EXPECT_EQ(engine.getSmoothedGain(), 1.0f);
    EXPECT_EQ(engine.getInputGain(), 1.0f);
    EXPECT_EQ(engine.getOutputGain(), 1.0f);
    EXPECT_EQ(engine.getCeilingClip(), 1.0f);
    EXPECT_EQ(engine.getRecoveryTime(), 0.02);
    EXPECT_EQ(engine.getLookahead(), 220);
}

TEST(Construction, NullHostCallbackStillGivesAWorkingEffect)
{
    EffectPtr effect(static_cast<CTarvelleVST*>(createEffectInstance(nullptr)));
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->getParameter(kParamInputThres), 0.5f);
}

} // namespace
