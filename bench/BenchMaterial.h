// The loud program-like stereo material every speed measurement runs on (orvanne-bench and
// peer-bench), so that their figures are comparable.
#pragma once

#include "LcgNoise.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bench {

// 65536 frames (about 1.5 s at 44.1 kHz, 512 KiB of input) from an integer generator: a
// triangle bass line, low-passed noise and bursts, peaking at a few times full scale (about
// +13.6 dBFS), so a leveler is busy all the time. The same on every run and every machine.
struct Material {
    static constexpr size_t kFrames = 65536;
    std::vector<float> left, right;

    Material() : left(kFrames), right(kFrames)
    {
        test_support::Lcg noise{20240611u};
        float phase = 0.0f, lowL = 0.0f, lowR = 0.0f, envelope = 1.5f;
        for (size_t i = 0; i < kFrames; ++i) {
            phase += 0.0123f;
            if (phase >= 1.0f)
                phase -= 2.0f;
            const float tri = 2.0f * (phase < 0.0f ? -phase : phase) - 1.0f;
            lowL = 0.95f * lowL + 0.05f * noise.uniform();
            lowR = 0.93f * lowR + 0.07f * noise.uniform();
            if ((i & 4095) == 0)
                envelope = 1.0f + 2.0f * (0.5f + 0.5f * noise.uniform());
            left[i] = envelope * (0.6f * tri + 4.0f * lowL) + 0.05f * noise.uniform();
            right[i] = envelope * (0.5f * tri - 3.0f * lowR) + 0.05f * noise.uniform();
        }
    }

    // Start of the block after the one at `offset` of `block` frames, wrapping to the start
    // where a whole block no longer fits.
    static size_t next(size_t offset, size_t block) { return offset + 2 * block <= kFrames ? offset + block : 0; }
};

} // namespace bench
