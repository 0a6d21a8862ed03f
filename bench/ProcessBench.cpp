// Speed of the audio path, as ratios against two reference loops run in the same process:
//   BM_ProcessReplacing  the effect's processReplacing, called through its AEffect record
//   BM_EngineProcess     the leveling engine alone, one process() call per frame
//   BM_EngineBlock       the leveling engine alone, processBlock() over each block
//   BM_CopyFloor         a plain gain-and-copy over the same buffers
//   BM_DependencyFloor   the smoothing recurrence every leveled frame has to wait for:
//                        smoothedGain = float(0.9*smoothedGain + 0.1*gain); gain += slope
// Every benchmark handles 512-frame stereo blocks of the same loud, program-like material,
// cycling through a few seconds of it. Times are reported per stereo frame, and the ratios
// are printed at the end (from the fastest repetition of each benchmark).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "AudioEffect.h"
#include "HostCallbacks.h"
#include "Maximizer.h"
#include "PluginFactory.h"

namespace {

constexpr int kBlock = 512;
constexpr int kBlocks = 128; // 65536 frames, about 1.5 s at 44.1 kHz, 512 KiB of input

// Loud program-like stereo material from an integer generator: a triangle bass line,
// low-passed noise and bursts, peaking at a few times full scale, so the leveler is busy.
struct Material {
    std::vector<float> left, right;
    std::vector<float> outLeft, outRight;

