// Shared by the preset tests: a recording message presenter and menu, the
// effect created through the factory, and a little-endian record builder independent of the
// compiler's struct layout.
#pragma once

#include "Platform.h"
#include "PluginFactory.h"
#include "RecordingHost.h"
#include "TarvelleVST.h"
#include "TempTree.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using test_support::recordingHost;
using test_support::recordingHostCallback;

class RecordingPresenter : public platform::MessagePresenter {
public:
    RecordingPresenter() { previous = platform::setMessagePresenter(this); }
    ~RecordingPresenter() override { platform::setMessagePresenter(previous); }
    void showError(const char* caption, const char* text) override
    {
        captions.push_back(caption);
        texts.push_back(text);
    }
    std::vector<std::string> captions;
    std::vector<std::string> texts;

private:
    platform::MessagePresenter* previous;
};

class RecordingMenu : public PresetMenuTarget {
public:
    void addPresetEntry(int32_t menuIndex, const char* label) override
    {
        entries.push_back(std::to_string(menuIndex) + ":" + label);
    }
    std::vector<std::string> entries;
};

// The 56 bytes of a record, written field by field in little-endian order.
inline std::vector<unsigned char> recordBytes(const char* tag, const char* name, const float (&values)[5])
{
    std::vector<unsigned char> bytes(56, 0);
    std::memcpy(bytes.data(), tag, 4);
    std::strncpy(reinterpret_cast<char*>(bytes.data()) + 4, name, 32);
    for (int i = 0; i < 5; ++i) {
        uint32_t bits;
        std::memcpy(&bits, &values[i], 4);
        for (int b = 0; b < 4; ++b)
            bytes[36 + 4 * i + b] = static_cast<unsigned char>(bits >> (8 * b));
    }
    return bytes;
}

inline std::vector<unsigned char> validRecord(const char* name, float level = 0.25f)
{
    const float values[5] = {0.0f, 0.0f, level, 0.75f, 0.5f};
    return recordBytes("nvrO", name, values);
}

class PresetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        recordingHost().calls.clear();
        effect = static_cast<CTarvelleVST*>(createEffectInstance(recordingHostCallback));
        ASSERT_NE(effect, nullptr);
        effect->setPresetMenuTarget(&menu);
        recordingHost().calls.clear();
    }
    void TearDown() override { delete effect; }

    std::vector<unsigned char> chunk()
    {
        void* data = nullptr;
        VstInt32 size = static_cast<VstInt32>(effect->dispatcher(effGetChunk, 0, 0, &data, 0.0f));
        if (size <= 0 || data == nullptr)
            return {};
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        return std::vector<unsigned char>(bytes, bytes + size);
    }
    VstIntPtr setChunk(void* data, VstIntPtr size) { return effect->dispatcher(effSetChunk, 0, size, data, 0.0f); }
    std::string programName()
    {
        char name[kPresetNameSize] = {};
        effect->getCurrentPresetName(name);
        return name;
    }
    std::string file(const std::string& name) const { return (tree / name).string(); }

    TempTree tree;
    RecordingPresenter presenter;
    RecordingMenu menu;
    CTarvelleVST* effect = nullptr;
};
