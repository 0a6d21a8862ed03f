// Speed of the audio path, as ratios against two reference loops run in the same process:
//   BM_ProcessReplacing  the effect's processReplacing, called through its AEffect record
//   BM_EngineProcess     the leveling engine alone, one process() call per frame
//   BM_EngineBlock       the leveling engine alone, processBlock() over each block
//   BM_CopyFloor         a plain gain-and-copy over the same buffers
//   BM_DependencyFloor   the smoothing recurrence every leveled frame has to wait for:
//                        smoothedGain = float(0.9*smoothedGain + 0.1*gain); gain += slope
// Every benchmark handles 512-frame stereo blocks of the same loud, program-like material
// (bench/BenchMaterial.h), cycling through it; BM_ProcessReplacing also runs blocks of 1 frame
// (the cost of a call), 32, 64, 128 and 4096 frames. Times are reported per stereo frame; the
// block sweep, the fixed cost per block and the ratios are printed at the end (from the fastest
// repetition of each benchmark).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "AudioEffect.h"
#include "BenchMaterial.h"
#include "HostCallbacks.h"
#include "Maximizer.h"
#include "PluginFactory.h"

namespace {

constexpr int kBlock = 512; // the engine benchmarks and the floors
constexpr int kBlocks = static_cast<int>(bench::Material::kFrames / kBlock);
constexpr int kLargestBlock = 4096;

struct Material : bench::Material {
    std::vector<float> outLeft, outRight;

    Material() : outLeft(kLargestBlock), outRight(kLargestBlock) {}
    float* inL(int block) { return left.data() + static_cast<size_t>(block) * kBlock; }
    float* inR(int block) { return right.data() + static_cast<size_t>(block) * kBlock; }
};

Material& material()
{
    static Material m;
    return m;
}

void finish(benchmark::State& state, int block = kBlock)
{
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * block);
    // Seconds per stereo frame, shown with an SI prefix (e.g. "3.4n" is 3.4 ns).
    state.counters["per_frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * block,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["block"] = block; // read back by the summary
}

// One processReplacing call per block of state.range(0) frames; the 1-frame case is the cost
// of a call itself (the "Power" read, the chunk set-up, the meters' set-up and store-back).
void BM_ProcessReplacing(benchmark::State& state)
{
    Material& m = material();
    const int frames = static_cast<int>(state.range(0));
    AudioEffect* effect = createEffectInstance(test_support::quietHost);
    if (!effect) {
        state.SkipWithError("the effect could not be created");
        return;
    }
    AEffect* e = effect->getAeffect();
    e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
    e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    e->dispatcher(e, effSetBlockSize, 0, frames, nullptr, 0.0f);
    e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
    size_t at = 0;
    for (auto _ : state) {
        float* in[2] = {m.left.data() + at, m.right.data() + at};
        float* out[2] = {m.outLeft.data(), m.outRight.data()};
        e->processReplacing(e, in, out, frames);
        benchmark::DoNotOptimize(out[0][frames - 1]);
        benchmark::ClobberMemory();
        at = bench::Material::next(at, static_cast<size_t>(frames));
    }
    // The material must actually be leveled for the numbers to mean anything: one more pass
    // over all of it must bring the output level well below the input level.
    double inSum = 0.0, outSum = 0.0;
    for (size_t b = 0; b + static_cast<size_t>(frames) <= bench::Material::kFrames; b += static_cast<size_t>(frames)) {
        float* in[2] = {m.left.data() + b, m.right.data() + b};
        float* out[2] = {m.outLeft.data(), m.outRight.data()};
        e->processReplacing(e, in, out, frames);
        for (int i = 0; i < frames; ++i) {
            inSum += std::fabs(in[0][i]) + std::fabs(in[1][i]);
            outSum += std::fabs(out[0][i]) + std::fabs(out[1][i]);
        }
    }
    e->dispatcher(e, effMainsChanged, 0, 0, nullptr, 0.0f);
    e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
    if (!(outSum < 0.7 * inSum))
        state.SkipWithError("no gain reduction: the material is too quiet");
    finish(state, frames);
}
BENCHMARK(BM_ProcessReplacing)->Arg(1)->Arg(32)->Arg(64)->Arg(128)->Arg(512)->Arg(4096)->Unit(benchmark::kMicrosecond);

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
// machines are shared) and, at the end, the block sweep and the ratios against the two floors.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0)
                continue;
            auto block = run.counters.find("block");
            const double frames = block != run.counters.end() ? block->second.value : kBlock;
            const double ns = run.cpu_accumulated_time * 1e9 / static_cast<double>(run.iterations) / frames;
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty())
                name += "/" + run.run_name.args;
            auto it = best.find(name);
            if (it == best.end() || ns < it->second)
                best[name] = ns;
        }
    }

    void printSummary() const
    {
        std::printf("\nns per stereo frame (fastest repetition):\n");
        for (const char* name :
             {"BM_ProcessReplacing/512", "BM_EngineProcess", "BM_EngineBlock", "BM_DependencyFloor", "BM_CopyFloor"}) {
            if (const double* ns = find(name))
                std::printf("  %-24s %8.3f\n", name, *ns);
        }
        std::printf("\nprocessReplacing by block size: ns per frame, ns per block\n");
        for (int frames : {1, 32, 64, 128, 512, 4096}) {
            if (const double* ns = find("BM_ProcessReplacing/" + std::to_string(frames)))
                std::printf("  %5d %8.3f %10.1f\n", frames, *ns, *ns * frames);
        }
        // A block costs a fixed part plus one per frame; the 4096-frame blocks give the part
        // per frame, the 32-frame ones then the fixed part.
        const double* small = find("BM_ProcessReplacing/32");
        const double* large = find("BM_ProcessReplacing/4096");
        if (small && large)
            std::printf("fixed cost per block (32 against 4096 frames): %.1f ns\n", (*small - *large) * 32.0);
        ratio("BM_ProcessReplacing/512", "BM_DependencyFloor");
        ratio("BM_ProcessReplacing/512", "BM_CopyFloor");
        ratio("BM_EngineProcess", "BM_DependencyFloor");
        ratio("BM_EngineBlock", "BM_DependencyFloor");
    }

private:
    const double* find(const std::string& name) const
    {
        auto it = best.find(name);
        return it == best.end() ? nullptr : &it->second;
    }
    void ratio(const char* what, const char* floor) const
    {
        const double* a = find(what);
        const double* b = find(floor);
        if (a == nullptr || b == nullptr || *b <= 0.0)
            return;
        std::printf("ratio %s / %s = %.3f\n", what, floor, *a / *b);
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
