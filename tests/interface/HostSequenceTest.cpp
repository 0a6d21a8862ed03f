// Call sequences real hosts send: scanners, set-up before effOpen, changing block sizes,
// idle without an editor, suspend and resume in the middle of a session, and latency.
#include "InterfaceSupport.h"

#include <algorithm>
#include <cmath>

using iface::loadPlugin;
using iface::StereoBlock;
using iface::TestSignal;
using vsthost::PluginHost;

namespace {

// Renders frames of signal through the host in blocks of the given sizes (repeated).
void render(PluginHost& host, TestSignal& signal, const std::vector<int>& blocks, int frames, std::vector<float>& left,
            std::vector<float>& right)
{
    int largest = *std::max_element(blocks.begin(), blocks.end());
    StereoBlock block(largest);
    left.clear();
    right.clear();
    size_t next = 0;
    for (int done = 0; done < frames;) {
        int n = std::min(blocks[next++ % blocks.size()], frames - done);
        signal.fill(block.inL.data(), block.inR.data(), n);
        host.processReplacing(block.inputs(), block.outputs(), n);
        left.insert(left.end(), block.outL.begin(), block.outL.begin() + n);
        right.insert(right.end(), block.outR.begin(), block.outR.begin() + n);
        done += n;
    }
}

} // namespace

TEST(HostSequences, ScannerOpensQueriesAndCloses)
{
    // A scanner loads the module again and again; each time must look the same.
    for (int round = 0; round < 3; ++round) {
        auto host = loadPlugin();
        ASSERT_TRUE(host);
        EXPECT_EQ(host->dispatch(effOpen), 0);
        EXPECT_EQ(host->dispatch(effGetVstVersion), 2400);
        EXPECT_EQ(host->effectName(), "Orvanne");
        EXPECT_EQ(host->vendorString(), "Tarvelle");
        EXPECT_EQ(host->dispatch(effGetPlugCategory), kPlugCategEffect);
        for (const char* text :
             {"receiveVstEvents", "receiveVstMidiEvent", "sendVstEvents", "sendVstMidiEvent", "bypass"})
            EXPECT_EQ(host->canDo(text), -1) << text;
        EXPECT_EQ(host->dispatch(effMainsChanged, 0, 0), 0);
        EXPECT_EQ(host->dispatch(effClose), 1);
    }
}

TEST(HostSequences, SetUpBeforeOpen)
{
    auto host = loadPlugin();
    ASSERT_TRUE(host);
    host->dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    host->dispatch(effSetBlockSize, 0, 512);
    EXPECT_EQ(host->dispatch(effIdentify), kEffectIdentify);
    EXPECT_EQ(host->effect()->initialDelay, 240);
    host->open();
    EXPECT_EQ(host->effect()->initialDelay, 240);
    host->dispatch(effMainsChanged, 0, 1);
    StereoBlock block(512);
    TestSignal signal(3, 0.9, 0.9, 0.02);
    signal.fill(block.inL.data(), block.inR.data(), 512);
    host->processReplacing(block.inputs(), block.outputs(), 512);
    for (float v : block.outL)
        ASSERT_TRUE(std::isfinite(v));
}

TEST(HostSequences, BlockSizesDoNotChangeTheOutput)
{
    const int frames = 44100;
    std::vector<float> refLeft, refRight, left, right;
    {
        auto host = loadPlugin();
        ASSERT_TRUE(host);
        host->start(44100.0f, 64);
        TestSignal signal(11, 1.6, 0.7, 0.013);
        render(*host, signal, {64}, frames, refLeft, refRight);
    }
    {
        auto host = loadPlugin();
        ASSERT_TRUE(host);
        host->start(44100.0f, 8192);
        TestSignal signal(11, 1.6, 0.7, 0.013);
        // Sizes seen in one session, the offline size, and odd ones; the last block is short.
        render(*host, signal, {1024, 768, 256, 8192, 1, 333, 7}, frames, left, right);
    }
    ASSERT_EQ(left.size(), refLeft.size());
    EXPECT_TRUE(left == refLeft) << "left channel depends on the host's block sizes";
    EXPECT_TRUE(right == refRight) << "right channel depends on the host's block sizes";
}

