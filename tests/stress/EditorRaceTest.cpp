// Automation played from another thread (as hosts do from their audio or automation thread)
// while the window opens, idles and closes on the window's thread, as fast as it can.
#include "EditorTestSupport.h"
#include "LcgNoise.h"

#include "CFrame.h"
#include "controls/CControl.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace editor_test {
namespace {

using Clock = std::chrono::steady_clock;

VstIntPtr dispatch(AEffect* e, VstInt32 opcode, void* ptr = nullptr)
{
    return e->dispatcher(e, opcode, 0, 0, ptr, 0.f);
}

TEST_F(EditorTest, AutomationFromAnotherThreadWhileTheWindowOpensIdlesAndCloses)
{
    AEffect* e = effect->getAeffect();
    std::atomic<bool> stop{false};
    std::atomic<long> changes{0};
    std::thread automation([&] {
        test_support::Lcg lcg{12345};
        long n = 0;
        while (!stop.load(std::memory_order_relaxed)) {
            const uint32_t step = lcg.next();
            const VstInt32 index = kParamInputThres + VstInt32((step >> 16) % 3);
            e->setParameter(e, index, test_support::Lcg::unitOf(step));
            ++n;
        }
        changes.store(n);
    });

    int parent = 0;
    int cycles = 0;
    // Opening (pictures, preset folders) is the slow part; a few seconds give dozens of cycles
    // natively and still a handful under the sanitizers. ORVANNE_RACE_SECONDS runs it longer
    // by hand.
    const char* seconds = std::getenv("ORVANNE_RACE_SECONDS");
    const long runMs = seconds != nullptr && std::atol(seconds) > 0 ? std::atol(seconds) * 1000L : 2500L;
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(runMs);
    while (Clock::now() < end || cycles < 5) {
        ASSERT_EQ(dispatch(e, effEditOpen, &parent), 1);
        for (int i = 0; i < 3; ++i)
            dispatch(e, effEditIdle);
        dispatch(e, effEditClose);
        ++cycles;
    }
    stop.store(true);
    automation.join();
    EXPECT_GE(cycles, 5);
    EXPECT_GT(changes.load(), 1000);

    // Afterwards the knobs follow the effect within one idle.
    ASSERT_EQ(dispatch(e, effEditOpen, &parent), 1);
    for (VstInt32 index = kParamInputThres; index <= kParamRecovery; ++index) {
        e->setParameter(e, index, 0.25f);
        dispatch(e, effEditIdle);
        EXPECT_FLOAT_EQ(editor->getControl(index)->getValue(), effect->getParameter(index)) << index;
    }
    dispatch(e, effEditClose);
}

} // namespace
} // namespace editor_test
