// orvanne-render run as a user runs it, on small generated files.
#include "ToolRunner.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

using namespace rendertest;

namespace {

const std::string orvanne = ORVANNE_PLUGIN;
const std::string oddPlugin = RENDER_ODD_PLUGIN;
const std::string nullPlugin = RENDER_NULL_PLUGIN;
constexpr int orvanneLatency = 220; // at 44.1 kHz

bool exists(const std::string& path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0;
}

// Expects a failed run with one line on stderr containing `reason`, and no file left
// in the folder but `keep`.
void expectFailure(const ToolRun& run, const std::string& reason, const TempTree& folder,
                   const std::vector<std::string>& keep)
{
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(folder.names(), keep);
}

// Output equals input delayed by `delay` frames (zeros before), channel by channel.
void expectDelayed(const Sound& out, const Sound& in, int64_t delay, int outChannel, int inChannel)
{
    ASSERT_EQ(out.frames(), in.frames());
    for (int64_t f = 0; f < out.frames(); ++f) {
        const float expected = f < delay ? 0.0f : in.at(f - delay, inChannel);
        ASSERT_NEAR(out.at(f, outChannel), expected, 1e-6) << "frame " << f << " channel " << outChannel;
    }
}

// The first number after `label` at the start of a summary line.
double summaryNumber(const std::string& text, const std::string& label)
{
    size_t at = text.rfind("\n" + label);
    if (at == std::string::npos)
        return NAN;
    const char* start = text.c_str() + at + 1 + label.size();
    char* end = nullptr;
    const double value = std::strtod(start, &end);
    return end == start ? NAN : value;
}

} // namespace

TEST(RenderCommand, RoundTripWithDefaultsIsTheInputAlignedAndRawTimingIsDelayed)
{
    TempTree folder;
    const Sound in = testSignal(2, 5000, 0.25); // -12 dBFS: nothing for the leveler to do
    writeSound(folder.file("in.wav"), in);

    ToolRun run = runTool({"--plugin", orvanne, "--no-compensate", folder.file("in.wav"), folder.file("out.wav")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(summaryNumber(run.out, "latency"), orvanneLatency) << run.out;
    Sound out = readSound(folder.file("out.wav"));
    ASSERT_EQ(out.channels, 2);
    EXPECT_EQ(out.rate, 44100);
    expectDelayed(out, in, orvanneLatency, 0, 0);
    expectDelayed(out, in, orvanneLatency, 1, 1);

    // Compensated, with blocks that do not divide the length: the same length, aligned.
    run = runTool({"--plugin", orvanne, "--compensate", "--block", "333", folder.file("in.wav"), folder.file("c.wav")});
    ASSERT_EQ(run.status, 0) << run.err;
    out = readSound(folder.file("c.wav"));
    expectDelayed(out, in, 0, 0, 0);
    expectDelayed(out, in, 0, 1, 1);
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"c.wav", "in.wav", "out.wav"}));
}

