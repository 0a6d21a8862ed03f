// The parts of orvanne-render that need no plug-in: value forms and the display search,
// the command line, the demo, the gain-reduction trace.
#include "Analysis.h"
#include "DemoSignal.h"
#include "Options.h"
#include "ParameterValue.h"
#include "RenderError.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>

using namespace render;

namespace {

// A parameter whose display is computed from the normalised value.
class FakeParameter : public ParameterProbe {
public:
    FakeParameter(std::function<std::string(float)> show, std::string unitLabel = "")
        : show(std::move(show)), unitLabel(std::move(unitLabel))
    {
    }
    void set(float x) override { value = x; }
    std::string display() override { return show(value); }
    std::string label() override { return unitLabel; }
    std::string shownAt(float x) { return show(x); }

private:
    std::function<std::string(float)> show;
    std::string unitLabel;
    float value = 0.0f;
};

std::string printed(const char* format, double v)
{
    char text[64];
    std::snprintf(text, sizeof text, format, v);
    return text;
}

// -20..20 dB, linear, "%.2f" with the label "dB".
FakeParameter decibels()
{
    return FakeParameter([](float x) { return printed("%.2f", static_cast<float>(-20.0 + 40.0 * x)); }, "dB");
}

// Steps 1..5 from truncate(1 + 4x).
FakeParameter steps()
{
    return FakeParameter([](float x) { return printed("%.2f", std::floor(1.0 + 4.0 * x)); });
}

float resolve(FakeParameter& p, const std::string& value)
{
    return resolveValue(p, parseValue(value), "P");
}

std::string errorOf(FakeParameter& p, const std::string& value)
{
    try {
        resolve(p, value);
    } catch (const RenderError& e) {
        return e.what();
    }
    return "(no error)";
}

} // namespace

TEST(ParameterValue, ValueFormsSplitIntoNormalisedUnitsAndWords)
{
    EXPECT_EQ(parseValue("0.25").kind, ValueRequest::Normalised);
    EXPECT_EQ(parseValue(" 1 ").kind, ValueRequest::Normalised);
    EXPECT_EQ(parseValue("0.6n").kind, ValueRequest::Normalised);
    EXPECT_DOUBLE_EQ(parseValue("0.6n").number, 0.6);

    const ValueRequest db = parseValue("-0.3 dB");
    EXPECT_EQ(db.kind, ValueRequest::Number);
    EXPECT_DOUBLE_EQ(db.number, -0.3);
    EXPECT_EQ(db.unit, "dB");
    EXPECT_EQ(parseValue("+6dB").unit, "dB");
    EXPECT_EQ(parseValue("3").kind, ValueRequest::Number); // outside 0..1: in units
    EXPECT_EQ(parseValue("-1").kind, ValueRequest::Number);
    EXPECT_EQ(parseValue("@1").kind, ValueRequest::Number); // forced into units
    EXPECT_EQ(parseValue("@ 0.5").unit, "");

    EXPECT_EQ(parseValue("On").kind, ValueRequest::Word);
    EXPECT_EQ(parseValue("-inf").kind, ValueRequest::Word);
    EXPECT_EQ(parseValue("Herm Th").word, "Herm Th");

    EXPECT_THROW(parseValue(""), RenderError);
    EXPECT_THROW(parseValue("@"), RenderError);
    EXPECT_THROW(parseValue("1.5n"), RenderError);
    EXPECT_THROW(parseValue("-0.1n"), RenderError);
}

TEST(ParameterValue, DisplayNumbersAreReadWithTheirUnit)
{
    double v = 0;
    std::string tail;
    ASSERT_TRUE(parseDisplayNumber(" 5.00 ms", v, tail));
    EXPECT_DOUBLE_EQ(v, 5.0);
    EXPECT_EQ(tail, "ms");
    ASSERT_TRUE(parseDisplayNumber("-inf", v, tail));
    EXPECT_TRUE(std::isinf(v) && v < 0);
    ASSERT_TRUE(parseDisplayNumber(".5", v, tail));
    EXPECT_FALSE(parseDisplayNumber("Off", v, tail));
    EXPECT_FALSE(parseDisplayNumber("In", v, tail)); // not the start of "inf"
    EXPECT_FALSE(parseDisplayNumber("-", v, tail));
    EXPECT_FALSE(parseDisplayNumber("", v, tail));
}

