// run() on a host's audio thread allocates, locks and enters the kernel for nothing, whatever
// the control ports hold and whichever ports are connected.
#include "LilvHost.h"
#include "RealTimeCounters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

using namespace lv2test;

namespace {

struct AudioThreadWork {
    Instance* instance;
    const Stereo* in;
    std::vector<float> outL, outR;
};

void audioThread(void* context)
{
    AudioThreadWork& work = *static_cast<AudioThreadWork*>(context);
    Instance& instance = *work.instance;
    const Stereo& in = *work.in;
    static const uint32_t kBlocks[] = {512, 1, 64, 1000, 4096, 7, 300};
    static const float kOdd[] = {NAN, INFINITY, -INFINITY, 1e30f, -0.0f};
    size_t position = 0;
    for (int round = 0; position < in.frames(); ++round) {
        uint32_t frames = kBlocks[round % 7];
        if (frames > in.frames() - position)
            frames = static_cast<uint32_t>(in.frames() - position);
        // Every control moves, Power (which restarts the engine) included, with bad values
        // among them; every fifth block has its right side unconnected.
        instance.controls[kPortInputThres] = static_cast<float>(round % 41 - 20);
        instance.controls[kPortOutCeiling] = round % 3 == 0 ? kOdd[round % 5] : static_cast<float>(round % 7 - 3);
        instance.controls[kPortRecovery] = static_cast<float>(round % 6);
        instance.controls[kPortPower] = static_cast<float>(round % 9 == 0);
        const bool half = round % 5 == 4;
        instance.run(&in.left[position], half ? nullptr : &in.right[position], &work.outL[position],
                     half ? nullptr : &work.outR[position], frames);
        position += frames;
    }
}

} // namespace

TEST(Lv2RealTime, RunMakesNoHeapLockOrSystemCalls)
{
    World world;
    ASSERT_NE(world.plugin, nullptr) << world.loadMessages;
    Instance instance(world, 48000.0);
    ASSERT_TRUE(instance.valid());
    instance.activate();
    const Stereo in = programMaterial();
    AudioThreadWork work{&instance, &in, std::vector<float>(in.frames()), std::vector<float>(in.frames())};
    audioThread(&work); // once unwatched: first-use set-up of this program's counters

    bool systemCallsWatched = false;
    const rt::Counts counts = rt::watch(audioThread, &work, systemCallsWatched);
    EXPECT_EQ(counts.heap, 0) << "heap calls in run()";
    EXPECT_EQ(counts.locks, 0) << "lock calls in run()";
    if (systemCallsWatched) {
        EXPECT_EQ(counts.systemCalls, 0) << "system calls in run() (numbers " << counts.firstSystemCalls << ")";
    } else {
        std::fprintf(stderr, "note: seccomp unavailable; system calls seen only through the C library\n");
    }
}
