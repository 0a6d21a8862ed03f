// The host library on stand-in plug-ins: load failures as one-line errors, calls made
// during construction, and channel counts other than two in and two out.
#include "InterfaceSupport.h"

using iface::nativePath;
using vsthost::PluginHost;

namespace {

void expectLoadError(const std::string& path, const char* fragment)
{
    std::string error;
    auto host = PluginHost::load(path, error);
    EXPECT_FALSE(host) << path;
    EXPECT_NE(error.find(fragment), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
}

} // namespace

TEST(HostLibrary, LoadFailuresAreOneLineErrors)
{
    expectLoadError(nativePath(FAKE_NO_ENTRY) + ".missing", "no such plug-in file");
    expectLoadError("", "no plug-in path");
    expectLoadError(nativePath(FAKE_NO_ENTRY), "no VST 2.4 entry point");
    expectLoadError(nativePath(FAKE_BAD_MAGIC), "bad magic");
    expectLoadError(nativePath(FAKE_SOURCE_FILE), "cannot load");
}

TEST(HostLibrary, CallsDuringConstructionReachTheLoadingHost)
{
    std::string error;
    auto host = PluginHost::load(nativePath(FAKE_MONO), error, 2300);
    ASSERT_TRUE(host) << error;
    const vsthost::HostRecord& r = host->record();
    ASSERT_EQ(r.automation.size(), 2u);
    EXPECT_EQ(r.automation[0].index, 0);
    EXPECT_EQ(r.automation[0].value, 0.23f);
    EXPECT_EQ(r.automation[1].value, 44100.0f); // a valid VstTimeInfo
    EXPECT_EQ(r.getTimeCount, 1);
    EXPECT_EQ(host->effect()->resvd1, reinterpret_cast<VstIntPtr>(host.get()));
    EXPECT_EQ(host->effectName(), "Fake");
}

TEST(HostLibrary, MonoPluginInAStereoHost)
{
    std::string error;
    auto host = PluginHost::load(nativePath(FAKE_MONO), error);
    ASSERT_TRUE(host) << error;
    host->start(48000.0f, 64);
    std::vector<float> left(300), right(300), outLeft(300, 9.0f), outRight(300, 9.0f);
    for (int i = 0; i < 300; ++i) {
        left[static_cast<size_t>(i)] = static_cast<float>(i);
        right[static_cast<size_t>(i)] = -1.0f;
    }
    // More frames than the block size: the library splits them.
    host->processStereo(left.data(), right.data(), outLeft.data(), outRight.data(), 300);
    for (size_t i = 0; i < 300; ++i) {
        ASSERT_EQ(outLeft[i], 0.5f * static_cast<float>(i)) << i;
        ASSERT_EQ(outRight[i], outLeft[i]) << i;
    }
    // In place, as a caller may do.
    host->processStereo(left.data(), right.data(), left.data(), right.data(), 300);
    EXPECT_EQ(left[299], 149.5f);
    EXPECT_EQ(host->record().timeInfo.samplePos, 600.0);
}

TEST(HostLibrary, GeneratorWithoutInputs)
{
    std::string error;
    auto host = PluginHost::load(nativePath(FAKE_GENERATOR), error);
    ASSERT_TRUE(host) << error;
    host->start(44100.0f, 32);
    std::vector<float> in(100, 1.0f), outLeft(100), outRight(100);
    host->processStereo(in.data(), in.data(), outLeft.data(), outRight.data(), 100);
    EXPECT_EQ(outLeft[99], 0.25f);
    EXPECT_EQ(outRight[0], -0.25f);
    EXPECT_EQ(host->dispatch(effClose), 1);
    // Nothing reaches a closed plug-in.
    EXPECT_EQ(host->dispatch(effGetEffectName), 0);
    host->processStereo(in.data(), in.data(), outLeft.data(), outRight.data(), 100);
    EXPECT_EQ(host->numParams(), 0);
}