TEST(ParameterValue, UnitSearchLandsInTheMiddleOfTheDisplayedSetting)
{
    FakeParameter p = decibels();
    // -6.00 is shown for -6.005..-5.995 dB: the middle is -6 dB, normalised 0.35.
    EXPECT_NEAR(resolve(p, "-6dB"), 0.35f, 1e-5f);
    EXPECT_NEAR(resolve(p, "-0.3 dB"), 0.4925f, 1e-5f);
    EXPECT_EQ(resolve(p, "20 DB"), 1.0f); // the range's ends exactly; unit case ignored
    EXPECT_EQ(resolve(p, "-20dB"), 0.0f);
    EXPECT_NEAR(resolve(p, "@0.5"), 0.5125f, 1e-5f);   // 0.5 dB, not normalised
    EXPECT_EQ(resolve(p, "0.25"), 0.25f);              // normalised, no search
    EXPECT_EQ(p.shownAt(resolve(p, "3.004")), "3.00"); // between displayed values: the nearest

    EXPECT_EQ(errorOf(p, "25dB"), "value 25 dB is out of range for 'P' (-20 to 20 dB)");
    EXPECT_EQ(errorOf(p, "-20.1"), "value -20.1 dB is out of range for 'P' (-20 to 20 dB)");
    EXPECT_EQ(errorOf(p, "6 Hz"), "'P' is in dB, not Hz");
}

TEST(ParameterValue, SteppedWordAndOddDisplaysAreSearched)
{
    FakeParameter recovery = steps();
    for (int step = 1; step <= 5; ++step) {
        const float x = resolve(recovery, "@" + std::to_string(step));
        EXPECT_EQ(recovery.shownAt(x), printed("%.2f", step)) << step;
    }
    EXPECT_EQ(recovery.shownAt(resolve(recovery, "3")), "3.00");
    EXPECT_EQ(errorOf(recovery, "6"), "value 6 is out of range for 'P' (1 to 5)");
    EXPECT_EQ(errorOf(recovery, "3 dB"), "'P' has no unit; write the value without 'dB'");

    // "On" only at exactly 1.0, as a stepped switch shows it.
    FakeParameter power([](float x) { return std::string(x >= 1.0f ? "On" : "Off"); });
    EXPECT_EQ(resolve(power, "on"), 1.0f);
    EXPECT_EQ(power.shownAt(resolve(power, "OFF")), "Off");
    EXPECT_EQ(errorOf(power, "Maybe"), "'P' has no setting 'Maybe' (it shows Off, On)");
    EXPECT_EQ(errorOf(power, "3"), "'P' does not display numbers; give a normalised value 0..1 or one of its words");

    // The unit written into the display text itself, as some plug-ins do.
    FakeParameter time([](float x) { return printed("%.1f ms", 1.0 + 99.0 * x); });
    EXPECT_EQ(time.shownAt(resolve(time, "20ms")), "20.0 ms");
    EXPECT_EQ(errorOf(time, "20 dB"), "'P' is in ms, not dB");

    // A display that rises and falls: still a setting that shows the value.
    FakeParameter vee([](float x) { return printed("%.1f", std::fabs(x - 0.5) * 100.0); });
    EXPECT_EQ(vee.shownAt(resolve(vee, "25")), "25.0");
    EXPECT_EQ(vee.shownAt(resolve(vee, "@0")), "0.0");
    EXPECT_EQ(errorOf(vee, "60"), "value 60 is out of range for 'P' (0 to 50)");

    // Infinity shown by name.
    FakeParameter threshold([](float x) { return x <= 0.0f ? std::string("-inf") : printed("%.1f", 40.0 * x - 40.0); },
                            "dB");
    EXPECT_EQ(resolve(threshold, "-inf"), 0.0f);
    EXPECT_EQ(threshold.shownAt(resolve(threshold, "-12dB")), "-12.0");
}

