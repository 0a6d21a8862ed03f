// The effect as a host meets it: only through the AEffect record's function entries.
#include "EffectTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

class DispatcherTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        AudioEffect* effect = createEffectInstance(recordingHostCallback);
        ASSERT_NE(effect, nullptr);
        record = effect->getAeffect();
    }
    void TearDown() override
    {
        if (record != nullptr)
            dispatch(effClose);
    }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f)
    {
        return record->dispatcher(record, opcode, index, value, ptr, opt);
    }
    VstIntPtr canDo(const char* text) { return dispatch(effCanDo, 0, 0, const_cast<char*>(text)); }
    std::string text(VstInt32 opcode, VstInt32 index = 0)
    {
        char buffer[256];
        std::memset(buffer, 0, sizeof(buffer));
        dispatch(opcode, index, 0, buffer);
        return buffer;
    }
    CTarvelleVST* effect() { return static_cast<CTarvelleVST*>(static_cast<AudioEffect*>(record->object)); }

    AEffect* record = nullptr;
};

TEST_F(DispatcherTest, CanDoTable)
{
    for (const char* yes : {"receiveVstTimeInfo", "plugAsChannelInsert", "plugAsSend", "1in1out", "1in2out", "2in2out"})
        EXPECT_EQ(canDo(yes), 1) << yes;
    for (const char* no : {"sendVstEvents",
                           "sendVstMidiEvent",
                           "sendVstTimeInfo",
                           "receiveVstEvents",
                           "receiveVstMidiEvent",
                           "offline",
                           "mixDryWet",
                           "noRealTime",
                           "multipass",
                           "metapass",
                           "2in1out",
                           "2in4out",
                           "4in2out",
                           "4in4out",
                           "4in8out",
                           "8in4out",
                           "8in8out",
                           "midiProgramNames",
                           "conformsToWindowRules",
                           "bypass"})
        EXPECT_EQ(canDo(no), -1) << no;
    // Whole, case-sensitive strings only; nothing is answered 0.
    for (const char* other : {"PlugAsSend", "plugAsSen", "plugAsSends", "2in2out ", "", "sizeWindow"})
        EXPECT_EQ(canDo(other), -1) << other;
    EXPECT_EQ(dispatch(effCanDo, 0, 0, nullptr), -1);
}

TEST_F(DispatcherTest, IdentityAnswers)
{
    EXPECT_EQ(text(effGetEffectName), "Orvanne");
    EXPECT_EQ(text(effGetProductString), "Orvanne");
    EXPECT_EQ(text(effGetVendorString), "Tarvelle");
    char buffer[64];
    EXPECT_EQ(dispatch(effGetEffectName, 0, 0, buffer), 1);
    EXPECT_EQ(dispatch(effGetVendorString, 0, 0, buffer), 1);
    EXPECT_EQ(dispatch(effGetProductString, 0, 0, buffer), 1);
    EXPECT_EQ(dispatch(effGetEffectName, 0, 0, nullptr), 0);

    EXPECT_EQ(dispatch(effGetVendorVersion), 1000);
    EXPECT_EQ(dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(dispatch(effGetTailSize), 1);
    EXPECT_EQ(dispatch(effGetPlugCategory), kPlugCategEffect);
    EXPECT_EQ(dispatch(effKeysRequired), 1);
    EXPECT_EQ(dispatch(effIdentify), fourCharCode('N', 'v', 'E', 'f'));
    EXPECT_EQ(dispatch(effGetNumProgramCategories), 1);
    EXPECT_EQ(dispatch(effGetCurrentMidiProgram), -1);
    EXPECT_EQ(dispatch(effConnectInput), 1);
    EXPECT_EQ(dispatch(effConnectOutput), 1);
    for (VstInt32 index = -1; index < 7; ++index)
        EXPECT_EQ(dispatch(effCanBeAutomated, index), 1) << index;
}

TEST_F(DispatcherTest, OpcodesWithoutAnAnswerOfTheirOwnAnswerZero)
{
    for (VstInt32 opcode : std::initializer_list<VstInt32>{effOpen,
                                                           effGetVu,
                                                           effEditDraw,
                                                           effEditMouse,
                                                           effEditKey,
                                                           effEditTop,
                                                           effEditSleep,
                                                           effProcessEvents,
                                                           effString2Parameter,
                                                           effGetProgramNameIndexed,
                                                           effSetBypass,
                                                           effGetParameterProperties,
                                                           effBeginSetProgram,
                                                           effEndSetProgram,
                                                           effStartProcess,
                                                           effStopProcess,
                                                           effBeginLoadProgram,
                                                           effSetProcessPrecision,
                                                           effIdle,
                                                           effVendorSpecific,
                                                           effGetNumMidiInputChannels,
                                                           effGetNumMidiOutputChannels,
                                                           80,
                                                           1000,
                                                           -1,
                                                           0x7fffffff})
        EXPECT_EQ(dispatch(opcode, 1, 1, nullptr, 1.0f), 0) << opcode;
    // Editor opcodes without an editor (the effect's own one taken away).
    delete effect()->getEditor();
    int window = 0;
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, &window), 0);
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(dispatch(effEditIdle), 0);
    EXPECT_EQ(dispatch(effEditClose), 0);
    EXPECT_EQ(dispatch(effEditKeyDown, 'a', 0, nullptr, 0.0f), 0);
    EXPECT_EQ(dispatch(effSetEditKnobMode, 0, 2), 0);
}

