// Parameter changes: curves and their rounding, what reaches the engine and the editor,
// indices and values a host should not send, and the bounds of every text copy.
#include "EffectTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

namespace {

class ParameterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        effect = createTestEffect();
        ASSERT_NE(effect, nullptr);
    }
    void TearDown() override { delete effect; }

    std::string display(VstInt32 index)
    {
        char text[64] = "untouched";
        effect->getParameterDisplay(index, text);
        return text;
    }
    float plain(VstInt32 index) { return effect->getParamRecord(index).value; }

    CTarvelleVST* effect = nullptr;
};

TEST_F(ParameterTest, RecoveryStepsCarryTheOffsetThatSelectsTheirEngineMode)
{
    struct Step {
        float x;
        float plain;
        float normalized;
        double recovery;
    };
    const Step steps[] = {
        {0.0f, 1.0f, 0.0f, 0.02},    {0.3f, 2.0f, 0.2501f, 0.04},   {0.25f, 2.0f, 0.2501f, 0.04},
        {0.5f, 3.0f, 0.5001f, 0.06}, {0.7501f, 4.0f, 0.7501f, 0.1}, {0.99f, 4.0f, 0.7501f, 0.1},
        {1.0f, 5.0f, 1.0f, 1.0},
    };
    for (const Step& step : steps) {
        effect->setParameter(kParamRecovery, step.x);
        EXPECT_EQ(plain(kParamRecovery), step.plain) << step.x;
        EXPECT_EQ(effect->getParameter(kParamRecovery), step.normalized) << step.x;
        EXPECT_EQ(effect->getEngine().getRecoveryTime(), step.recovery) << step.x;
    }
    effect->setParameter(kParamRecovery, 0.3f);
    EXPECT_EQ(display(kParamRecovery), "2.00");
}

TEST_F(ParameterTest, PowerIsSteppedAndEveryChangeResetsEngineAndMeters)
{
    // Leave the engine and the meters busy first.
    std::vector<float> left(2000, 3.0f), right(2000, -3.0f), outL, outR;
    processStereo(effect->getAeffect(), left, right, outL, outR);
    ASSERT_LT(effect->getEngine().getGain(), 1.0f);
    ASSERT_GT(effect->getMeterReading(kReadingGainReduction), 0.0f);

    effect->setParameter(kParamPower, 0.99f);
    EXPECT_EQ(plain(kParamPower), 0.0f);
    EXPECT_EQ(display(kParamPower), "Off");
    for (VstInt32 reading = kReadingOutLeft; reading <= kReadingGainReduction; ++reading)
        EXPECT_EQ(effect->getMeterReading(reading), 0.0f) << reading;
    // The engine belongs to the audio thread: it is reset when the next block starts.
    std::vector<float> silence(1, 0.0f);
    processStereo(effect->getAeffect(), silence, silence, outL, outR);
    EXPECT_EQ(effect->getEngine().getGain(), 1.0f);

    effect->setParameter(kParamPower, 1.0f);
    EXPECT_EQ(plain(kParamPower), 1.0f);
    EXPECT_EQ(effect->getParameter(kParamPower), 1.0f);
    EXPECT_EQ(display(kParamPower), "On");
}

TEST_F(ParameterTest, InternalUseNeverStoresAValue)
{
    effect->setParameter(kParamInternalUse, 0.7f);
    EXPECT_EQ(effect->getParameter(kParamInternalUse), 0.0f);
    EXPECT_EQ(display(kParamInternalUse), "Off");
}

TEST_F(ParameterTest, LevelParametersAreLinearDecibelsAndDriveTheEngineGains)
{
    effect->setParameter(kParamInputThres, 1.0f);
    EXPECT_EQ(plain(kParamInputThres), 20.0f);
    EXPECT_EQ(display(kParamInputThres), "20.00");
    EXPECT_EQ(effect->getEngine().getInputGain(), 10.0f);

    effect->setParameter(kParamOutCeiling, 0.25f);
    EXPECT_EQ(plain(kParamOutCeiling), -10.0f);
    EXPECT_EQ(display(kParamOutCeiling), "-10.00");
    EXPECT_EQ(effect->getEngine().getOutputGain(), static_cast<float>(std::exp(-10.0 * 0.11512925464970228)));

    // Plain value rounded once from double; normalised value recomputed from it.
    effect->setParameter(kParamInputThres, 0.3f);
    const float stored = static_cast<float>(-20.0 + 40.0 * static_cast<double>(0.3f));
    EXPECT_EQ(plain(kParamInputThres), stored);
    EXPECT_EQ(effect->getParameter(kParamInputThres), static_cast<float>((stored + 20.0) / 40.0));
}

TEST_F(ParameterTest, EditorHearsTheNormalisedValueRecomputedFromTheStoredOne)
{
    auto* editor = new RecordingEditor(effect);
    effect->setParameter(kParamRecovery, 0.3f);
    effect->setParameter(kParamInternalUse, 0.7f);
    ASSERT_EQ(editor->parameters.size(), 2u);
    EXPECT_EQ(editor->parameters[0].index, kParamRecovery);
    EXPECT_EQ(editor->parameters[0].value, 0.2501f);
    EXPECT_EQ(editor->parameters[1].index, kParamInternalUse);
    EXPECT_EQ(editor->parameters[1].value, 0.0f);
}

