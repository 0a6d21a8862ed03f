// The built module's entry points, loaded the way a host loads it.
#include "RecordingHost.h"
#include "VstInterface.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

using test_support::recordingHost;
using test_support::recordingHostCallback;

class EntryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        module = dlopen(ORVANNE_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(module, nullptr) << dlerror();
    }
    void TearDown() override
    {
#if !defined(__SANITIZE_ADDRESS__)
        // Sanitized runs keep the module mapped so a leak report can name its code.
        if (module != nullptr)
            dlclose(module);
#endif
    }
    void* module = nullptr;
};

TEST_F(EntryTest, BothEntryNamesGiveNullToAHostWithoutAVersion)
{
    for (const char* name : {"VSTPluginMain", "main"}) {
        auto entry = reinterpret_cast<VstPluginEntryProc>(dlsym(module, name));
        ASSERT_NE(entry, nullptr) << name;
        recordingHost().reset();
        recordingHost().versionAnswer = 0;
        EXPECT_EQ(entry(recordingHostCallback), nullptr) << name;
        recordingHost().versionAnswer = 2300;
        AEffect* record = entry(recordingHostCallback);
        ASSERT_NE(record, nullptr) << name;
        EXPECT_EQ(record->magic, kEffectMagic);
        EXPECT_EQ(record->initialDelay, 220);
        EXPECT_EQ(record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f), 1);
    }
}

} // namespace