TEST_F(DispatcherTest, ProgramsSpeakersAndSampleTotals)
{
    EXPECT_EQ(dispatch(effSetProgram, 0, 1), 0);
    EXPECT_EQ(dispatch(effGetProgram), 0);
    dispatch(effSetProgram, 0, -1);
    EXPECT_EQ(dispatch(effGetProgram), 0);

    void* inputArrangement = &inputArrangement;
    void* outputArrangement = &outputArrangement;
    EXPECT_EQ(dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&inputArrangement), &outputArrangement),
              0);
    EXPECT_EQ(inputArrangement, nullptr);
    EXPECT_EQ(outputArrangement, nullptr);
    EXPECT_EQ(dispatch(effGetSpeakerArrangement, 0, 0, nullptr), 0);

    EXPECT_EQ(dispatch(effSetTotalSampleToProcess, 0, 4096), 4096);
    EXPECT_EQ(dispatch(effSetTotalSampleToProcess, 0, -3), -3);
}

TEST_F(DispatcherTest, ProgramNameIsCutForTheHostButKeptWhole)
{
    char name[] = "A program name of 31 characters";
    ASSERT_EQ(std::strlen(name), 31u);
    EXPECT_EQ(dispatch(effSetProgramName, 0, 0, name), 0);

    char buffer[kVstMaxProgNameLen + 8];
    std::memset(buffer, 'x', sizeof(buffer));
    EXPECT_EQ(dispatch(effGetProgramName, 0, 0, buffer), 0);
    EXPECT_EQ(std::string(buffer), std::string(name, kVstMaxProgNameLen - 1));
    EXPECT_EQ(buffer[kVstMaxProgNameLen], 'x');

    char full[kPresetNameSize] = {};
    effect()->getCurrentPresetName(full);
    EXPECT_STREQ(full, name);

    char tooLong[] = "A program name of far more than thirty-one characters";
    dispatch(effSetProgramName, 0, 0, tooLong);
    effect()->getCurrentPresetName(full);
    EXPECT_EQ(std::string(full), std::string(tooLong, 31));
    EXPECT_EQ(dispatch(effSetProgramName, 0, 0, nullptr), 0);
}

