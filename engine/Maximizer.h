// The leveling engine: a stereo, sample-by-sample look-ahead gain rider with an output
// gain and a hard ceiling. Plain C++; knows nothing of the plug-in host.
// The public interface; the per-frame machinery is in MaximizerFrames.h (engine-internal,
// shared with the effect's audio loop).
#pragma once

#include "Relaxed.h"

#include <cstdint>
#include <type_traits>

class CMaximizer {
public:
    explicit CMaximizer(float rate);
    virtual ~CMaximizer();

    CMaximizer(const CMaximizer&) = delete;
    CMaximizer& operator=(const CMaximizer&) = delete;

    // What setParam sets; the value is normally 0..1 (the ceiling switch takes 0 or 1).
    enum Control : int32_t {
        kControlInputGain = 0,
        kControlTargetLevel = 1,
        kControlRecoveryMode = 2,
        kControlRawGain = 3,
        kControlOutputGain = 5,
        kControlCeilingSwitch = 6,
    };
    // Sets one control (a Control code; other codes are ignored).
    virtual void setParam(int32_t code, float value);
    // Levels one stereo sample; returns the raw gain after this sample's step.
    virtual float process(float inLeft, float inRight, float& outLeft, float& outRight);
    // The same as `frames` calls of process(), bit for bit, with the state kept in registers.
    // `gains` (may be null) receives each frame's returned gain. The outputs may be the inputs
    // themselves but must not otherwise overlap.
    void processBlock(const float* inLeft, const float* inRight, float* outLeft, float* outRight, float* gains,
                      int32_t frames);
    // Passes one stereo sample through the same delay rings only; returns 0.
    virtual float processDelayOnly(float inLeft, float inRight, float& outLeft, float& outRight);
    // Stores a new rate and re-derives the look-ahead and block length from it (the look-ahead
    // is capped below the ring size). Rates that are not positive are ignored.
    virtual void setSampleRate(float rate);
    // Unity gain, silent rings, empty history; controls are kept.
    virtual void reset();

    // True when the rings and the history could be allocated. An invalid engine must not
    // be processed; its owner reports the failure instead.
    bool isValid() const { return delayLeft != nullptr && delayRight != nullptr && peakHistory != nullptr; }
    int32_t getLookahead() const { return lookahead; }
    int32_t getBlockLength() const { return blockLength; }
    float getSampleRate() const { return sampleRate; }
    double getRecoveryTime() const { return relaxedLoad(recoveryTime); }
    float getInputGain() const { return relaxedLoad(inputGain); }
    float getOutputGain() const { return relaxedLoad(outputGain); }
    float getTargetLevel() const { return relaxedLoad(targetLevel); }
    float getCeilingClip() const { return relaxedLoad(ceilingClip); }
    float getGain() const { return gain; }
    float getSmoothedGain() const { return smoothedGain; }
    float getGainSlope() const { return gainSlope; }

    static constexpr int32_t kDelaySize = 4096;
    static constexpr int32_t kHistorySize = 16;

    // A run of consecutive frames with the running state held in locals (see below).
    class Frames;

private:
    // lookahead and blockLength from sampleRate, bounded to the ring.
    void deriveGeometry();
    // The once-per-block slope plan from the gain and block peak of the block's last frame;
    // answers the new slope. Kept out of line so the per-frame path stays short.
    __attribute__((noinline)) float replan(float newGain, float newPeak);

    float sampleRate;
    double recoveryTime;
    float* delayLeft;
    float* delayRight;
    int32_t delaySize;
    int32_t writeIndex;
    int32_t historyIndex;
    uint32_t blockCounter;
    int32_t blockLength;
    float* peakHistory;
    int32_t lookahead;
    float gainSlope;
    float blockPeak;
    float gain;
    float smoothedGain;
    float targetLevel;
    float inputGain;
    float outputGain;
    float ceilingClip;
    // targetLevel / peakHistory[k] for the re-plan, valid while quotientTarget equals
    // targetLevel (NaN: to be redone).
    double historyQuotient[kHistorySize] = {};
    float quotientTarget = __builtin_nanf("");
    // The re-plan's ramp allowance per history weight m = 1..10, m * rate * 0.0015 + 1, which
    // changes only with the rate.
    double rampAllowance[10] = {};
};
