#include "DemoSignal.h"

#include "LcgNoise.h"

#include <cmath>

namespace render {

namespace {

constexpr double pi = 3.14159265358979323846;

double midiToHz(int note)
{
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

// A few harmonics of a saw, softer than the real thing.
double softSaw(double phase)
{
    double sum = 0.0;
    for (int h = 1; h <= 6; ++h)
        sum += std::sin(2.0 * pi * h * phase) / h;
    return sum * 0.6;
}

} // namespace

std::vector<float> DemoSignal::generate()
{
    const int frames = static_cast<int>(rate * seconds);
    std::vector<double> left(frames, 0.0), right(frames, 0.0);
    // White noise in -1..1, identical everywhere.
    test_support::Lcg noise{0x4f52564eu};

    const double beat = 0.5; // 120 beats per minute
    const int beats = static_cast<int>(seconds / beat);

    // Kick on every beat: a sine whose pitch drops from 150 Hz to 45 Hz, with a click.
    for (int b = 0; b < beats; ++b) {
        const int start = static_cast<int>(b * beat * rate);
        double phase = 0.0;
        for (int i = 0; i < static_cast<int>(0.35 * rate) && start + i < frames; ++i) {
            const double t = static_cast<double>(i) / rate;
            const double hz = 45.0 + 105.0 * std::exp(-t * 30.0);
            phase += hz / rate;
            const double v = std::sin(2.0 * pi * phase) * std::exp(-t * 9.0) + 0.3 * std::exp(-t * 400.0);
            left[start + i] += 0.9 * v;
            right[start + i] += 0.9 * v;
        }
    }
    // Snare on beats 2 and 4: a noise burst over a short 190 Hz body.
    for (int b = 1; b < beats; b += 2) {
        const int start = static_cast<int>(b * beat * rate);
        for (int i = 0; i < static_cast<int>(0.25 * rate) && start + i < frames; ++i) {
            const double t = static_cast<double>(i) / rate;
            const double body = std::sin(2.0 * pi * 190.0 * t) * std::exp(-t * 25.0);
            const double n = noise.uniformDouble() * std::exp(-t * 14.0);
            left[start + i] += 0.55 * n + 0.35 * body;
            right[start + i] += 0.5 * n + 0.35 * body;
        }
    }
    // Hats on every eighth: high-passed noise, slightly to the right.
    for (int e = 0; e < beats * 2; ++e) {
        const int start = static_cast<int>(e * beat * 0.5 * rate);
        const double accent = (e % 2 == 0) ? 1.0 : 0.6;
        double previous = 0.0;
        for (int i = 0; i < static_cast<int>(0.06 * rate) && start + i < frames; ++i) {
            const double t = static_cast<double>(i) / rate;
            const double n = noise.uniformDouble();
            const double v = (n - previous) * 0.5 * std::exp(-t * 60.0) * accent;
            previous = n;
            left[start + i] += 0.18 * v;
            right[start + i] += 0.28 * v;
        }
    }
    // Bass line and chords over a four-bar progression: A minor, F, C, G.
    const int roots[4] = {45, 41, 48, 43};
    const int chords[4][3] = {{57, 60, 64}, {53, 57, 60}, {55, 60, 64}, {55, 59, 62}};
    const int bassPattern[8] = {0, 0, 12, 0, 7, 0, 12, 10};
    double bassPhase = 0.0;
    double chordPhase[3][2] = {};
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        const int bar = static_cast<int>(t / (4 * beat)) % 4;
        const int eighth = static_cast<int>(t / (beat * 0.5));
        const double inEighth = t - eighth * beat * 0.5;
        const double bassHz = midiToHz(roots[bar] + bassPattern[eighth % 8]);
        bassPhase += bassHz / rate;
        bassPhase -= std::floor(bassPhase);
        const double bassEnv = std::exp(-inEighth * 6.0);
        const double bass = (std::sin(2.0 * pi * bassPhase) + 0.3 * softSaw(bassPhase)) * bassEnv * 0.45;
        left[i] += bass;
        right[i] += bass;

        const double inBar = t - std::floor(t / (4 * beat)) * (4 * beat);
        const double chordEnv = std::fmin(1.0, inBar * 20.0) * (0.6 + 0.4 * std::exp(-inBar * 2.0));
        for (int v = 0; v < 3; ++v) {
            const double hz = midiToHz(chords[bar][v]);
            // Each side slightly detuned for width.
            chordPhase[v][0] += hz * 0.998 / rate;
            chordPhase[v][1] += hz * 1.002 / rate;
            chordPhase[v][0] -= std::floor(chordPhase[v][0]);
            chordPhase[v][1] -= std::floor(chordPhase[v][1]);
            left[i] += 0.09 * softSaw(chordPhase[v][0]) * chordEnv;
            right[i] += 0.09 * softSaw(chordPhase[v][1]) * chordEnv;
        }
    }

    double peak = 0.0;
    for (int i = 0; i < frames; ++i)
        peak = std::fmax(peak, std::fmax(std::fabs(left[i]), std::fabs(right[i])));
    const double scale = std::pow(10.0, peakDb / 20.0) / peak;
    std::vector<float> interleaved(2 * static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        interleaved[2 * static_cast<size_t>(i)] = static_cast<float>(left[i] * scale);
        interleaved[2 * static_cast<size_t>(i) + 1] = static_cast<float>(right[i] * scale);
    }
    return interleaved;
}

} // namespace render
