// One parameter definition with its current plain value.
#pragma once

#include <cstdint>

// Unit codes decide the label and the display format.
enum ParamUnit : int32_t { kUnitPlain = 1, kUnitOnOff = 2, kUnitDecibel = 13 };
// Curves map between the normalised 0..1 value and the plain value.
enum ParamCurve : int32_t { kCurveNone = 0, kCurveLinear = 1, kCurveStepped = 2, kCurveLog = 8 };

struct ParamRecord {
    char name[24];
    char label[12];
    float value;
    int32_t unit;
    int32_t curve;
    float min;
    float max;
    float defaultValue;
    float exponent;
};