TEST(RenderCommand, MonoFeedsBothInputsAndWideFilesUseTheirFirstTwoChannels)
{
    TempTree folder;
    const Sound mono = testSignal(1, 3000, 0.2, 48000);
    writeSound(folder.file("mono.flac"), mono, SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    ToolRun run = runTool({"--compensate", "--plugin", orvanne, folder.file("mono.flac"), folder.file("m.wav")});
    ASSERT_EQ(run.status, 0) << run.err;
    Sound out = readSound(folder.file("m.wav"));
    ASSERT_EQ(out.channels, 2);
    EXPECT_EQ(out.rate, 48000); // rendered at the file's own rate
    const Sound decoded = readSound(folder.file("mono.flac"), false);
    expectDelayed(out, decoded, 0, 0, 0);
    expectDelayed(out, decoded, 0, 1, 0);

    const Sound wide = testSignal(4, 2000, 0.2);
    writeSound(folder.file("wide.wav"), wide);
    run = runTool({"--compensate", "--plugin", orvanne, folder.file("wide.wav"), folder.file("w.wav")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("first two"), std::string::npos) << run.err;
    out = readSound(folder.file("w.wav"));
    ASSERT_EQ(out.channels, 2);
    expectDelayed(out, wide, 0, 0, 0);
    expectDelayed(out, wide, 0, 1, 1);
}

TEST(RenderCommand, SetsParametersInUnitsWordsAndNormalisedValues)
{
    TempTree folder;
    const Sound loud = testSignal(2, 20000, 2.0); // about +5 dBFS
    writeSound(folder.file("loud.wav"), loud);

    ToolRun run = runTool({"--plugin", orvanne, "--set", "Out Ceiling=-6dB", "--set", "input thres=0.75", "--set",
                           "Recovery=3", "--set", "Power=off", folder.file("loud.wav"), folder.file("a.wav")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Out Ceiling = -6.00 dB (0.3500)"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Input Thres = 10.00 dB (0.7500)"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Recovery = 3.00 (0.5001)"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Power = Off"), std::string::npos) << run.out;
    const double lowered = peakDb(readSound(folder.file("a.wav")));
    EXPECT_LT(lowered, -5.0);
    EXPECT_GT(summaryNumber(run.out, "max gain reduction"), 5.0) << run.out;

    // "Power" On is the plug-in's bypass: the loud input passes unchanged.
    run = runTool(
        {"--plugin", orvanne, "--compensate", "--set", "power=on", folder.file("loud.wav"), folder.file("b.wav")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Power = On (1.0000)"), std::string::npos) << run.out;
    expectDelayed(readSound(folder.file("b.wav")), loud, 0, 0, 0);
    EXPECT_NEAR(summaryNumber(run.out, "max gain reduction"), 0.0, 0.01) << run.out;
}

TEST(RenderCommand, BadSettingsFailWithoutOutput)
{
    TempTree folder;
    writeSound(folder.file("in.wav"), testSignal(2, 1000, 0.5));
    const std::vector<std::string> keep{"in.wav"};
    auto render = [&](const std::string& setting) {
        return runTool({"--plugin", orvanne, "--set", setting, "--plot", folder.file("p.png"), folder.file("in.wav"),
                        folder.file("out.wav")});
    };
    expectFailure(render("Threshold=3dB"), "unknown parameter 'Threshold'", folder, keep);
    expectFailure(render("Input Thres=25dB"), "out of range for 'Input Thres' (-20 to 20 dB)", folder, keep);
    expectFailure(render("Input Thres=-6Hz"), "'Input Thres' is in dB, not Hz", folder, keep);
    expectFailure(render("Recovery=9"), "out of range for 'Recovery'", folder, keep);
    expectFailure(render("Power=Maybe"), "'Power' has no setting 'Maybe'", folder, keep);
    expectFailure(render("Power=1.5n"), "outside 0..1", folder, keep);
    expectFailure(render("Power"), "NAME=VALUE", folder, keep);
}

TEST(RenderCommand, BadInputsFailWithoutOutput)
{
    TempTree folder;
    expectFailure(runTool({"--plugin", orvanne, folder.file("missing.wav"), folder.file("out.wav")}),
                  "cannot open input", folder, {});

    {
        std::ofstream(folder.file("junk.wav")) << "this is not a sound file at all, just text\n";
    }
    expectFailure(runTool({"--plugin", orvanne, folder.file("junk.wav"), folder.file("out.wav")}),
                  "not a readable sound file", folder, {"junk.wav"});

    // A stream cut short after its header: the render starts, then stops, and the partial
    // output is removed.
    writeSound(folder.file("cut.flac"), testSignal(2, 40000, 0.5), SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    struct stat status;
    ASSERT_EQ(stat(folder.file("cut.flac").c_str(), &status), 0);
    ASSERT_EQ(truncate(folder.file("cut.flac").c_str(), status.st_size / 2), 0);
    expectFailure(runTool({"--plugin", orvanne, "--block", "64", folder.file("cut.flac"), folder.file("out.wav")}),
                  "truncated or corrupt", folder, {"cut.flac", "junk.wav"});

    writeSound(folder.file("in.wav"), testSignal(2, 100, 0.5));
    const std::vector<std::string> keep{"cut.flac", "in.wav", "junk.wav"};
    for (const char* block : {"0", "-5", "12x", "65537", ""})
        expectFailure(runTool({"--plugin", orvanne, "--block", block, folder.file("in.wav"), folder.file("out.wav")}),
                      "--block", folder, keep);
    expectFailure(runTool({"--plugin", orvanne, folder.file("in.wav"), folder.file("no-such-folder/out.wav")}),
                  "cannot write output", folder, keep);
    expectFailure(runTool({"--frobnicate", folder.file("in.wav")}), "unknown option", folder, keep);
}

TEST(RenderCommand, PluginsThatDoNotLoadFailWithoutOutput)
{
    TempTree folder;
    writeSound(folder.file("in.wav"), testSignal(2, 100, 0.5));
    const std::vector<std::string> keep{"in.wav"};
    auto render = [&](const std::string& plugin) {
        return runTool({"--plugin", plugin, folder.file("in.wav"), folder.file("out.wav")});
    };
    expectFailure(render(folder.file("nothing.so")), "cannot load plug-in", folder, keep);
    expectFailure(render(folder.file("in.wav")), "cannot load plug-in", folder, keep); // not a binary
    expectFailure(render(nullPlugin), "cannot load plug-in", folder, keep);            // entry answers null
}

TEST(RenderCommand, OtherChannelCountsAndLatenciesWork)
{
    TempTree folder;
    const Sound in = testSignal(2, 3000, 0.5);
    writeSound(folder.file("in.wav"), in);
    ToolRun run = runTool({"--plugin", oddPlugin, "--set", "gain=1.5x", "--compensate", "--block", "100",
                           folder.file("in.wav"), folder.file("out.wav")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Gain = 1.50 x (0.7500)"), std::string::npos) << run.out;
    EXPECT_EQ(summaryNumber(run.out, "latency"), 7);
    const Sound out = readSound(folder.file("out.wav"));
    ASSERT_EQ(out.channels, 3); // the plug-in's own output count
    ASSERT_EQ(out.frames(), in.frames());
    for (int64_t f = 0; f < out.frames(); ++f) {
        ASSERT_FLOAT_EQ(out.at(f, 0), 0.75f * in.at(f, 0)) << f; // the plug-in reads input 0 only
        ASSERT_FLOAT_EQ(out.at(f, 1), -in.at(f, 0)) << f;
        ASSERT_FLOAT_EQ(out.at(f, 2), 0.5f * in.at(f, 0)) << f;
    }
}

TEST(RenderCommand, ListsParametersAndDrawsAPlot)
{
    ToolRun run = runTool({"--plugin", orvanne, "--list"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"Input Thres\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("0.00 dB"), std::string::npos) << run.out;

    TempTree folder;
    writeSound(folder.file("in.wav"), testSignal(2, 30000, 2.0));
    run = runTool(
        {"--plugin", orvanne, "--plot", folder.file("plot.png"), folder.file("in.wav"), folder.file("out.wav")});
    ASSERT_EQ(run.status, 0) << run.err;
    cairo_surface_t* png = cairo_image_surface_create_from_png(folder.file("plot.png").c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    EXPECT_GE(cairo_image_surface_get_width(png), 800);
    EXPECT_GE(cairo_image_surface_get_height(png), 400);
    cairo_surface_destroy(png);
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"in.wav", "out.wav", "plot.png"}));
}

TEST(RenderCommand, DemoPeaksAboveFullScaleAndTheSummaryReportsIt)
{
    TempTree folder;
    const ToolRun run = runTool({"--plugin", orvanne, "--demo", folder.file("demo.wav")});
    ASSERT_EQ(run.status, 0) << run.err;
    const double inPeak = summaryNumber(run.out, "sample peak");
    EXPECT_NEAR(inPeak, 5.0, 0.01) << run.out;
    EXPECT_GT(summaryNumber(run.out, "true peak"), inPeak) << run.out;
    EXPECT_LT(summaryNumber(run.out, "loudness"), -3.0) << run.out;
    EXPECT_GT(summaryNumber(run.out, "speed"), 0.0) << run.out;
    const Sound out = readSound(folder.file("demo.wav"));
    EXPECT_EQ(out.frames(), 441000);
    EXPECT_LE(peakDb(out), 0.001);
}

// A stereo limiter of another maker, if installed: its threshold must pull the output peak down.
TEST(RenderCommand, ThirdPartyLimiterThresholdLowersThePeak)
{
    const std::string limiter = "/usr/lib/vst/lsp-plugins/limiter-stereo.so";
    if (!exists(limiter))
        GTEST_SKIP() << "lsp-plugins-vst is not installed";
    TempTree folder;
    writeSound(folder.file("loud.wav"), testSignal(2, 44100, 2.0));
    auto peakWith = [&](const std::string& threshold) {
        const std::string output = folder.file("out" + threshold + ".wav");
        const ToolRun run = runTool({"--plugin", limiter, "--set", "th=" + threshold, "--set", "boost=off",
                                     "--compensate", folder.file("loud.wav"), output});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find("th = " + threshold.substr(0, threshold.size() - 2)), std::string::npos) << run.out;
        return peakDb(readSound(output));
    };
    const double gentle = peakWith("-3dB");
    const double hard = peakWith("-12dB");
    EXPECT_LT(gentle, 0.0);
    EXPECT_LT(hard, gentle - 6.0);
}

TEST(RenderCommand, SavesAndLoadsThePluginState)
{
    TempTree folder;
    const Sound loud = testSignal(2, 8000, 2.0);
    writeSound(folder.file("loud.wav"), loud);

    // Render with settings and keep the state.
    ToolRun run = runTool({"--plugin", orvanne, "--set", "Out Ceiling=-6dB", "--set", "Recovery=@3", "--save-state",
                           folder.file("state.chunk"), folder.file("loud.wav"), folder.file("a.wav")});
    ASSERT_EQ(run.status, 0) << run.err;
    struct stat status;
    ASSERT_EQ(stat(folder.file("state.chunk").c_str(), &status), 0);
    EXPECT_EQ(status.st_size, 56);

    // The same state loaded into a fresh instance gives the same audio without any --set.
    run = runTool({"--plugin", orvanne, "--load-state", folder.file("state.chunk"), folder.file("loud.wav"),
                   folder.file("b.wav")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readSound(folder.file("a.wav")).samples, readSound(folder.file("b.wav")).samples);

    // A state file the plug-in rejects is an error, and leaves no output behind.
    {
        std::ofstream bad(folder.file("bad.chunk"), std::ios::binary);
        bad << std::string(57, 'x');
    }
    run = runTool(
        {"--plugin", orvanne, "--load-state", folder.file("bad.chunk"), folder.file("loud.wav"), folder.file("c.wav")});
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("rejected"), std::string::npos) << run.err;
    EXPECT_FALSE(exists(folder.file("c.wav")));

    run = runTool({"--plugin", orvanne, "--load-state", folder.file("missing.chunk"), folder.file("loud.wav"),
                   folder.file("d.wav")});
    EXPECT_NE(run.status, 0);
    EXPECT_FALSE(exists(folder.file("d.wav")));
}

TEST(RenderCommand, EditFailsWithOneLineWithoutADisplayOrAnEditor)
{
    TempTree folder;
    writeSound(folder.file("in.wav"), testSignal(2, 100, 0.5));
    const std::vector<std::string> keep{"in.wav"};
    // The odd plug-in has no editor; the check comes before any display is needed.
    expectFailure(runTool({"--plugin", oddPlugin, "--edit", folder.file("in.wav"), folder.file("out.wav")}),
                  "--edit: the plug-in has no editor", folder, keep);
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display != nullptr ? display : "";
    unsetenv("DISPLAY");
    const ToolRun run = runTool({"--plugin", orvanne, "--edit", folder.file("in.wav"), folder.file("out.wav")});
    if (!saved.empty())
        setenv("DISPLAY", saved.c_str(), 1);
    expectFailure(run, "--edit: no X display", folder, keep);
}
