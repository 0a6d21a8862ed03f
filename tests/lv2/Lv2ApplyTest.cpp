// lv2apply, the command-line LV2 host, renders the demo with Input Thres at 6 dB through the
// bundle; orvanne-render renders it through the VST build. The files must agree bit for bit.
#include "CommandRun.h"
#include "DemoSignal.h"
#include "SoundFile.h"
#include "TempTree.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace test_support;

TEST(Lv2Apply, RendersTheDemoAsOrvanneRenderDoes)
{
    TempTree folder;
    Sound demo;
    demo.rate = render::DemoSignal::rate;
    demo.samples = render::DemoSignal::generate();
    writeSound(folder.file("demo.wav"), demo);

    const ToolRun lv2 = runCommand({"lv2apply", "-i", folder.file("demo.wav"), "-o", folder.file("lv2.wav"), "-c",
                                    "input_thres", "6", "urn:tarvelle:orvanne"},
                                   {{"LV2_PATH", ORVANNE_LV2_PATH}});
    ASSERT_EQ(lv2.status, 0) << lv2.err;
    const ToolRun vst = runCommand({RENDER_TOOL, "--plugin", ORVANNE_VST_PLUGIN, "--set", "Input Thres=6dB", "-q",
                                    "--no-compensate", folder.file("demo.wav"), folder.file("vst.wav")});
    ASSERT_EQ(vst.status, 0) << vst.err;

    const Sound fromLv2 = readSound(folder.file("lv2.wav"));
    const Sound fromVst = readSound(folder.file("vst.wav"));
    ASSERT_EQ(fromLv2.channels, 2);
    ASSERT_EQ(fromLv2.samples.size(), demo.samples.size());
    ASSERT_EQ(fromVst.samples.size(), demo.samples.size());
    EXPECT_EQ(std::memcmp(fromLv2.samples.data(), fromVst.samples.data(), demo.samples.size() * sizeof(float)), 0);
    // Not a file of silence or a copy of the input: the leveler worked.
    EXPECT_NE(std::memcmp(fromLv2.samples.data(), demo.samples.data(), demo.samples.size() * sizeof(float)), 0);
}
