// orvanne-render as a delivery tool: targets, albums, batches, output formats and the
// safety rules, each as rows of a table run on small generated files.
#include "ToolRunner.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>

using namespace rendertest;

namespace {

const std::string orvanne = ORVANNE_PLUGIN;

int lines(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

bool has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// Cuts a file to half its size: the header then promises twice what it holds.
void cutInHalf(const std::string& path)
{
    struct stat status;
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    ASSERT_EQ(truncate(path.c_str(), status.st_size / 2), 0);
}

int formatOf(const std::string& path)
{
    SF_INFO info = {};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file)
        sf_close(file);
    return file ? info.format : 0;
}

// Reads a file to its end, for streams whose header gives no length (FLAC from a pipe).
std::vector<float> readToEnd(const std::string& path)
{
    SF_INFO info = {};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    std::vector<float> samples;
    if (!file) {
        ADD_FAILURE() << "cannot read " << path;
        return samples;
    }
    std::vector<float> block(4096 * static_cast<size_t>(info.channels));
    sf_count_t got;
    while ((got = sf_readf_float(file, block.data(), 4096)) > 0)
        samples.insert(samples.end(), block.begin(), block.begin() + got * info.channels);
    sf_close(file);
    return samples;
}

ToolRun shell(const std::string& line)
{
    return test_support::runCommand({"/bin/sh", "-c", line});
}

} // namespace

