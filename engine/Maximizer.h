// The leveling engine: a stereo, sample-by-sample look-ahead gain rider with an output
// gain and a hard ceiling. Plain C++; knows nothing of the plug-in host.
#pragma once

#include <cstdint>

class CMaximizer {
public:
    explicit CMaximizer(float rate);
    virtual ~CMaximizer();

    CMaximizer(const CMaximizer&) = delete;
    CMaximizer& operator=(const CMaximizer&) = delete;

    // Control codes: 0 input gain, 1 target level, 2 recovery mode, 3 raw gain,
    // 5 output gain, 6 ceiling switch; x is normally 0..1.
    virtual void setParam(int32_t code, float value);
    // Levels one stereo sample; returns the raw gain after this sample's step.
    virtual float process(float inLeft, float inRight, float& outLeft, float& outRight);
    // The same as `frames` calls of process(), bit for bit, with the state kept in registers:
    // the fast path for a whole audio block. `gains` (may be null) receives each frame's
    // returned gain. The outputs may be the inputs themselves but must not otherwise overlap.
    void processBlock(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                      float* gains, int32_t frames);
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
    double getRecoveryTime() const { return recoveryTime; }
    float getInputGain() const { return inputGain; }
    float getOutputGain() const { return outputGain; }
    float getTargetLevel() const { return targetLevel; }
    float getCeilingClip() const { return ceilingClip; }
    float getGain() const { return gain; }
    float getSmoothedGain() const { return smoothedGain; }
    float getGainSlope() const { return gainSlope; }

    static constexpr int32_t kDelaySize = 4096;
    static constexpr int32_t kHistorySize = 16;

private:
    struct Running;
    struct Controls;
    Running loadRunning() const;
    void storeRunning(const Running& st);
    Controls loadControls() const;
    void levelFront(Running& st, const Controls& c, float a, float b, float& dl, float& dr);

    // lookahead and blockLength from sampleRate, bounded to the ring.
    void deriveGeometry();
    // The once-per-block slope plan; kept out of line so the per-sample path stays short.
    __attribute__((noinline)) void replan();

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
};