TEST_F(DispatcherTest, ParameterTextsThroughTheDispatcher)
{
    char name[24 + 1];
    std::memset(name, 'x', sizeof(name));
    dispatch(effGetParamName, kParamInputThres, 0, name);
    EXPECT_STREQ(name, "Input Thres");
    EXPECT_EQ(text(effGetParamLabel, kParamOutCeiling), "dB");
    EXPECT_EQ(text(effGetParamDisplay, kParamRecovery), "1.00");
    EXPECT_EQ(text(effGetParamDisplay, 5), "");
    EXPECT_EQ(dispatch(effGetParamName, 0, 0, nullptr), 0);
}

TEST_F(DispatcherTest, ParameterEntriesOfTheRecord)
{
    record->setParameter(record, kParamInputThres, 1.0f);
    EXPECT_EQ(record->getParameter(record, kParamInputThres), 1.0f);
    EXPECT_EQ(text(effGetParamDisplay, kParamInputThres), "20.00");
    record->setParameter(record, kParamRecovery, 0.3f);
    EXPECT_EQ(record->getParameter(record, kParamRecovery), 0.2501f);
    record->setParameter(record, 9, 1.0f);
    EXPECT_EQ(record->getParameter(record, 9), 0.0f);
    // No editor: no meter readings, whatever the meters hold.
    for (VstInt32 index = kReadingOutLeft; index <= kReadingGainReduction; ++index)
        EXPECT_EQ(record->getParameter(record, index), 0.0f);
}

TEST_F(DispatcherTest, SampleRateRederivesTheDelayButBlockSizeAndRateDoesNot)
{
    dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    EXPECT_EQ(record->initialDelay, 240);
    dispatch(effSetSampleRate, 0, 0, nullptr, 22050.0f);
    EXPECT_EQ(record->initialDelay, 220);
    dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f);
    EXPECT_EQ(record->initialDelay, 480);

    EXPECT_EQ(dispatch(effSetBlockSizeAndSampleRate, 0, 256, nullptr, 48000.0f), 1);
    EXPECT_EQ(record->initialDelay, 480);
    EXPECT_EQ(effect()->getBlockSize(), 256);
    EXPECT_EQ(effect()->getRateHz(), 96000);
    dispatch(effSetBlockSize, 0, 8192);
    EXPECT_EQ(effect()->getBlockSize(), 8192);

    // The delay the host was told is the delay it gets.
    std::vector<float> left(600, 0.0f), right(600, 0.0f), outLeft, outRight;
    left[0] = right[0] = 0.25f;
    dispatch(effMainsChanged, 0, 0);
    dispatch(effMainsChanged, 0, 1);
    processStereo(record, left, right, outLeft, outRight);
    EXPECT_EQ(outLeft[480], 0.25f);
    EXPECT_EQ(outLeft[479], kGuardResidual);
}

TEST_F(DispatcherTest, CloseAnswersOneAndDestroysEffectAndEditor)
{
    struct WatchedEditor : RecordingEditor {
        explicit WatchedEditor(CTarvelleVST* effect, bool* gone) : RecordingEditor(effect), gone(gone) {}
        ~WatchedEditor() override { *gone = true; }
        bool* gone;
    };
    bool editorGone = false;
    new WatchedEditor(effect(), &editorGone);
    EXPECT_EQ(record->flags, 0x39);
    int window = 0;
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, &window), 1);

    EXPECT_EQ(dispatch(effClose), 1);
    EXPECT_TRUE(editorGone);
    record = nullptr; // the record went with the effect
}

TEST(Factory, EveryInstanceIsIndependent)
{
    AudioEffect* first = createEffectInstance(recordingHostCallback);
    AudioEffect* second = createEffectInstance(recordingHostCallback);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    AEffect* a = first->getAeffect();
    AEffect* b = second->getAeffect();
    a->setParameter(a, kParamInputThres, 1.0f);
    a->dispatcher(a, effSetSampleRate, 0, 0, nullptr, 96000.0f);
    EXPECT_EQ(b->getParameter(b, kParamInputThres), 0.5f);
    EXPECT_EQ(b->initialDelay, 220);
    EXPECT_EQ(a->dispatcher(a, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(b->dispatcher(b, effClose, 0, 0, nullptr, 0.0f), 1);
}

} // namespace
