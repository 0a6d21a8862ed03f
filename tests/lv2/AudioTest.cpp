// The LV2 module's audio against the VST build's, bit for bit, and its answers to bad host
// input: odd rates, NaN and infinite control values, unconnected and shared buffers.
#include "LilvHost.h"

#include "PluginHost.h"
#include "TarvelleVST.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

using namespace lv2test;

namespace {

VstIntPtr VSTCALLBACK silentHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

// A change of the controls at a frame of the programme, in plain units.
struct Change {
    double at; // fraction of the material
    uint32_t port;
    float plain;
};

const Change kProgramme[] = {
    {0.0, kPortInputThres, 6.0f},   {0.0, kPortRecovery, 3.0f}, {0.25, kPortOutCeiling, -1.5f},
    {0.25, kPortRecovery, 5.0f},    {0.4, kPortPower, 1.0f},    {0.45, kPortPower, 0.0f},
    {0.45, kPortInputThres, 12.5f}, {0.6, kPortRecovery, 1.0f}, {0.8, kPortInputThres, -3.0f},
    {0.8, kPortOutCeiling, 2.0f},   {0.9, kPortRecovery, 2.0f},
};

VstInt32 paramOf(uint32_t port)
{
    switch (port) {
    case kPortInputThres:
        return kParamInputThres;
    case kPortOutCeiling:
        return kParamOutCeiling;
    case kPortRecovery:
        return kParamRecovery;
    default:
        return kParamPower;
    }
}

struct Rendered {
    std::vector<float> left, right;
    float meters[kMeterCount] = {};
    float latency = -1.0f;
};

// The programme through the LV2 module in blocks of random size (cut where a change falls).
Rendered renderLv2(World& world, double rate, const Stereo& in, uint32_t seed)
{
    Rendered out;
    out.left.resize(in.frames());
    out.right.resize(in.frames());
    Instance instance(world, rate);
    EXPECT_TRUE(instance.valid());
    if (!instance.valid())
        return out;
    instance.activate();
    std::mt19937 random(seed);
    std::uniform_int_distribution<uint32_t> blockSize(1, 3000);
    size_t done = 0;
    size_t next = 0;
    const size_t count = sizeof(kProgramme) / sizeof(kProgramme[0]);
    while (done < in.frames()) {
        while (next < count && static_cast<size_t>(kProgramme[next].at * in.frames()) <= done) {
            instance.controls[kProgramme[next].port] = kProgramme[next].plain;
            ++next;
        }
        size_t end = next < count ? static_cast<size_t>(kProgramme[next].at * in.frames()) : in.frames();
        const size_t n = std::min<size_t>(blockSize(random), end - done);
        instance.run(in.left.data() + done, in.right.data() + done, out.left.data() + done, out.right.data() + done,
                     static_cast<uint32_t>(n));
        done += n;
    }
    for (uint32_t k = 0; k < kMeterCount; ++k)
        out.meters[k] = instance.controls[kFirstMeter + k];
    out.latency = instance.controls[kPortLatency];
    return out;
}

// The same programme through the VST build as orvanne-render drives it, in blocks of 512,
// the values normalised by the effect's own parameter records.
Rendered renderVst(float rate, const Stereo& in)
{
    Rendered out;
    out.left.resize(in.frames());
    out.right.resize(in.frames());
    std::unique_ptr<CTarvelleVST> records(createTarvelleVST(silentHost, nullptr));
    std::string error;
    std::unique_ptr<vsthost::PluginHost> host = vsthost::PluginHost::load(ORVANNE_VST_PLUGIN, error);
    EXPECT_TRUE(host != nullptr && records != nullptr) << error;
    if (host == nullptr || records == nullptr)
        return out;
    host->start(rate, 512);
    size_t done = 0;
    size_t next = 0;
    const size_t count = sizeof(kProgramme) / sizeof(kProgramme[0]);
    while (done < in.frames()) {
        while (next < count && static_cast<size_t>(kProgramme[next].at * in.frames()) <= done) {
            const VstInt32 param = paramOf(kProgramme[next].port);
            host->setParameter(param, records->normalizeValue(param, kProgramme[next].plain));
            ++next;
        }
        size_t end = next < count ? static_cast<size_t>(kProgramme[next].at * in.frames()) : in.frames();
        const size_t n = std::min<size_t>(512, end - done);
        float* inputs[2] = {const_cast<float*>(in.left.data() + done), const_cast<float*>(in.right.data() + done)};
        float* outputs[2] = {out.left.data() + done, out.right.data() + done};
        host->processReplacing(inputs, outputs, static_cast<VstInt32>(n));
        done += n;
    }
    for (uint32_t k = 0; k < kMeterCount; ++k)
        out.meters[k] = host->getParameter(kReadingOutLeft + static_cast<VstInt32>(k));
    out.latency = static_cast<float>(host->latency());
    return out;
}

// Where the output's peak falls for an impulse at frame 0 (the output is not exactly zero
// elsewhere: the engine's guard against denormals leaves traces far below it).
long long impulseDelay(World& world, double rate, float* reported)
{
    Instance instance(world, rate);
    EXPECT_TRUE(instance.valid());
    if (!instance.valid())
        return -1;
    instance.activate();
    std::vector<float> in(8192, 0.0f), outL(in.size()), outR(in.size());
    in[0] = 0.25f;
    instance.run(in.data(), in.data(), outL.data(), outR.data(), static_cast<uint32_t>(in.size()));
    *reported = instance.controls[kPortLatency];
    size_t peak = 0;
    for (size_t i = 0; i < in.size(); ++i)
        if (std::fabs(outL[i]) > std::fabs(outL[peak]))
            peak = i;
    EXPECT_EQ(outL[peak], outR[peak]);
    EXPECT_GT(std::fabs(outL[peak]), 0.2f);
    return static_cast<long long>(peak);
}

bool allFinite(const std::vector<float>& samples)
{
    for (float v : samples)
        if (!std::isfinite(v))
            return false;
    return true;
}

} // namespace

