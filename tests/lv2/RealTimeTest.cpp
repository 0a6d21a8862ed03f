// run() on a host's audio thread allocates, locks and enters the kernel for nothing, whatever
// the control ports hold and whichever ports are connected.
#include "LilvHost.h"
#include "RealTimeCheck.h"

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
    static const float kOdd[] = {NAN, INFINITY, -INFINITY, 1e30f, -0.0f};
    rt::forEachBlock(in.frames(), [&](int round, size_t position, size_t frames) {
        // Every control moves, Power (which restarts the engine) included, with bad values
        // among them; every fifth block has its right side unconnected.
        instance.controls[kPortInputThres] = static_cast<float>(round % 41 - 20);
        instance.controls[kPortOutCeiling] = round % 3 == 0 ? kOdd[round % 5] : static_cast<float>(round % 7 - 3);
        instance.controls[kPortRecovery] = static_cast<float>(round % 6);
        instance.controls[kPortPower] = static_cast<float>(round % 9 == 0);
        const bool half = round % 5 == 4;
        instance.run(&in.left[position], half ? nullptr : &in.right[position], &work.outL[position],
                     half ? nullptr : &work.outR[position], static_cast<uint32_t>(frames));
    });
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
    rt::expectNoRealTimeCalls(audioThread, &work, "run()");
}
