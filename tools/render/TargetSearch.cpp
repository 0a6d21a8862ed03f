#include "TargetSearch.h"

#include <algorithm>

namespace render {

namespace {

struct Point {
    double x, y; // setting, loudness minus target
};

// Silence measures -inf; a very low finite level keeps the arithmetic defined.
double finite(double lufs)
{
    return std::isfinite(lufs) ? lufs : -150.0;
}

} // namespace

TargetSearchOutcome searchTargets(const TargetSearchSettings& settings,
                                  const std::function<Measurement(double x, double c)>& render,
                                  const std::function<void(double x, double c, const Measurement&)>& trace)
{
    TargetSearchOutcome outcome;
    outcome.x = settings.x;
    outcome.c = settings.c;
    auto trial = [&](double x, double c) {
        const Measurement m = render(x, c);
        ++outcome.trials;
        if (trace)
            trace(x, c, m);
        return m;
    };

    // The loudness target at ceiling c; false when out of reach or out of trials.
    auto findLoudness = [&](double c, double x, Measurement& m) -> TargetSearchOutcome::Result {
        m = trial(x, c);
        Point low{0, 0}, high{0, 0};
        bool haveLow = false, haveHigh = false;
        Point previous{NAN, NAN};
        int lastSide = 0; // -1: low was replaced last, +1: high
        while (true) {
            const double y = finite(m.lufs) - settings.targetLufs;
            outcome.x = x;
            outcome.measured = m;
            if (std::fabs(y) <= settings.tolerance)
                return TargetSearchOutcome::Met;
            if (outcome.trials >= settings.maxTrials)
                return TargetSearchOutcome::NoConvergence;
            const Point here{x, y};
            if (y < 0) {
                if (haveLow && lastSide == -1 && haveHigh)
                    high.y *= 0.5; // Illinois: the other end stuck twice
                low = here;
                haveLow = true;
                lastSide = -1;
            } else {
                if (haveHigh && lastSide == 1 && haveLow)
                    low.y *= 0.5;
                high = here;
                haveHigh = true;
                lastSide = 1;
            }
            double next;
            if (haveLow && haveHigh) {
                next = low.x - low.y * (high.x - low.x) / (high.y - low.y);
                const double lo = std::min(low.x, high.x), hi = std::max(low.x, high.x);
                if (!(next > lo && next < hi))
                    next = 0.5 * (low.x + high.x);
                if (hi - lo < 1e-7)
                    return TargetSearchOutcome::NoConvergence;
            } else {
                if (y < 0 && x >= 1.0)
                    return TargetSearchOutcome::TooQuiet;
                if (y > 0 && x <= 0.0)
                    return TargetSearchOutcome::TooLoud;
                // Not yet bracketed: a secant step, at the nominal slope when the last two
                // renders do not give a sensible one.
                double slope = settings.xDbPerUnit;
                if (std::isfinite(previous.x) && previous.x != x) {
                    const double s = (y - previous.y) / (x - previous.x);
                    if (s > 0.05 * settings.xDbPerUnit)
                        slope = s;
                }
                next = std::clamp(x - y / slope, 0.0, 1.0);
            }
            previous = here;
            x = next;
            m = trial(x, c);
        }
    };

    double c = settings.c;
    double x = settings.x;
    const bool loudness = std::isfinite(settings.targetLufs);
    const bool peak = std::isfinite(settings.maxTruePeak);
    while (true) {
        Measurement m;
        if (loudness) {
            const TargetSearchOutcome::Result r = findLoudness(c, x, m);
            outcome.c = c;
            if (r != TargetSearchOutcome::Met) {
                outcome.result = r;
                return outcome;
            }
            x = outcome.x;
        } else {
            m = trial(x, c);
            outcome.x = x;
            outcome.c = c;
            outcome.measured = m;
        }
        if (!peak || m.truePeakDb <= settings.maxTruePeak) {
            outcome.result = TargetSearchOutcome::Met;
            return outcome;
        }
        if (c <= 0.0) {
            outcome.result = TargetSearchOutcome::PeakTooHigh;
            return outcome;
        }
        if (outcome.trials >= settings.maxTrials) {
            outcome.result = TargetSearchOutcome::NoConvergence;
            return outcome;
        }
        c = std::max(0.0, c - (m.truePeakDb - settings.maxTruePeak + settings.peakMargin) / settings.cDbPerUnit);
    }
}

} // namespace render