// 22050 Hz is a rate the VST build treats as 44100; the module must do the same.
TEST(Lv2Audio, OutputEqualsTheVstBuildBitForBitAtEveryRate)
{
    World world;
    ASSERT_NE(world.plugin, nullptr) << world.loadMessages;
    const Stereo in = programMaterial();
    uint32_t seed = 1;
    for (float rate : {44100.0f, 48000.0f, 96000.0f, 22050.0f}) {
        SCOPED_TRACE(rate);
        const Rendered lv2 = renderLv2(world, rate, in, seed++);
        const Rendered vst = renderVst(rate, in);
        EXPECT_EQ(firstDifference(lv2.left, vst.left), -1);
        EXPECT_EQ(firstDifference(lv2.right, vst.right), -1);
        for (uint32_t k = 0; k < kMeterCount; ++k)
            EXPECT_EQ(lv2.meters[k], vst.meters[k]) << "meter port " << kFirstMeter + k;
        EXPECT_EQ(lv2.latency, vst.latency);
    }
}

TEST(Lv2Audio, LatencyPortEqualsTheMeasuredImpulseDelay)
{
    World world;
    ASSERT_NE(world.plugin, nullptr) << world.loadMessages;
    // Rates that are no rate (0, negative, NaN) count as 44100 and huge ones are capped.
    for (double rate : {44100.0, 48000.0, 96000.0, 192000.0, 22050.0, 0.0, -48000.0, std::nan(""), 1e12}) {
        SCOPED_TRACE(rate);
        float reported = -1.0f;
        const long long measured = impulseDelay(world, rate, &reported);
        EXPECT_GT(measured, 0);
        EXPECT_EQ(static_cast<float>(measured), reported);
        if (!(rate > 44100.0)) {
            EXPECT_EQ(reported, 220.0f);
        }
    }
}

