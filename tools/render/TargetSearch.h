// Finding the settings that meet a loudness target and a true-peak limit, over whole renders:
// "Input Thres" (x) sets the loudness, "Out Ceiling" (c) holds the true peak, both as
// normalised values. The output loudness rises with x, the true peak with c, so a bracketing
// search (regula falsi, Illinois variant, falling back to bisection) cannot diverge.
#pragma once

#include <cmath>
#include <functional>
#include <string>

namespace render {

struct Measurement {
    double lufs = -INFINITY;
    double truePeakDb = -INFINITY;
};

struct TargetSearchSettings {
    double targetLufs = NAN;  // NaN: keep x
    double maxTruePeak = NAN; // NaN: keep c
    double tolerance = 0.05;  // LU either side of the target (the promise is 0.1)
    double peakMargin = 0.05; // dB below the limit aimed at when lowering the ceiling
    double x = 0.5, c = 0.5;  // where the search starts
    // dB per normalised unit, for the first steps (the later ones learn from the renders).
    double xDbPerUnit = 40.0, cDbPerUnit = 40.0;
    int maxTrials = 40;
};

struct TargetSearchOutcome {
    enum Result { Met, TooQuiet, TooLoud, PeakTooHigh, NoConvergence };
    Result result = Met;
    double x = 0.5, c = 0.5; // the settings found, or the nearest ones tried
    Measurement measured;    // what they gave
    int trials = 0;
};

// `render(x, c)` renders with those settings and measures; `trace` (may be empty) sees every
// trial. Throws what `render` throws.
TargetSearchOutcome searchTargets(const TargetSearchSettings& settings,
                                  const std::function<Measurement(double x, double c)>& render,
                                  const std::function<void(double x, double c, const Measurement&)>& trace);

} // namespace render