    Material() : left(kBlock * kBlocks), right(kBlock * kBlocks), outLeft(kBlock), outRight(kBlock)
    {
        uint32_t state = 20240611u;
        auto uniform = [&state] {
            state = state * 1664525u + 1013904223u;
            return static_cast<float>(static_cast<int32_t>(state >> 8) - (1 << 23)) / 8388608.0f;
        };
        float phase = 0.0f, lowL = 0.0f, lowR = 0.0f, envelope = 1.5f;
        for (size_t i = 0; i < left.size(); ++i) {
            phase += 0.0123f;
            if (phase >= 1.0f)
                phase -= 2.0f;
            const float tri = 2.0f * (phase < 0.0f ? -phase : phase) - 1.0f;
            lowL = 0.95f * lowL + 0.05f * uniform();
            lowR = 0.93f * lowR + 0.07f * uniform();
            if ((i & 4095) == 0)
                envelope = 1.0f + 2.0f * (0.5f + 0.5f * uniform());
            left[i] = envelope * (0.6f * tri + 4.0f * lowL) + 0.05f * uniform();
            right[i] = envelope * (0.5f * tri - 3.0f * lowR) + 0.05f * uniform();
        }
    }
    float* inL(int block) { return left.data() + static_cast<size_t>(block) * kBlock; }
    float* inR(int block) { return right.data() + static_cast<size_t>(block) * kBlock; }
};

Material& material()
{
    static Material m;
    return m;
}

void finish(benchmark::State& state)
{
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kBlock);
    // Seconds per stereo frame, shown with an SI prefix (e.g. "3.4n" is 3.4 ns).
    state.counters["per_frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ProcessReplacing(benchmark::State& state)
{
    Material& m = material();
    AudioEffect* effect = createEffectInstance(test_support::quietHost);
    if (!effect) {
        state.SkipWithError("the effect could not be created");
        return;
    }
    AEffect* e = effect->getAeffect();
    e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
    e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    e->dispatcher(e, effSetBlockSize, 0, kBlock, nullptr, 0.0f);
    e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
    int block = 0;
    for (auto _ : state) {
        float* in[2] = {m.inL(block), m.inR(block)};
        float* out[2] = {m.outLeft.data(), m.outRight.data()};
        e->processReplacing(e, in, out, kBlock);
        benchmark::DoNotOptimize(out[0][kBlock - 1]);
        benchmark::ClobberMemory();
        block = (block + 1) % kBlocks;
    }
    // The material must actually be leveled for the numbers to mean anything: one more pass
    // over all of it must bring the output level well below the input level.
    double inSum = 0.0, outSum = 0.0;
    for (int b = 0; b < kBlocks; ++b) {
        float* in[2] = {m.inL(b), m.inR(b)};
        float* out[2] = {m.outLeft.data(), m.outRight.data()};
        e->processReplacing(e, in, out, kBlock);
        for (int i = 0; i < kBlock; ++i) {
            inSum += std::fabs(in[0][i]) + std::fabs(in[1][i]);
            outSum += std::fabs(out[0][i]) + std::fabs(out[1][i]);
        }
    }
    e->dispatcher(e, effMainsChanged, 0, 0, nullptr, 0.0f);
    e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
    if (!(outSum < 0.7 * inSum))
        state.SkipWithError("no gain reduction: the material is too quiet");
    finish(state);
}
BENCHMARK(BM_ProcessReplacing)->Unit(benchmark::kMicrosecond);

void BM_EngineProcess(benchmark::State& state)
{
    Material& m = material();
    CMaximizer engine(44100.0f);
    engine.setParam(6, 1.0f);
    engine.reset();
    int block = 0;
    float minGain = 1.0f;
    for (auto _ : state) {
        const float* l = m.inL(block);
        const float* r = m.inR(block);
        float* ol = m.outLeft.data();
        float* orr = m.outRight.data();
        float g = 1.0f;
        for (int i = 0; i < kBlock; ++i)
            g = engine.process(l[i], r[i], ol[i], orr[i]);
        minGain = g < minGain ? g : minGain;
        benchmark::ClobberMemory();
        block = (block + 1) % kBlocks;
    }
    if (!(minGain < 1.0f))
        state.SkipWithError("no gain reduction: the material is too quiet");
    finish(state);
}
BENCHMARK(BM_EngineProcess)->Unit(benchmark::kMicrosecond);

void BM_EngineBlock(benchmark::State& state)
{
    Material& m = material();
    CMaximizer engine(44100.0f);
    engine.setParam(6, 1.0f);
    engine.reset();
    std::vector<float> gains(kBlock);
    int block = 0;
    float minGain = 1.0f;
    for (auto _ : state) {
        engine.processBlock(m.inL(block), m.inR(block), m.outLeft.data(), m.outRight.data(), gains.data(), kBlock);
        minGain = gains[kBlock - 1] < minGain ? gains[kBlock - 1] : minGain;
        benchmark::ClobberMemory();
        block = (block + 1) % kBlocks;
    }
    if (!(minGain < 1.0f))
        state.SkipWithError("no gain reduction: the material is too quiet");
    finish(state);
}
BENCHMARK(BM_EngineBlock)->Unit(benchmark::kMicrosecond);

// The floors' constants come from volatile objects: the compiler must load them as stored
// (a value only passed through DoNotOptimize may be read from a slot nothing wrote to, and
// then the floor multiplies by garbage, possibly denormals). Each floor checks its result.
volatile float copyGain = 0.5f;
volatile float rampStep = 1e-5f;

void BM_CopyFloor(benchmark::State& state)
{
    Material& m = material();
    int block = 0;
    int last = 0;
    const float gain = copyGain;
    for (auto _ : state) {
        const float* l = m.inL(block);
        const float* r = m.inR(block);
        float* ol = m.outLeft.data();
        float* orr = m.outRight.data();
        for (int i = 0; i < kBlock; ++i) {
            ol[i] = l[i] * gain;
            orr[i] = r[i] * gain;
        }
        benchmark::ClobberMemory();
        last = block;
        block = (block + 1) % kBlocks;
    }
    for (int i = 0; i < kBlock; ++i) {
        if (m.outLeft[i] != m.inL(last)[i] * 0.5f || m.outRight[i] != m.inR(last)[i] * 0.5f) {
            state.SkipWithError("the copy floor did not multiply by its gain");
            return;
        }
    }
    finish(state);
}
BENCHMARK(BM_CopyFloor)->Unit(benchmark::kMicrosecond);

void BM_DependencyFloor(benchmark::State& state)
{
    Material& m = material();
    int block = 0;
    float smoothedGain = 1.0f;
    float gain = 1.0f;
    const float step = rampStep;
    for (auto _ : state) {
        const float* l = m.inL(block);
        const float* r = m.inR(block);
        float* ol = m.outLeft.data();
        float* orr = m.outRight.data();
        // Falls on even blocks, rises on odd ones, so the gain stays in range.
        const float slope = (block & 1) ? step : -step;
        for (int i = 0; i < kBlock; ++i) {
            smoothedGain = static_cast<float>(0.9 * smoothedGain + 0.1 * gain);
            gain += slope;
            ol[i] = l[i] * smoothedGain;
            orr[i] = r[i] * smoothedGain;
        }
        benchmark::ClobberMemory();
        block = (block + 1) % kBlocks;
    }
    // The recurrence stays near 1 (it never leaves 1 +- kBlock * step); anything else means the
    // step was not the one stored.
    if (!(smoothedGain > 0.99f && smoothedGain < 1.01f)) {
        state.SkipWithError("the dependency floor's gain left its range");
        return;
    }
    finish(state);
}
BENCHMARK(BM_DependencyFloor)->Unit(benchmark::kMicrosecond);

// Prints the usual table, remembers the fastest CPU time per frame of each benchmark (CPU time, since the build
// machines are shared) and, at the end, the ratios against the two floors.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0)
                continue;
            const double ns = run.cpu_accumulated_time * 1e9 / static_cast<double>(run.iterations) / kBlock;
            const std::string name = run.run_name.function_name;
            auto it = best.find(name);
            if (it == best.end() || ns < it->second)
                best[name] = ns;
        }
    }

    void printSummary() const
    {
        std::printf("\nns per stereo frame (fastest repetition):\n");
        for (const char* name :
             {"BM_ProcessReplacing", "BM_EngineProcess", "BM_EngineBlock", "BM_DependencyFloor", "BM_CopyFloor"}) {
            auto it = best.find(name);
            if (it != best.end())
                std::printf("  %-22s %8.3f\n", name, it->second);
        }
        ratio("BM_ProcessReplacing", "BM_DependencyFloor");
        ratio("BM_ProcessReplacing", "BM_CopyFloor");
        ratio("BM_EngineProcess", "BM_DependencyFloor");
        ratio("BM_EngineBlock", "BM_DependencyFloor");
    }

private:
    void ratio(const char* what, const char* floor) const
    {
        auto a = best.find(what);
        auto b = best.find(floor);
        if (a == best.end() || b == best.end() || b->second <= 0.0)
            return;
        std::printf("ratio %s / %s = %.3f\n", what, floor, a->second / b->second);
    }
    std::map<std::string, double> best;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    material(); // build the material before anything is timed
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printSummary();
    benchmark::Shutdown();
    return 0;
}
