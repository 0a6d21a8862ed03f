// The calls a host makes from its audio thread (processReplacing, setParameter, getParameter)
// never allocate, lock or enter the kernel, with the editor closed and open.
#include "RealTimeCheck.h"
#include "StressSupport.h"

#include <mutex>
#include <unistd.h>

using stress::Programme;
using vsthost::PluginHost;

namespace {

struct AudioThreadWork {
    PluginHost* host;
    const Programme* in;
    std::vector<float> outL, outR;
};

// What a host's audio thread does: blocks of many sizes, automation of every parameter
// (Power included, which clears the meters), and reads of parameters and meter readings.
void audioThread(void* context)
{
    AudioThreadWork& work = *static_cast<AudioThreadWork*>(context);
    const Programme& in = *work.in;
    rt::forEachBlock(in.frames(), [&](int round, size_t position, size_t frames) {
        float* inputs[2] = {const_cast<float*>(&in.left[position]), const_cast<float*>(&in.right[position])};
        float* outputs[2] = {&work.outL[position], &work.outR[position]};
        work.host->processReplacing(inputs, outputs, static_cast<VstInt32>(frames));

        const VstInt32 index = round % 5;
        work.host->setParameter(index, static_cast<float>(round % 11) / 10.0f);
        if (index == 1)
            work.host->setParameter(1, 0.0f);
        for (VstInt32 reading = 0; reading <= 15; ++reading)
            (void)work.host->getParameter(reading);
    });
}

void expectRealTimeSafe(PluginHost& host, const char* state)
{
    const Programme in(60000, 0xa0d10);
    AudioThreadWork work{&host, &in, std::vector<float>(in.frames()), std::vector<float>(in.frames())};
    rt::expectNoRealTimeCalls(audioThread, &work, state);
}

// The counters see each kind of call they watch for, so a pass above means something.
TEST(RealTimeSafety, TheCountersSeeAllocationsLocksAndSystemCalls)
{
    bool systemCallsWatched = false;
    const rt::Counts counts = rt::watch(
        [](void*) {
            static std::mutex mutex;
            std::lock_guard<std::mutex> lock(mutex);
            std::vector<int>* scratch = new std::vector<int>(100);
            delete scratch;
            (void)getppid();
        },
        nullptr, systemCallsWatched);
    EXPECT_GE(counts.heap, 4); // two allocations, two releases
    EXPECT_GE(counts.locks, 1);
    if (systemCallsWatched) {
        EXPECT_GE(counts.systemCalls, 1);
    }
}

TEST(RealTimeSafety, AudioThreadCallsWithTheEditorClosed)
{
    std::unique_ptr<PluginHost> host = stress::loadPlugin();
    ASSERT_TRUE(host);
    host->start(44100.0f, 4096);
    expectRealTimeSafe(*host, "editor closed");
}

TEST(RealTimeSafety, AudioThreadCallsWithTheEditorOpen)
{
    std::unique_ptr<PluginHost> host = stress::loadPlugin();
    ASSERT_TRUE(host);
    host->start(48000.0f, 4096);
    int parent = 0;
    ASSERT_EQ(host->dispatch(effEditOpen, 0, 0, &parent), 1);
    host->dispatch(effEditIdle);
    expectRealTimeSafe(*host, "editor open");
    host->dispatch(effEditIdle);
    host->dispatch(effEditClose);
}

} // namespace