TEST(RenderOptions, CommandLineForms)
{
    Options o = parseOptions({});
    EXPECT_TRUE(o.inputs.empty()); // the demo
    EXPECT_EQ(o.output, "out.wav");
    EXPECT_EQ(o.blockSize, 512);

    o = parseOptions({"in.flac", "--set", "Input Thres=6dB", "--block=64", "--set=Recovery=3", "--compensate", "--plot",
                      "p.png", "o.wav", "--plugin=/x.so"});
    EXPECT_EQ(o.inputs, std::vector<std::string>{"in.flac"});
    EXPECT_EQ(o.output, "o.wav");
    EXPECT_EQ(o.blockSize, 64);
    EXPECT_TRUE(o.compensate);
    EXPECT_EQ(o.plot, "p.png");
    EXPECT_EQ(o.plugin, "/x.so");
    ASSERT_EQ(o.settings.size(), 2u);
    EXPECT_EQ(o.settings[0], (std::pair<std::string, std::string>{"Input Thres", "6dB"}));
    EXPECT_EQ(o.settings[1], (std::pair<std::string, std::string>{"Recovery", "3"}));

    o = parseOptions({"--demo", "d.wav"});
    EXPECT_TRUE(o.inputs.empty());
    EXPECT_EQ(o.output, "d.wav");
    o = parseOptions({"--", "-odd-name.wav"});
    EXPECT_EQ(o.inputs, std::vector<std::string>{"-odd-name.wav"});

    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{{"--block", "0"},
                                                                                     {"--block", "65537"},
                                                                                     {"--block", "1e3"},
                                                                                     {"--block"},
                                                                                     {"--set", "=3"},
                                                                                     {"--set", "Power"},
                                                                                     {"--plugin="},
                                                                                     {"--demo", "a.wav", "b.wav"},
                                                                                     {"a", "b", "c"},
                                                                                     {"--list=1"},
                                                                                     {"--nope"}}) {
        EXPECT_THROW(parseOptions(bad), RenderError) << bad[0];
    }
}

TEST(DemoSignal, DeterministicTenSecondsPeakingFiveDecibelsOver)
{
    const std::vector<float> a = DemoSignal::generate();
    ASSERT_EQ(a.size(), 2u * 441000u);
    EXPECT_EQ(a, DemoSignal::generate());
    float peak = 0.0f;
    double left = 0.0, right = 0.0, difference = 0.0;
    for (size_t i = 0; i < a.size(); i += 2) {
        peak = std::max({peak, std::fabs(a[i]), std::fabs(a[i + 1])});
        left += static_cast<double>(a[i]) * a[i];
        right += static_cast<double>(a[i + 1]) * a[i + 1];
        difference += (static_cast<double>(a[i]) - a[i + 1]) * (static_cast<double>(a[i]) - a[i + 1]);
    }
    EXPECT_NEAR(20.0 * std::log10(peak), DemoSignal::peakDb, 0.01);
    EXPECT_GT(difference, 0.0); // stereo, not two copies
    EXPECT_NEAR(left / right, 1.0, 0.3);
}

TEST(LevelTrace, GainReductionComparesAlignedWindowPeaks)
{
    const int rate = 1000; // 10-frame windows
    LevelTrace trace(100, rate, 50);
    ASSERT_EQ(trace.windowFrames(), 10);
    std::vector<float> in(100, 0.5f), out(100, 0.25f);
    for (int i = 0; i < 10; ++i)
        in[i] = 1e-5f; // quiet: no reading
    out[35] = 0.5f;    // window 3 unreduced
    trace.addInput(0, in.data(), in.data(), 100);
    // The output arrives 5 frames late, in two pieces; its first 5 frames fall before the input.
    const float* channels[1] = {out.data()};
    trace.addOutput(-5, channels, 1, 40);
    const float* rest[1] = {out.data() + 40};
    trace.addOutput(35, rest, 1, 60); // the last 5 frames run past the input and are ignored
    const std::vector<double> gr = trace.gainReductionDb();
    ASSERT_EQ(gr.size(), 10u);
    EXPECT_LT(gr[0], 0.0); // quiet input
    EXPECT_NEAR(gr[1], 20.0 * std::log10(2.0), 1e-6);
    EXPECT_NEAR(gr[3], 0.0, 1e-9); // out[35] lands on input frame 30
    EXPECT_NEAR(gr[8], 20.0 * std::log10(2.0), 1e-6);
    EXPECT_LT(gr[9], 0.0); // the output covers input frames up to 94 only
    EXPECT_NEAR(trace.maxGainReductionDb(), 20.0 * std::log10(2.0), 1e-6);
    EXPECT_FLOAT_EQ(trace.outputEnvelope().high[1][0], 0.25f); // a mono output draws on both sides
}

TEST(LevelTrace, UncoveredWindowsGiveNoReading)
{
    LevelTrace trace(30, 1000, 10);
    std::vector<float> in(30, 0.5f), out(30, 0.5f);
    trace.addInput(0, in.data(), in.data(), 30);
    const float* channels[2] = {out.data(), out.data()};
    trace.addOutput(-8, channels, 2, 30); // covers input frames 0..21 only
    const std::vector<double> gr = trace.gainReductionDb();
    EXPECT_EQ(gr[0], 0.0);
    EXPECT_EQ(gr[1], 0.0);
    EXPECT_LT(gr[2], 0.0);
}
