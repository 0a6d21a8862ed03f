// The built module's entry points, loaded the way a host loads it.
#include "VstInterface.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

VstIntPtr answer = 0;

VstIntPtr VSTCALLBACK versionHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? answer : 0;
}

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
        answer = 0;
        EXPECT_EQ(entry(versionHost), nullptr) << name;
        answer = 2300;
        AEffect* record = entry(versionHost);
        ASSERT_NE(record, nullptr) << name;
        EXPECT_EQ(record->magic, kEffectMagic);
        EXPECT_EQ(record->initialDelay, 220);
        EXPECT_EQ(record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f), 1);
    }
}

} // namespace
