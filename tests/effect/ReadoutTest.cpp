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

TEST(Readout, LevelsInDecibelsWithAPlusOnlyAboveAThousandthOfADecibel)
{
    EXPECT_EQ(readout(kParamInputThres, 0.5f), "Input Thres : 0.0 dB");
    EXPECT_EQ(readout(kParamInputThres, 1.0f), "Input Thres : +20.0 dB");
    EXPECT_EQ(readout(kParamInputThres, 0.0f), "Input Thres : -20.0 dB");
    EXPECT_EQ(readout(kParamInputThres, 0.75f), "Input Thres : +10.0 dB");
    EXPECT_EQ(readout(kParamOutCeiling, 0.50001f), "Out Ceiling : 0.0 dB");  // 0.0004 dB
    EXPECT_EQ(readout(kParamOutCeiling, 0.50003f), "Out Ceiling : +0.0 dB"); // 0.0012 dB
    EXPECT_EQ(readout(kParamOutCeiling, 0.2f), "Out Ceiling : -12.0 dB");
}

TEST(Readout, RecoveryStepsByName)
{
    EXPECT_EQ(readout(kParamRecovery, 0.0f), "Recovery : Ultra-Fast");
    EXPECT_EQ(readout(kParamRecovery, 0.2501f), "Recovery : Fast");
    EXPECT_EQ(readout(kParamRecovery, 0.5001f), "Recovery : Medium");
    EXPECT_EQ(readout(kParamRecovery, 0.7501f), "Recovery : Slow");
    EXPECT_EQ(readout(kParamRecovery, 1.0f), "Recovery : Ultra-Slow");
    // Without the offset an exact quarter would still read as the step it is.
    EXPECT_EQ(readout(kParamRecovery, 0.2499f), "Recovery : Ultra-Fast");
}

TEST(Readout, RecoveryOutsideTheStepsLeavesTheTextAlone)
{
    EXPECT_EQ(readout(kParamRecovery, 1.25f), "untouched");
    EXPECT_EQ(readout(kParamRecovery, -1.0f), "untouched");
    EXPECT_EQ(readout(kParamRecovery, std::numeric_limits<float>::quiet_NaN()), "untouched");
    EXPECT_EQ(readout(kParamRecovery, 3e38f), "untouched");
}

TEST(Readout, OtherParametersAndNoIndexGiveTheEmptyString)
{
    EXPECT_EQ(readout(kParamInternalUse, 0.5f), "");
    EXPECT_EQ(readout(kParamPower, 1.0f), "");
    EXPECT_EQ(readout(99, 1.0f), "");
    char text[kReadoutTextSize] = "untouched";
    formatReadout(0.5f, text, nullptr);
    EXPECT_STREQ(text, "");
    formatReadout(0.5f, nullptr, nullptr); // no buffer: nothing to do, no crash
}

} // namespace
