// The factory when memory runs out: no half-built effect ever reaches the host.
#include "EffectTestSupport.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <new>

namespace {
size_t failingSize = 0; // the array size whose nothrow allocation fails; 0 for none
}

// The effect allocates its tables with the nothrow array form; make a chosen one fail.
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    if (failingSize != 0 && size == failingSize)
        return nullptr;
    try {
        return ::operator new[](size);
    } catch (...) {
        return nullptr;
    }
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    if (failingSize != 0 && size == failingSize)
        return nullptr;
    try {
        return ::operator new(size);
    } catch (...) {
        return nullptr;
    }
}

namespace {

TEST(Allocation, NoMemoryForTheEffectMakesTheFactoryAnswerNull)
{
    failingSize = sizeof(CTarvelleVST);
    recordingHost().reset();
    AudioEffect* effect = createEffectInstance(recordingHostCallback);
    failingSize = 0;
    EXPECT_EQ(effect, nullptr);
    EXPECT_TRUE(recordingHost().calls.empty());
}

TEST(Allocation, AMissingTableMakesTheFactoryAnswerNullWithoutCallingTheHost)
{
    const size_t tables[] = {
        sizeof(ParamRecord) * kNumParams,
        sizeof(PresetRecord) * kPresetTableSize,
        static_cast<size_t>(kPresetFolderCount) * kPresetNameSize,
    };
    for (size_t size : tables) {
        failingSize = size;
        recordingHost().reset();
        AudioEffect* effect = createEffectInstance(recordingHostCallback);
        failingSize = 0;
        EXPECT_EQ(effect, nullptr) << size;
        EXPECT_TRUE(recordingHost().calls.empty()) << size;
        delete effect;
    }
}

TEST(Allocation, WithMemoryTheFactoryAnswersAnEffect)
{
    AudioEffect* effect = createEffectInstance(recordingHostCallback);
    ASSERT_NE(effect, nullptr);
    delete effect;
}

} // namespace
