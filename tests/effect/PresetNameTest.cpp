// Recalling preset records and the factory setting, and the names of records and program.
#include "EffectTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class PresetNameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        effect = createTestEffect();
        ASSERT_NE(effect, nullptr);
        recordingHost().calls.clear();
    }
    void TearDown() override { delete effect; }

    void fillHostSlot(const char* name)
    {
        PresetRecord& slot = effect->presetRecord(1);
        std::strcpy(slot.presetName, name);
        const float values[kPresetValueCount] = {0.0f, 0.0f, 1.0f, 0.25f, 1.0f};
        std::memcpy(slot.presetValues, values, sizeof(values));
    }
    std::string programName()
    {
        char text[kPresetNameSize] = {};
        effect->getCurrentPresetName(text);
        return text;
    }

    CTarvelleVST* effect = nullptr;
};

const char* const kLongName = "A name of forty characters, much too long"; // 41 characters
const char* const kLongNameCut = "A name of forty characters, muc";        // its first 31

TEST_F(PresetNameTest, RecallAppliesReportsAndNamesTheRecord)
{
    fillHostSlot("Loud Master");
    effect->recallPreset(1);

    EXPECT_EQ(effect->getCurrentPresetIndex(), 1);
    EXPECT_EQ(effect->getPresetRecord(1).presetTag, kUniqueId);
    EXPECT_EQ(effect->getParameter(kParamInputThres), 1.0f);
    EXPECT_EQ(effect->getParameter(kParamOutCeiling), 0.25f);
    EXPECT_EQ(effect->getParameter(kParamRecovery), 1.0f);
    EXPECT_EQ(effect->getEngine().getRecoveryTime(), 1.0);
    EXPECT_EQ(programName(), "Loud Master");

    const RecordingHost& host = recordingHost();
    const std::vector<HostCall> automations = host.callsOf(audioMasterAutomate);
    ASSERT_EQ(automations.size(), 5u);
    EXPECT_EQ(automations[2].index, kParamInputThres);
    EXPECT_EQ(automations[2].opt, 1.0f);
    EXPECT_EQ(automations[3].opt, 0.25f);
    EXPECT_EQ(host.count(audioMasterUpdateDisplay), 1);
}

TEST_F(PresetNameTest, FactorySettingKeepsTheRecordsValuesButTakesItsName)
{
    fillHostSlot("Loud Master");
    effect->recallPreset(1);
    effect->recallFactorySetting(1);

    EXPECT_EQ(effect->getCurrentPresetIndex(), 1);
    EXPECT_EQ(effect->getParameter(kParamInputThres), 0.5f);
    EXPECT_EQ(effect->getParameter(kParamRecovery), 0.0f);
    EXPECT_EQ(effect->getPresetRecord(1).presetValues[kParamInputThres], 1.0f);
    EXPECT_STREQ(effect->getPresetRecord(1).presetName, "Factory Setting");
    EXPECT_EQ(programName(), "Factory Setting");
}

TEST_F(PresetNameTest, RecallOutsideTheTableDoesNothing)
{
    for (VstInt32 index : {-1, kPresetTableSize, 0x7fffffff}) {
        effect->recallPreset(index);
        effect->recallFactorySetting(index);
    }
    EXPECT_TRUE(recordingHost().calls.empty());
    EXPECT_EQ(effect->getCurrentPresetIndex(), 0);
}

TEST_F(PresetNameTest, AnOpenEditorIsToldOfTheNewPreset)
{
    auto* editor = new RecordingEditor(effect);
    effect->recallPreset(0);
    EXPECT_EQ(editor->presetNameUpdates, 0);
    int window = 0;
    editor->open(&window);
    effect->recallPreset(0);
    EXPECT_EQ(editor->presetNameUpdates, 1);
}

TEST_F(PresetNameTest, RecallIsNotDisturbedByAHostReadingTheStateMeanwhile)
{
    // The host asks for the state while it is told of the automation, as a chunk request would:
    // the current record is rewritten from the parameters in the middle of the recall.
    recordingHost().onCall = [](AEffect* record, VstInt32 opcode, VstInt32) {
        if (opcode != audioMasterAutomate || record == nullptr || record->object == nullptr)
            return;
        auto* effect = static_cast<CTarvelleVST*>(static_cast<AudioEffect*>(record->object));
        PresetRecord& current = effect->presetRecord(effect->getCurrentPresetIndex());
        for (VstInt32 i = 0; i < kPresetValueCount; ++i)
            current.presetValues[i] = effect->getParameter(i);
    };
    CTarvelleVST* reentrant = static_cast<CTarvelleVST*>(createEffectInstance(recordingHostCallback));
    ASSERT_NE(reentrant, nullptr);
    PresetRecord& slot = reentrant->presetRecord(1);
    const float values[kPresetValueCount] = {0.0f, 0.0f, 1.0f, 0.25f, 1.0f};
    std::memcpy(slot.presetValues, values, sizeof(values));
    reentrant->recallPreset(1);
    for (VstInt32 i = 0; i < kPresetValueCount; ++i)
        EXPECT_EQ(reentrant->getParameter(i), values[i]) << i;
    delete reentrant;
    recordingHost().onCall = nullptr;
}

TEST_F(PresetNameTest, NamesKeep31CharactersAndTheHostGetsAt24Bytes)
{
    effect->setCurrentPresetName(kLongName);
    EXPECT_STREQ(effect->getPresetRecord(0).presetName, kLongNameCut);
    EXPECT_EQ(programName(), kLongNameCut);

    char hostBuffer[kVstMaxProgNameLen + 1];
    std::memset(hostBuffer, 'x', sizeof(hostBuffer));
    effect->getProgramName(hostBuffer);
    EXPECT_EQ(std::string(hostBuffer), std::string(kLongNameCut, kVstMaxProgNameLen - 1));
    EXPECT_EQ(hostBuffer[kVstMaxProgNameLen], 'x');
}

TEST_F(PresetNameTest, CurrentPresetNameBringsTheRecordInLineWithTheProgram)
{
    char renamed[] = "Renamed by host";
    effect->setProgramName(renamed);
    EXPECT_STREQ(effect->getPresetRecord(0).presetName, "Factory Setting");
    effect->getCurrentPresetName(effect->presetRecord(0).presetName);
    EXPECT_STREQ(effect->getPresetRecord(0).presetName, "Renamed by host");

    effect->setCurrentPresetName(nullptr);
    EXPECT_EQ(programName(), "");
}

TEST_F(PresetNameTest, IndexedNamesCoverTheValidRecordsOnly)
{
    char text[kPresetNameSize] = "untouched";
    EXPECT_TRUE(effect->getPresetNameIndexed(7, 1, text));
    EXPECT_STREQ(text, "Factory Setting");
    std::strcpy(text, "untouched");
    EXPECT_FALSE(effect->getPresetNameIndexed(0, 2, text));
    EXPECT_FALSE(effect->getPresetNameIndexed(0, -1, text));
    EXPECT_STREQ(text, "untouched");
    EXPECT_FALSE(effect->getPresetNameIndexed(0, 0, nullptr));

    // A name that fills its whole field without a terminator is read no further than the field.
    effect->setPresetCount(5);
    std::memset(effect->presetRecord(4).presetName, 'N', kPresetNameSize);
    EXPECT_TRUE(effect->getPresetNameIndexed(0, 4, text));
    EXPECT_EQ(std::strlen(text), 31u);

    effect->setPresetCount(100000);
    EXPECT_EQ(effect->getPresetCount(), kPresetTableSize);
    effect->setPresetCount(-3);
    EXPECT_EQ(effect->getPresetCount(), 2);
}

} // namespace