TEST_F(ParameterTest, OutOfRangeHostValuesAreTakenAsTheNearestEnd)
{
    effect->setParameter(kParamInputThres, 1.5f);
    EXPECT_EQ(plain(kParamInputThres), 20.0f);
    effect->setParameter(kParamRecovery, -3.0f);
    EXPECT_EQ(plain(kParamRecovery), 1.0f);
    effect->setParameter(kParamOutCeiling, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(plain(kParamOutCeiling), -20.0f);
    effect->setParameter(kParamRecovery, std::numeric_limits<float>::infinity());
    EXPECT_EQ(plain(kParamRecovery), 5.0f);
    EXPECT_EQ(effect->getEngine().getRecoveryTime(), 1.0);
}

TEST_F(ParameterTest, IndicesOutsideTheFiveAreIgnoredAndLeaveTextUntouched)
{
    auto* editor = new RecordingEditor(effect);
    for (VstInt32 index : {-1, 5, 11, 0x7fffffff}) {
        effect->setParameter(index, 1.0f);
        char text[32] = "untouched";
        effect->getParameterName(index, text);
        EXPECT_STREQ(text, "untouched");
        effect->getParameterLabel(index, text);
        EXPECT_STREQ(text, "untouched");
        effect->getParameterDisplay(index, text);
        EXPECT_STREQ(text, "untouched");
        EXPECT_EQ(effect->getParameterMin(index), 0.0f);
        EXPECT_EQ(effect->getParameterMax(index), 0.0f);
        EXPECT_EQ(effect->getParameterUnit(index), 0);
        effect->defineParameter(index, "X", 2, 0, 1, 0, 1, 0);
    }
    EXPECT_TRUE(editor->parameters.empty());
    for (VstInt32 index : {-1, 5, 10, 16, 1000})
        EXPECT_EQ(effect->getParameter(index), 0.0f) << index;
}

TEST_F(ParameterTest, TextCopiesStayInsideTheirRecordFields)
{
    // A name that fills the whole field is cut to 23 characters plus the terminator.
    effect->defineParameter(kParamInternalUse, "An extremely long parameter name", 2, 0, 1, 0, 0, 0);
    char name[24 + 1];
    std::memset(name, 'x', sizeof(name));
    effect->getParameterName(kParamInternalUse, name);
    EXPECT_STREQ(name, "An extremely long param");
    EXPECT_EQ(name[24], 'x');

    char labelBuffer[12 + 1];
    std::memset(labelBuffer, 'x', sizeof(labelBuffer));
    effect->getParameterLabel(kParamInputThres, labelBuffer);
    EXPECT_STREQ(labelBuffer, "dB");
    EXPECT_EQ(labelBuffer[12], 'x');

    // Displays never exceed 24 bytes, even for values far outside any range.
    effect->defineParameter(kParamInputThres, "Input Thres", 13, -1e30f, 1e30f, 1e30f, 1, 0);
    char text[24 + 1];
    std::memset(text, 'x', sizeof(text));
    effect->getParameterDisplay(kParamInputThres, text);
    EXPECT_EQ(std::strlen(text), 23u);
    EXPECT_EQ(text[24], 'x');
}

TEST_F(ParameterTest, UnitCodesChooseLabelAndDisplay)
{
    struct Unit {
        VstInt32 code;
        const char* label;
        const char* display; // of the plain value 0.5
    };
    const Unit units[] = {
        {0, "", "0.50"},      {2, "", "On"},        {3, "%", "0.5 %"},    {4, "Secs", "0.50"},  {5, "Samps", "0.50"},
        {8, "Hz", "0.50 Hz"}, {9, "Cents", "0.50"}, {10, "S-T", "0.50"},  {11, "MIDI", "0.50"}, {12, "MIDI", "0.50"},
        {13, "dB", "0.50"},   {22, "bpm", "0.50"},  {24, "ms", "0.5 ms"}, {25, "", "0.5:1"},    {26, "", "0.50"},
        {27, "", "0.50"},     {-4, "", "0.50"},
    };
    for (const Unit& unit : units) {
        effect->defineParameter(kParamInternalUse, "Probe", unit.code, 0.0f, 1.0f, 0.5f, 1, 0.0f);
        char text[32];
        effect->getParameterLabel(kParamInternalUse, text);
        EXPECT_STREQ(text, unit.label) << unit.code;
        effect->getParameterDisplay(kParamInternalUse, text);
        EXPECT_STREQ(text, unit.display) << unit.code;
    }
}

TEST_F(ParameterTest, CurveHelpersMapWithoutStoring)
{
    EXPECT_EQ(effect->denormalizeValue(kParamRecovery, 0.6f), 3.0f);
    EXPECT_EQ(effect->normalizeValue(kParamRecovery, 3.0f), 0.5001f);
    EXPECT_EQ(effect->normalizeValue(kParamRecovery, 5.0f), 1.0f);
    EXPECT_EQ(effect->denormalizeValue(kParamInputThres, 0.75f), 10.0f);
    EXPECT_EQ(effect->normalizeValue(kParamInternalUse, 1.0f), 0.0f);
    EXPECT_EQ(plain(kParamRecovery), 1.0f);
    // The forward curve applied to the stored value itself: Recovery 1 read as x = 1.
    EXPECT_EQ(effect->mapStoredValue(kParamRecovery), 5.0f);
}

} // namespace
