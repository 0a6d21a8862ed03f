#include "PresetTestSupport.h"

#include <memory>

namespace {

using ChunkTest = PresetTest;

TEST_F(ChunkTest, AfterConstructionHoldsTheFactorySetting)
{
    std::vector<unsigned char> bytes = chunk();
    ASSERT_EQ(bytes.size(), 56u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "nvrO");
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes.data() + 4), "Factory Setting");
    for (int i = 0; i < 5; ++i) {
        float value;
        std::memcpy(&value, bytes.data() + 36 + 4 * i, 4);
        EXPECT_EQ(value, effect->getParameter(i)) << i;
    }
}

TEST_F(ChunkTest, RoundTripsIntoAnotherInstance)
{
    effect->setParameter(2, 0.8f);
    effect->setParameter(3, 0.3f);
    effect->setParameter(4, 0.9f);
    char name[] = "Bright Master";
    effect->dispatcher(effSetProgramName, 0, 0, name, 0.0f);
    std::vector<unsigned char> saved = chunk();
    ASSERT_EQ(saved.size(), 56u);
    EXPECT_STREQ(reinterpret_cast<const char*>(saved.data() + 4), "Bright Master");

    std::unique_ptr<CTarvelleVST> other(static_cast<CTarvelleVST*>(createEffectInstance(recordingHostCallback)));
    recordingHost().calls.clear();
    std::vector<unsigned char> copy = saved;
    ASSERT_EQ(other->dispatcher(effSetChunk, 0, 56, copy.data(), 0.0f), 1);
    EXPECT_EQ(other->getCurrentPresetIndex(), 1);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(other->getParameter(i), effect->getParameter(i)) << i;
    char programName[kVstMaxProgNameLen] = {};
    other->dispatcher(effGetProgramName, 0, 0, programName, 0.0f);
    EXPECT_STREQ(programName, "Bright Master");
    // A restore is not automation and asks for no display update.
    EXPECT_EQ(recordingHost().count(audioMasterAutomate), 0);
    EXPECT_EQ(recordingHost().count(audioMasterUpdateDisplay), 0);

    void* data = nullptr;
    ASSERT_EQ(other->dispatcher(effGetChunk, 0, 0, &data, 0.0f), 56);
    EXPECT_EQ(std::memcmp(data, saved.data(), 56), 0);
    EXPECT_TRUE(presenter.captions.empty());
}

TEST_F(ChunkTest, WrongSizesAndMissingDataAreRejectedWithTheMessage)
{
    char name[] = "Before";
    effect->setProgramName(name);
    std::vector<unsigned char> before = chunk();

    std::vector<unsigned char> big = validRecord("Too Big");
    big.push_back(0);
    EXPECT_EQ(setChunk(big.data(), 57), 0);
    // Exactly the host's 55 bytes on the heap: reading one more is caught by the sanitizer.
    std::unique_ptr<unsigned char[]> small(new unsigned char[55]);
    std::memcpy(small.get(), validRecord("Too Small").data(), 55);
    EXPECT_EQ(setChunk(small.get(), 55), 0);
    EXPECT_EQ(setChunk(big.data(), 0), 0);
    EXPECT_EQ(setChunk(big.data(), -1), 0);
    EXPECT_EQ(setChunk(nullptr, 56), 0);
    EXPECT_EQ(setChunk(big.data(), static_cast<VstIntPtr>(0x7fffffff)), 0);

    ASSERT_EQ(presenter.captions.size(), 6u);
    for (size_t i = 0; i < presenter.captions.size(); ++i) {
        EXPECT_EQ(presenter.captions[i], "Error -4588");
        EXPECT_EQ(presenter.texts[i],
                  "Cannot load  the file: The selected file does not match the plug-in "
                  "parameters. No change occurred.");
    }
    EXPECT_EQ(effect->getCurrentPresetIndex(), 0);
    EXPECT_EQ(chunk(), before);
    EXPECT_EQ(programName(), "Before");
}

TEST_F(ChunkTest, NullResultPointerIsRefused)
{
    EXPECT_EQ(effect->dispatcher(effGetChunk, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(effect->getChunk(nullptr), 0);
}

TEST_F(ChunkTest, UnterminatedNameIsCutToThirtyOneCharacters)
{
    std::vector<unsigned char> bytes = validRecord("");
    std::memset(bytes.data() + 4, 'N', 32);
    ASSERT_EQ(setChunk(bytes.data(), 56), 1);
    EXPECT_EQ(programName(), std::string(31, 'N'));
    std::vector<unsigned char> after = chunk();
    EXPECT_EQ(after[35], 0);
}

TEST_F(ChunkTest, TagIsNotExaminedOnRestore)
{
    const float values[5] = {0.0f, 0.0f, 0.6f, 0.4f, 0.0f};
    std::vector<unsigned char> bytes = recordBytes("XXXX", "Foreign", values);
    ASSERT_EQ(setChunk(bytes.data(), 56), 1);
    EXPECT_EQ(programName(), "Foreign");
    // getChunk hands back the record as it was kept, tag included.
    std::vector<unsigned char> kept = chunk();
    EXPECT_EQ(std::string(kept.begin(), kept.begin() + 4), "XXXX");
}

TEST_F(ChunkTest, ProgramNameChangeReachesTheChunkAndTheHostBufferIsBounded)
{
    std::string longName(31, 'L');
    effect->dispatcher(effSetProgramName, 0, 0, const_cast<char*>(longName.c_str()), 0.0f);
    std::vector<unsigned char> bytes = chunk();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + 4)), longName);

    // The host's program-name buffer is kVstMaxProgNameLen bytes; the rest stays untouched.
    char hostBuffer[kVstMaxProgNameLen + 8];
    std::memset(hostBuffer, '#', sizeof(hostBuffer));
    effect->dispatcher(effGetProgramName, 0, 0, hostBuffer, 0.0f);
    EXPECT_EQ(std::string(hostBuffer), std::string(kVstMaxProgNameLen - 1, 'L'));
    for (size_t i = kVstMaxProgNameLen; i < sizeof(hostBuffer); ++i)
        EXPECT_EQ(hostBuffer[i], '#') << i;
    // The record and the editor keep all of it.
    EXPECT_EQ(programName(), longName);
}

TEST_F(ChunkTest, RecordLayoutIsTheSameOnEveryBuild)
{
    static_assert(sizeof(PresetRecord) == 56, "record size");
    static_assert(offsetof(PresetRecord, presetName) == 4, "name offset");
    static_assert(offsetof(PresetRecord, presetValues) == 36, "values offset");
    const float values[5] = {0.0f, 1.0f, 0.125f, 0.625f, 0.0f};
    std::vector<unsigned char> bytes = recordBytes("nvrO", "Portable", values);
    ASSERT_EQ(setChunk(bytes.data(), 56), 1);
    EXPECT_EQ(effect->getParameter(1), 1.0f);
    EXPECT_EQ(effect->getParameter(2), 0.125f);
    EXPECT_EQ(effect->getParameter(3), 0.625f);
    // Every value here is one the parameters store exactly, so the same bytes come back.
    EXPECT_EQ(chunk(), bytes);
}

} // namespace