TEST(Lv2Audio, NanInfiniteAndInBetweenControlValuesGetSafeAnswers)
{
    World world;
    ASSERT_NE(world.plugin, nullptr) << world.loadMessages;
    const Stereo in = programMaterial();
    const uint32_t half = static_cast<uint32_t>(in.frames() / 2);

    // NaN keeps the last good value: 6 dB, then NaN, sounds as 6 dB throughout; NaN from the
    // start sounds as the defaults.
    Instance odd(world, 44100.0);
    Instance plain(world, 44100.0);
    ASSERT_TRUE(odd.valid() && plain.valid());
    std::vector<float> oddL(in.frames()), oddR(in.frames()), plainL(in.frames()), plainR(in.frames());
    for (Instance* instance : {&odd, &plain}) {
        instance->activate();
        instance->controls[kPortInputThres] = 6.0f;
    }
    odd.controls[kPortOutCeiling] = odd.controls[kPortRecovery] = odd.controls[kPortPower] = std::nanf("");
    odd.run(in.left.data(), in.right.data(), oddL.data(), oddR.data(), half);
    plain.run(in.left.data(), in.right.data(), plainL.data(), plainR.data(), half);
    odd.controls[kPortInputThres] = std::nanf("");
    odd.run(in.left.data() + half, in.right.data() + half, oddL.data() + half, oddR.data() + half, half);
    plain.run(in.left.data() + half, in.right.data() + half, plainL.data() + half, plainR.data() + half, half);
    oddL.resize(2 * half), oddR.resize(2 * half), plainL.resize(2 * half), plainR.resize(2 * half);
    EXPECT_TRUE(allFinite(oddL) && allFinite(oddR));
    EXPECT_EQ(firstDifference(oddL, plainL), -1);
    EXPECT_EQ(firstDifference(oddR, plainR), -1);
    for (uint32_t k = 0; k < kMeterCount; ++k)
        EXPECT_TRUE(std::isfinite(odd.controls[kFirstMeter + k]));

    // Infinities are taken as the nearest end of each range; a toggle is on above zero.
    Instance infinite(world, 44100.0);
    Instance ends(world, 44100.0);
    ASSERT_TRUE(infinite.valid() && ends.valid());
    infinite.controls[kPortInputThres] = INFINITY;
    infinite.controls[kPortOutCeiling] = -INFINITY;
    infinite.controls[kPortRecovery] = INFINITY;
    infinite.controls[kPortPower] = -INFINITY;
    ends.controls[kPortInputThres] = 20.0f;
    ends.controls[kPortOutCeiling] = -20.0f;
    ends.controls[kPortRecovery] = 5.0f;
    ends.controls[kPortPower] = 0.0f;
    for (Instance* instance : {&infinite, &ends})
        instance->activate();
    infinite.run(in.left.data(), in.right.data(), oddL.data(), oddR.data(), half);
    ends.run(in.left.data(), in.right.data(), plainL.data(), plainR.data(), half);
    EXPECT_TRUE(allFinite(oddL) && allFinite(oddR));
    EXPECT_EQ(firstDifference(oddL, plainL), -1);
    EXPECT_EQ(firstDifference(oddR, plainR), -1);

    // A toggle moving while it stays on (Power at 1, then 0.5) does not set Power again,
    // which would restart the engine and empty its delay.
    Instance moving(world, 44100.0);
    Instance steady(world, 44100.0);
    ASSERT_TRUE(moving.valid() && steady.valid());
    for (Instance* instance : {&moving, &steady}) {
        instance->controls[kPortPower] = 1.0f;
        instance->activate();
    }
    moving.run(in.left.data(), in.right.data(), oddL.data(), oddR.data(), half);
    steady.run(in.left.data(), in.right.data(), plainL.data(), plainR.data(), half);
    moving.controls[kPortPower] = 0.5f;
    moving.run(in.left.data() + half, in.right.data() + half, oddL.data() + half, oddR.data() + half, half);
    steady.run(in.left.data() + half, in.right.data() + half, plainL.data() + half, plainR.data() + half, half);
    EXPECT_EQ(firstDifference(oddL, plainL), -1);
    EXPECT_EQ(firstDifference(oddR, plainR), -1);
}

TEST(Lv2Audio, UnconnectedPortsAreAbsentAndSharedBuffersWork)
{
    World world;
    ASSERT_NE(world.plugin, nullptr) << world.loadMessages;
    const Stereo in = programMaterial();
    const uint32_t frames = 20000;

    // Nothing connected at all: the module runs and writes nowhere.
    Instance bare(world, 44100.0);
    ASSERT_TRUE(bare.valid());
    for (uint32_t port = kFirstControlInput; port < kPortCount; ++port)
        bare.connectControl(port, false);
    bare.activate();
    bare.run(nullptr, nullptr, nullptr, nullptr, frames);

    // Only the left side connected: as a right input of silence whose output is dropped.
    Instance half(world, 44100.0);
    Instance full(world, 44100.0);
    ASSERT_TRUE(half.valid() && full.valid());
    std::vector<float> halfL(frames), fullL(frames), fullR(frames), silence(frames, 0.0f);
    half.activate();
    full.activate();
    half.run(in.left.data(), nullptr, halfL.data(), nullptr, frames);
    full.run(in.left.data(), silence.data(), fullL.data(), fullR.data(), frames);
    EXPECT_EQ(firstDifference(halfL, fullL), -1);

    // Outputs written over the inputs (hosts may hand the same buffers).
    Instance shared(world, 44100.0);
    ASSERT_TRUE(shared.valid());
    std::vector<float> left(in.left.begin(), in.left.begin() + frames),
        right(in.right.begin(), in.right.begin() + frames);
    shared.activate();
    full.activate();
    shared.controls[kPortInputThres] = full.controls[kPortInputThres] = 8.0f;
    shared.run(left.data(), right.data(), left.data(), right.data(), frames);
    full.run(in.left.data(), in.right.data(), fullL.data(), fullR.data(), frames);
    EXPECT_EQ(firstDifference(left, fullL), -1);
    EXPECT_EQ(firstDifference(right, fullR), -1);
}
