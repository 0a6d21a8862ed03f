// Parameters through the record's entries and the dispatcher: values, read-outs, labels,
// and what values outside 0..1 may do.
#include "InterfaceSupport.h"

#include <cmath>
#include <limits>

using iface::loadPlugin;

TEST(Parameters, FactoryDefaults)
{
    auto host = loadPlugin();
    ASSERT_TRUE(host);
    const float values[] = {0.0f, 0.0f, 0.5f, 0.5f, 0.0f};
    const char* displays[] = {"Off", "Off", "0.00", "0.00", "1.00"};
    const char* labels[] = {"", "", "dB", "dB", ""};
    for (VstInt32 i = 0; i < 5; ++i) {
        EXPECT_EQ(host->getParameter(i), values[i]) << "parameter " << i;
        EXPECT_EQ(host->parameterDisplay(i), displays[i]) << "parameter " << i;
        EXPECT_EQ(host->parameterLabel(i), labels[i]) << "parameter " << i;
    }
    EXPECT_EQ(host->findParameter("Input Thres"), 2);
    EXPECT_EQ(host->findParameter("recovery"), 4);
    EXPECT_EQ(host->findParameter("Nothing"), -1);
}

TEST(Parameters, LevelRoundTrips)
{
    auto host = loadPlugin();
    ASSERT_TRUE(host);
    const struct {
        float x;
        const char* display;
    } cases[] = {{1.0f, "20.00"}, {0.0f, "-20.00"}, {0.65f, "6.00"}, {0.4925f, "-0.30"}, {0.5f, "0.00"}};
    for (VstInt32 index : {2, 3})
        for (const auto& c : cases) {
            host->setParameter(index, c.x);
            EXPECT_EQ(host->parameterDisplay(index), c.display) << "parameter " << index << " at " << c.x;
            EXPECT_NEAR(host->getParameter(index), c.x, 1e-6) << "parameter " << index << " at " << c.x;
        }
    // Exact at the ends of the range.
    host->setParameter(2, 1.0f);
    EXPECT_EQ(host->getParameter(2), 1.0f);
    host->setParameter(2, 0.0f);
    EXPECT_EQ(host->getParameter(2), 0.0f);
}

TEST(Parameters, SteppedRecovery)
{
    auto host = loadPlugin();
    ASSERT_TRUE(host);
    const struct {
        float x;
        float normalised;
        const char* display;
    } cases[] = {{0.3f, 0.2501f, "2.00"}, {0.0f, 0.0f, "1.00"},     {0.2499f, 0.0f, "1.00"},  {0.25f, 0.2501f, "2.00"},
                 {0.5f, 0.5001f, "3.00"}, {0.75f, 0.7501f, "4.00"}, {0.99f, 0.7501f, "4.00"}, {1.0f, 1.0f, "5.00"}};
    for (const auto& c : cases) {
        host->setParameter(4, c.x);
        EXPECT_EQ(host->getParameter(4), c.normalised) << "at " << c.x;
        EXPECT_EQ(host->parameterDisplay(4), c.display) << "at " << c.x;
        // Handing the answer back selects the same step.
        host->setParameter(4, host->getParameter(4));
        EXPECT_EQ(host->parameterDisplay(4), c.display) << "round trip at " << c.x;
    }
}

TEST(Parameters, SwitchesAndTheUnusedSlot)
{
    auto host = loadPlugin();
    ASSERT_TRUE(host);
    host->setParameter(1, 0.99f);
    EXPECT_EQ(host->getParameter(1), 0.0f);
    EXPECT_EQ(host->parameterDisplay(1), "Off");
    host->setParameter(1, 1.0f);
    EXPECT_EQ(host->getParameter(1), 1.0f);
    EXPECT_EQ(host->parameterDisplay(1), "On");
    host->setParameter(0, 0.7f);
    EXPECT_EQ(host->getParameter(0), 0.0f);
    EXPECT_EQ(host->parameterDisplay(0), "Off");
    // Indices the effect does not define change nothing and read 0.
    host->setParameter(5, 0.3f);
    host->setParameter(-1, 0.3f);
    EXPECT_EQ(host->getParameter(5), 0.0f);
    EXPECT_EQ(host->getParameter(-1), 0.0f);
    EXPECT_EQ(host->getParameter(1000), 0.0f);
    // Plain setParameter is not an automation report: only construction's five are recorded.
    EXPECT_EQ(host->record().automation.size(), 5u);
}

// A host may hand any float. Whatever the effect stores, nothing may break: the texts stay
// bounded, the audio stays finite, and valid values afterwards bring everything back.
TEST(Parameters, ValuesOutsideTheRangeDoNoHarm)
{
    auto host = loadPlugin();
    ASSERT_TRUE(host);
    host->start(44100.0f, 256);
    iface::StereoBlock block(256);
    iface::TestSignal signal(7, 0.8, 0.5, 0.01);
    const float odd[] = {-1.0f, 2.0f, 1.5f, -0.25f, 1e9f, -1e9f, std::numeric_limits<float>::infinity()};
    for (float x : odd) {
        for (VstInt32 i = 0; i < 5; ++i)
            host->setParameter(i, x);
        for (VstInt32 i = 0; i < 5; ++i)
            EXPECT_LT(host->parameterDisplay(i).size(), 24u);
        signal.fill(block.inL.data(), block.inR.data(), 256);
        host->processReplacing(block.inputs(), block.outputs(), 256);
    }
    host->setParameter(0, std::numeric_limits<float>::quiet_NaN());
    host->setParameter(4, std::numeric_limits<float>::quiet_NaN());
    host->processReplacing(block.inputs(), block.outputs(), 256);

    const float defaults[] = {0.0f, 0.0f, 0.5f, 0.5f, 0.0f};
    for (VstInt32 i = 0; i < 5; ++i)
        host->setParameter(i, defaults[i]);
    host->dispatch(effMainsChanged, 0, 0);
    host->dispatch(effMainsChanged, 0, 1);
    for (int pass = 0; pass < 8; ++pass) {
        signal.fill(block.inL.data(), block.inR.data(), 256);
        host->processReplacing(block.inputs(), block.outputs(), 256);
        for (int i = 0; i < 256; ++i) {
            ASSERT_TRUE(std::isfinite(block.outL[static_cast<size_t>(i)]) &&
                        std::isfinite(block.outR[static_cast<size_t>(i)]))
                << "pass " << pass << " frame " << i;
        }
    }
    EXPECT_EQ(host->parameterDisplay(2), "0.00");
    EXPECT_EQ(host->parameterDisplay(4), "1.00");
}
