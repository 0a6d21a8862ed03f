// The built-in demo: about 10 s of program-like stereo material at 44.1 kHz (kick, snare,
// hats, a bass line and chords), peaking several dB above full scale so a limiter has
// work to do. Deterministic: its own noise generator, the same samples on every run.
#pragma once

#include <vector>

namespace render {

struct DemoSignal {
    static constexpr int rate = 44100;
    static constexpr double seconds = 10.0;
    static constexpr double peakDb = 5.0; // sample peak above full scale

    // Interleaved stereo, rate × seconds frames.
    static std::vector<float> generate();
};

} // namespace render
