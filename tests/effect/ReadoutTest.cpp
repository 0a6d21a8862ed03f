// The editor's read-out text for the most recently touched parameter.
#include "Readout.h"
#include "TarvelleVST.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

std::string readout(int32_t index, float value)
{
    char text[kReadoutTextSize] = "untouched";
    formatReadout(value, text, &index);
    return text;
}

// Levels in decibels with a plus only above a thousandth of a decibel, Recovery's steps by
// name, and the text left alone outside the steps; other parameters give the empty string.
TEST(Readout, TextOfEachParameter)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        int32_t index;
        float value;
        const char* text;
    } rows[] = {
        {kParamInputThres, 0.5f, "Input Thres : 0.0 dB"},
        {kParamInputThres, 1.0f, "Input Thres : +20.0 dB"},
        {kParamInputThres, 0.0f, "Input Thres : -20.0 dB"},
        {kParamInputThres, 0.75f, "Input Thres : +10.0 dB"},
        {kParamOutCeiling, 0.50001f, "Out Ceiling : 0.0 dB"},  // 0.0004 dB
        {kParamOutCeiling, 0.50003f, "Out Ceiling : +0.0 dB"}, // 0.0012 dB
        {kParamOutCeiling, 0.2f, "Out Ceiling : -12.0 dB"},
        {kParamRecovery, 0.0f, "Recovery : Ultra-Fast"},
        {kParamRecovery, 0.2501f, "Recovery : Fast"},
        {kParamRecovery, 0.5001f, "Recovery : Medium"},
        {kParamRecovery, 0.7501f, "Recovery : Slow"},
        {kParamRecovery, 1.0f, "Recovery : Ultra-Slow"},
        // Without the offset an exact quarter would still read as the step it is.
        {kParamRecovery, 0.2499f, "Recovery : Ultra-Fast"},
        {kParamRecovery, 1.25f, "untouched"},
        {kParamRecovery, -1.0f, "untouched"},
        {kParamRecovery, nan, "untouched"},
        {kParamRecovery, 3e38f, "untouched"},
        {kParamInternalUse, 0.5f, ""},
        {kParamPower, 1.0f, ""},
        {99, 1.0f, ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(readout(row.index, row.value), row.text) << "parameter " << row.index << " at " << row.value;
    char text[kReadoutTextSize] = "untouched";
    formatReadout(0.5f, text, nullptr);
    EXPECT_STREQ(text, "");
    formatReadout(0.5f, nullptr, nullptr); // no buffer: nothing to do, no crash
}

} // namespace