// Every rule of "nothing lost, nothing surprising", and each fault a new user met.
TEST(RenderSafety, EachRuleHolds)
{
    struct Row {
        const char* what;
        std::function<void(TempTree&)> setUp;
        std::vector<std::string> arguments; // "@name" is the file name in the test's folder
        int status;
        const char* said;               // on stderr (failures) or stdout (successes)
        std::vector<std::string> files; // what the folder holds afterwards
    };
    const Sound in = testSignal(2, 8000, 0.5);
    Sound poisoned = in;
    poisoned.samples[2 * 1000] = NAN;
    poisoned.samples[2 * 3000 + 1] = INFINITY;
    const std::vector<Row> rows = {
        {"input as output", nullptr, {"@in.wav", "@in.wav"}, 1, "is the input file", {"in.wav"}},
        {"existing output",
         [&](TempTree& t) { writeSound(t.file("o.wav"), in); },
         {"@in.wav", "@o.wav"},
         1,
         "--force or -y",
         {"in.wav", "o.wav"}},
        {"existing output with -y",
         [&](TempTree& t) { writeSound(t.file("o.wav"), in); },
         {"-y", "@in.wav", "@o.wav"},
         0,
         "output",
         {"in.wav", "o.wav"}},
        {"device node", nullptr, {"-y", "@in.wav", "/dev/null"}, 1, "not a regular file", {"in.wav"}},
        {"plot on the output", nullptr, {"--plot", "@o.wav", "@in.wav", "@o.wav"}, 1, "different names", {"in.wav"}},
        {"truncated WAV",
         [&](TempTree& t) {
             writeSound(t.file("cut.wav"), in);
             cutInHalf(t.file("cut.wav"));
         },
         {"@cut.wav", "@o.wav"},
         1,
         "header promises 0.18 s, the file holds 0.09 s",
         {"cut.wav", "in.wav"}},
        {"truncated AIFF",
         [&](TempTree& t) {
             writeSound(t.file("cut.aiff"), in, SF_FORMAT_AIFF | SF_FORMAT_PCM_16);
             cutInHalf(t.file("cut.aiff"));
         },
         {"@cut.aiff", "@o.wav"},
         1,
         "is truncated",
         {"cut.aiff", "in.wav"}},
        {"truncated Ogg",
         [&](TempTree& t) {
             writeSound(t.file("cut.ogg"), testSignal(2, 200000, 0.5), SF_FORMAT_OGG | SF_FORMAT_VORBIS);
             cutInHalf(t.file("cut.ogg"));
         },
         {"@cut.ogg", "@o.wav"},
         1,
         "truncated or corrupt",
         {"cut.ogg", "in.wav"}},
        {"non-finite samples",
         [&](TempTree& t) { writeSound(t.file("nan.wav"), poisoned); },
         {"@nan.wav", "@o.wav"},
         0,
         "2 non-finite samples (NaN or infinity), the first at frame 1000",
         {"in.wav", "nan.wav", "o.wav"}},
        {"Recovery by its step name",
         nullptr,
         {"--set", "recovery=MEDIUM", "@in.wav", "@o.wav"},
         0,
         "Recovery = 3.00",
         {"in.wav", "o.wav"}},
        {"Recovery=1 is step 1",
         nullptr,
         {"--set", "Recovery=1", "@in.wav", "@o.wav"},
         0,
         "Recovery = 1.00",
         {"in.wav", "o.wav"}},
        {"--list after --set",
         nullptr,
         {"--set", "Recovery=Ultra-Slow", "--set", "Out Ceiling=-3dB", "--list"},
         0,
         "-3.00 dB",
         {"in.wav"}},
        {"wall-clock speed", nullptr, {"@in.wav", "@o.wav"}, 0, "x inside the plug-in)", {"in.wav", "o.wav"}},
        {"rejected state is one line with the plug-in's words",
         [](TempTree& t) { std::ofstream(t.file("bad.chunk"), std::ios::binary) << std::string(57, 'x'); },
         {"--load-state", "@bad.chunk", "@in.wav", "@o.wav"},
         1,
         "rejected the state",
         {"bad.chunk", "in.wav"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempTree folder;
        writeSound(folder.file("in.wav"), in);
        if (row.setUp)
            row.setUp(folder);
        std::vector<std::string> arguments{"--plugin", orvanne, "-q"};
        for (const std::string& a : row.arguments)
            arguments.push_back(a[0] == '@' ? folder.file(a.substr(1)) : a);
        const ToolRun run = runTool(arguments);
        EXPECT_EQ(run.status, row.status) << run.err;
        EXPECT_TRUE(has(row.status ? run.err : run.out + run.err, row.said)) << run.out << run.err;
        if (row.status) {
            EXPECT_EQ(lines(run.err), 1) << run.err;
        }
        EXPECT_EQ(folder.names(), row.files);
        EXPECT_EQ(readSound(folder.file("in.wav")).samples, in.samples); // the input is never touched
        if (has(row.what, "non-finite")) {
            for (float v : readSound(folder.file("o.wav")).samples)
                ASSERT_TRUE(std::isfinite(v));
        }
        if (has(row.what, "rejected")) {
            EXPECT_TRUE(has(run.err, "Error -4588: Cannot load the file")) << run.err;
        }
    }
}

// '-' reads standard input and writes standard output, WAV or FLAC, as a stream.
TEST(RenderSafety, StreamsThroughStandardInputAndOutput)
{
    TempTree folder;
    const Sound in = testSignal(2, 6000, 0.5);
    writeSound(folder.file("in.wav"), in);
    ASSERT_EQ(runTool({"--plugin", orvanne, "-q", folder.file("in.wav"), folder.file("file.wav")}).status, 0);
    for (const char* format : {"wav-float", "flac-24"}) {
        SCOPED_TRACE(format);
        const std::string out = folder.file(std::string("piped-") + format);
        const ToolRun run = shell("cat '" + folder.file("in.wav") + "' | '" + RENDER_TOOL + "' --plugin '" + orvanne +
                                  "' -q --format " + format + " - - | cat > '" + out + "'");
        ASSERT_EQ(run.status, 0) << run.err;
        const std::vector<float> piped = readToEnd(out);
        const Sound file = readSound(folder.file("file.wav"));
        ASSERT_EQ(piped.size(), file.samples.size());
        for (size_t i = 0; i < piped.size(); ++i)
            ASSERT_NEAR(piped[i], file.samples[i], 1.0 / (1 << 22)) << i;
    }
}

// Targets are met on each kind of programme, the true peak stays under its limit, and
// integrated loudness agrees with ffmpeg's ebur128 where ffmpeg is installed.
TEST(RenderTargets, MeetLoudnessAndTruePeakOnEachProgramme)
{
    struct Row {
        Programme kind;
        double lufs, peak; // peak NAN: no limit
    };
    const bool ffmpeg = shell("command -v ffmpeg").status == 0;
    for (const Row& row : std::vector<Row>{{Programme::Speech, -16, -1},
                                           {Programme::Dense, -14, -1},
                                           {Programme::Sweep, -23, NAN},
                                           {Programme::Clicks, -40, -2},
                                           {Programme::Dense, -9, -0.5}}) {
        SCOPED_TRACE(static_cast<int>(row.kind));
        SCOPED_TRACE(row.lufs);
        TempTree folder;
        writeSound(folder.file("in.wav"), programme(row.kind));
        std::vector<std::string> arguments{
            "--plugin", orvanne, "-q", "--format", "wav-24", "--target-lufs", std::to_string(row.lufs)};
        if (std::isfinite(row.peak))
            arguments.insert(arguments.end(), {"--max-true-peak", std::to_string(row.peak)});
        arguments.insert(arguments.end(), {folder.file("in.wav"), folder.file("out.wav")});
        const ToolRun run = runTool(arguments);
        ASSERT_EQ(run.status, 0) << run.err;
        const Sound out = readSound(folder.file("out.wav"), false);
        EXPECT_NEAR(loudnessOf(out), row.lufs, 0.1);
        if (std::isfinite(row.peak)) {
            EXPECT_LE(truePeakOf(out), row.peak + 1e-6);
        }
        if (ffmpeg) {
            const ToolRun check = shell("ffmpeg -nostats -hide_banner -i '" + folder.file("out.wav") +
                                        "' -af ebur128 -f null - 2>&1 | grep -A1 'Integrated loudness' | tail -1");
            double measured = NAN;
            std::sscanf(check.out.c_str(), " I: %lf", &measured);
            EXPECT_NEAR(measured, row.lufs, 0.15) << check.out; // ffmpeg prints one decimal
        }
    }
}

TEST(RenderTargets, UnreachableTargetsFailWithTheNearestSetting)
{
    TempTree folder;
    writeSound(folder.file("in.wav"), programme(Programme::Clicks));
    struct Row {
        std::vector<std::string> target;
        const char* said;
    };
    for (const Row& row :
         std::vector<Row>{{{"--target-lufs", "-3"}, "cannot reach -3.0 LUFS: Input Thres +20.00 dB gives"},
                          {{"--target-lufs", "-69"}, "cannot reach -69.0 LUFS: Input Thres -20.00 dB gives"},
                          {{"--max-true-peak", "-60", "--set", "Input Thres=20dB"},
                           "cannot reach -60.0 dBTP: Out Ceiling -20.00 dB gives"}}) {
        std::vector<std::string> arguments{"--plugin", orvanne, "-q"};
        arguments.insert(arguments.end(), row.target.begin(), row.target.end());
        arguments.insert(arguments.end(), {folder.file("in.wav"), folder.file("out.wav")});
        const ToolRun run = runTool(arguments);
        EXPECT_EQ(run.status, 1) << run.out;
        EXPECT_TRUE(has(run.err, row.said)) << run.err;
        EXPECT_EQ(lines(run.err), 1) << run.err;
        EXPECT_EQ(folder.names(), std::vector<std::string>{"in.wav"});
    }
}

// One setting for an album: together on target, each keeping its place against the others.
TEST(RenderTargets, AlbumKeepsTheTracksRelativeLoudness)
{
    TempTree folder;
    Sound quiet = programme(Programme::Speech), loud = programme(Programme::Speech);
    for (float& v : quiet.samples)
        v *= 0.05f;
    for (float& v : loud.samples)
        v *= 0.1f;
    writeSound(folder.file("quiet.wav"), quiet);
    writeSound(folder.file("loud.wav"), loud);
    const ToolRun run = runTool({"--plugin", orvanne, "-q", "--album", "--target-lufs", "-20", "--out-dir",
                                 folder.file("album"), folder.file("quiet.wav"), folder.file("loud.wav")});
    ASSERT_EQ(run.status, 0) << run.err;
    const Sound a = readSound(folder.file("album/quiet.wav")), b = readSound(folder.file("album/loud.wav"));
    EXPECT_NEAR(loudnessOf(b) - loudnessOf(a), loudnessOf(loud) - loudnessOf(quiet), 0.1);
    EXPECT_GT(loudnessOf(a), -20.0 - 8); // both moved up together
    EXPECT_TRUE(has(run.out, "album     -20.0")) << run.out;
}

TEST(RenderBatch, ABadFileIsNamedAndTheOthersGoOnWithTheSameBitsForAnyJobs)
{
    TempTree folder;
    std::vector<std::string> inputs;
    for (int i = 0; i < 3; ++i) {
        inputs.push_back(folder.file("t" + std::to_string(i) + ".wav"));
        writeSound(inputs.back(), testSignal(2, 30000 + 1000 * i, 1.5));
    }
    std::ofstream(folder.file("bad.wav")) << "not sound";
    inputs.insert(inputs.begin() + 1, folder.file("bad.wav"));
    std::vector<std::vector<unsigned char>> first;
    for (const char* jobs : {"1", "2"}) {
        SCOPED_TRACE(jobs);
        const std::string dir = folder.file(std::string("out") + jobs);
        std::vector<std::string> arguments{"--plugin", orvanne,  "-q", "--format",  "wav-float", "--target-lufs",
                                           "-12",      "--jobs", jobs, "--out-dir", dir};
        arguments.insert(arguments.end(), inputs.begin(), inputs.end());
        const ToolRun run = runTool(arguments);
        EXPECT_EQ(run.status, 1) << run.out;
        EXPECT_TRUE(has(run.err, "bad.wav: input")) << run.err;
        EXPECT_EQ(lines(run.err), 1) << run.err;
        for (int i = 0; i < 3; ++i) {
            // Byte for byte: the header too (no time stamp in it).
            const std::vector<unsigned char> bytes = TempTree::readFile(dir + "/t" + std::to_string(i) + ".wav");
            if (first.size() < 3)
                first.push_back(bytes);
            else
                EXPECT_EQ(bytes, first[static_cast<size_t>(i)]);
        }
    }
}

// 16 and 24 bits carry TPDF dither (half a step RMS on silence), --no-dither rounds exactly,
// and past the RF64 limit the WAV is RF64 and reads back whole.
TEST(RenderFormats, DitherRoundingAndRf64)
{
    TempTree folder;
    writeSound(folder.file("silence.wav"), testSignal(2, 44100, 0.0));
    writeSound(folder.file("tone.wav"), testSignal(2, 20000, 0.7));
    auto render = [&](const std::vector<std::string>& extra, const std::string& in, const std::string& out) {
        std::vector<std::string> arguments{"--plugin", orvanne, "-q", "-y"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        arguments.insert(arguments.end(), {folder.file(in), folder.file(out)});
        const ToolRun run = runTool(arguments);
        EXPECT_EQ(run.status, 0) << run.err;
        return readSound(folder.file(out), false);
    };
    for (int bits : {16, 24}) {
        SCOPED_TRACE(bits);
        const double step = std::ldexp(1.0, 1 - bits);
        const std::string format = "wav-" + std::to_string(bits);
        const Sound dithered = render({"--format", format}, "silence.wav", "d.wav");
        double power = 0;
        for (float v : dithered.samples)
            power += static_cast<double>(v) * v;
        EXPECT_NEAR(std::sqrt(power / dithered.samples.size()) / step, 0.5, 0.02);
        for (float v : render({"--format", format, "--no-dither"}, "silence.wav", "s.wav").samples)
            ASSERT_EQ(v, 0.0f);
        const Sound exact = render({}, "tone.wav", "f.wav");
        const Sound rounded = render({"--format", format, "--no-dither"}, "tone.wav", "r.wav");
        ASSERT_EQ(rounded.samples.size(), exact.samples.size());
        for (size_t i = 0; i < exact.samples.size(); ++i)
            ASSERT_EQ(rounded.samples[i], static_cast<float>(std::nearbyint(exact.samples[i] / step) * step)) << i;
        EXPECT_EQ(formatOf(folder.file("r.wav")), SF_FORMAT_WAV | (bits == 16 ? SF_FORMAT_PCM_16 : SF_FORMAT_PCM_24));
    }
    const ToolRun run = test_support::runCommand(
        {RENDER_TOOL, "--plugin", orvanne, "-q", "--format", "wav-24", folder.file("tone.wav"), folder.file("big.wav")},
        {{"ORVANNE_RENDER_RF64_LIMIT", "4096"}});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(has(run.out, "(RF64)")) << run.out;
    EXPECT_EQ(formatOf(folder.file("big.wav")), SF_FORMAT_RF64 | SF_FORMAT_PCM_24);
    EXPECT_EQ(readSound(folder.file("big.wav"), false).frames(), 20000);
}