TEST(HostSequences, EditorIdleWithoutAnOpenEditorIsHarmless)
{
    auto host = loadPlugin();
    ASSERT_TRUE(host);
    host->start(44100.0f, 128);
    StereoBlock block(128);
    TestSignal signal(5, 0.5, 0.5, 0.01);
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(host->dispatch(effEditIdle), 0);
        if (i % 20 == 0) {
            signal.fill(block.inL.data(), block.inR.data(), 128);
            host->processReplacing(block.inputs(), block.outputs(), 128);
        }
    }
    EXPECT_EQ(host->dispatch(effEditClose), 0);
}

// effMainsChanged off resets the effect: what follows sounds exactly as from a fresh instance.
TEST(HostSequences, SuspendAndResumeMidSession)
{
    const int frames = 20000;
    std::vector<float> freshLeft, freshRight, left, right;
    {
        auto host = loadPlugin();
        ASSERT_TRUE(host);
        host->start(44100.0f, 512);
        TestSignal signal(21, 1.2, 1.0, 0.005);
        render(*host, signal, {512}, frames, freshLeft, freshRight);
    }
    auto host = loadPlugin();
    ASSERT_TRUE(host);
    host->start(44100.0f, 512);
    TestSignal loud(99, 3.0, 2.0, 0.03);
    render(*host, loud, {512}, 30000, left, right);
    host->dispatch(effMainsChanged, 0, 0);
    host->dispatch(effMainsChanged, 0, 1);
    TestSignal signal(21, 1.2, 1.0, 0.005);
    render(*host, signal, {512}, frames, left, right);
    EXPECT_TRUE(left == freshLeft && right == freshRight) << "state survived effMainsChanged off/on";
}

// The reported initialDelay is the real delay: a quiet impulse comes out exactly that late.
TEST(HostSequences, ReportedLatencyIsTheRealDelay)
{
    for (float rate : {44100.0f, 48000.0f, 96000.0f, 22050.0f}) {
        auto host = loadPlugin();
        ASSERT_TRUE(host);
        host->start(rate, 1024);
        const int delay = host->effect()->initialDelay;
        const int frames = 2048;
        const int at = 100;
        StereoBlock block(frames);
        std::fill(block.inL.begin(), block.inL.end(), 0.0f);
        std::fill(block.inR.begin(), block.inR.end(), 0.0f);
        block.inL[at] = 0.25f;
        block.inR[at] = -0.125f;
        host->processReplacing(block.inputs(), block.outputs(), frames);
        auto loudest = [](const std::vector<float>& v) {
            return static_cast<int>(
                std::max_element(v.begin(), v.end(), [](float a, float b) { return std::fabs(a) < std::fabs(b); }) -
                v.begin());
        };
        EXPECT_EQ(loudest(block.outL) - at, delay) << "at " << rate << " Hz";
        EXPECT_EQ(loudest(block.outR) - at, delay) << "at " << rate << " Hz";
        EXPECT_NEAR(block.outL[static_cast<size_t>(at + delay)], 0.25f, 1e-4) << "at " << rate << " Hz";
    }
}

TEST(HostSequences, TimeInfoAdvancesWithProcessing)
{
    auto host = loadPlugin();
    ASSERT_TRUE(host);
    host->start(48000.0f, 256);
    StereoBlock block(256);
    TestSignal signal(1, 0.1, 0.1, 0.01);
    for (int i = 0; i < 4; ++i) {
        signal.fill(block.inL.data(), block.inR.data(), 256);
        host->processReplacing(block.inputs(), block.outputs(), 256);
    }
    EXPECT_EQ(host->record().timeInfo.samplePos, 1024.0);
    EXPECT_EQ(host->record().timeInfo.sampleRate, 48000.0);
}
