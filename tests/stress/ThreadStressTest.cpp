// Instances in parallel on their own threads give what each gives alone.
#include "StressSupport.h"

#include <atomic>
#include <cmath>
#include <thread>

using stress::Output;
using stress::Programme;
using vsthost::PluginHost;

namespace {

constexpr int kInstances = 8;

// Each instance gets its own settings, block size and material, all derived from its number.
Output renderInstance(int number, const Programme& in)
{
    std::unique_ptr<PluginHost> host = stress::loadPlugin();
    if (!host)
        return {};
    host->start(number % 2 == 0 ? 44100.0f : 96000.0f, 1024);
    host->setParameter(2, 0.5f + 0.06f * static_cast<float>(number));
    host->setParameter(3, 0.2f + 0.1f * static_cast<float>(number));
    host->setParameter(4, 0.125f * static_cast<float>(number));
    const int block = 64 + 117 * number;
    Output out = stress::render(*host, in, [block](size_t) { return block; });
    // Parameter reads and meter readings from this thread as a host's display would.
    for (VstInt32 index = 0; index <= 15; ++index)
        (void)host->getParameter(index);
    return out;
}

TEST(InstanceStress, EightInstancesOnEightThreadsEqualOneThread)
{
    // Kept loaded throughout, as a host keeps a plug-in it uses: otherwise the module is unloaded
    // whenever one thread's instance closes before the next one loads, and loaded again on another
    // thread, whose static initialisation ThreadSanitizer then reports as a race with the first
    // (it does not see the unload order the loader gives).
    std::unique_ptr<PluginHost> resident = stress::loadPlugin();
    ASSERT_TRUE(resident);

    std::vector<Programme> inputs;
    for (int i = 0; i < kInstances; ++i)
        inputs.emplace_back(40000, 0x1000u + static_cast<uint32_t>(i));

    std::vector<Output> alone;
    for (int i = 0; i < kInstances; ++i)
        alone.push_back(renderInstance(i, inputs[i]));

    std::vector<Output> together(kInstances);
    std::vector<std::thread> threads;
    for (int i = 0; i < kInstances; ++i)
        threads.emplace_back([&, i]() { together[i] = renderInstance(i, inputs[i]); });
    for (std::thread& thread : threads)
        thread.join();

    for (int i = 0; i < kInstances; ++i) {
        ASSERT_EQ(alone[i].left.size(), inputs[i].frames()) << "instance " << i;
        EXPECT_TRUE(together[i] == alone[i])
            << "instance " << i << ", first difference at " << stress::firstDifference(together[i], alone[i]);
    }
}

// One instance as a host drives it from three threads at once: audio, automation of Power
// and the level controls, and a display reading parameters, their text and the meters. The output
// stays finite, and under ThreadSanitizer no access is a data race.
// Sanitizer-only coverage: natively it checks only that the output is finite.
TEST(InstanceStress, AudioAutomationAndDisplayThreadsShareOneInstance)
{
    std::unique_ptr<PluginHost> host = stress::loadPlugin();
    ASSERT_TRUE(host);
    host->start(44100.0f, 512);
    AEffect* effect = host->effect();
    const Programme in(44100, 0xc0c0);
    std::atomic<bool> running{true};
    std::atomic<long> nonFinite{0};

    std::thread automation([&]() {
        test_support::Lcg lcg{1};
        while (running.load(std::memory_order_relaxed)) {
            const uint32_t step = lcg.next();
            effect->setParameter(effect, 1 + static_cast<VstInt32>(step % 4), test_support::Lcg::unitOf(step));
        }
    });
    std::thread display([&]() {
        char text[64];
        while (running.load(std::memory_order_relaxed)) {
            for (VstInt32 index = 0; index <= 15; ++index)
                if (!std::isfinite(effect->getParameter(effect, index)))
                    nonFinite.fetch_add(1, std::memory_order_relaxed);
            for (VstInt32 index = 0; index < 5; ++index)
                effect->dispatcher(effect, effGetParamDisplay, index, 0, text, 0.0f);
        }
    });
    std::vector<float> outL(in.frames()), outR(in.frames());
    for (int pass = 0; pass < 4; ++pass) {
        host->processStereo(in.left.data(), in.right.data(), outL.data(), outR.data(),
                            static_cast<VstInt32>(in.frames()));
        for (size_t i = 0; i < outL.size(); ++i)
            if (!std::isfinite(outL[i]) || !std::isfinite(outR[i]))
                nonFinite.fetch_add(1, std::memory_order_relaxed);
    }
    running = false;
    automation.join();
    display.join();
    EXPECT_EQ(nonFinite.load(), 0);
}

} // namespace
