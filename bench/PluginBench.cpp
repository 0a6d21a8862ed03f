// plugin-bench: one stereo VST 2.4 plug-in through the project's host library on the benchmark
// material, as a host runs it (input copied into the plug-in's buffers, one call per block).
// Built natively and for Windows, so a Windows build under Wine and the native build can be
// timed on the same machine (bench/native-vs-wine.sh alternates them).
//   plugin-bench PLUGIN [BLOCK (512)] [PASSES (20)]
// prints the fastest pass in ns per stereo frame (wall-clock time).
#include "BenchMaterial.h"
#include "PluginHost.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    const int block = argc > 2 ? std::atoi(argv[2]) : 512;
    const int passes = argc > 3 ? std::atoi(argv[3]) : 20;
    if (argc < 2 || argc > 4 || block < 1 || block > 65536 || passes < 1) {
        std::fprintf(stderr, "usage: plugin-bench PLUGIN [BLOCK 1..65536 (512)] [PASSES (20)]\n");
        return 2;
    }
    std::string error;
    std::unique_ptr<vsthost::PluginHost> host = vsthost::PluginHost::load(argv[1], error);
    if (!host) {
        std::fprintf(stderr, "plugin-bench: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    if (host->effect()->numInputs != 2 || host->effect()->numOutputs != 2) {
        std::fprintf(stderr, "plugin-bench: %s is not a stereo plug-in\n", argv[1]);
        return 1;
    }
    host->start(44100.0f, block);
    const bench::Material material;
    const size_t step = static_cast<size_t>(block);
    std::vector<float> inLeft(step), inRight(step), outLeft(step), outRight(step);
    float* in[2] = {inLeft.data(), inRight.data()};
    float* out[2] = {outLeft.data(), outRight.data()};
    double best = 1e30;
    float peak = 0.0f;
    size_t frames = 0;
    for (int pass = 0; pass <= passes; ++pass) { // pass 0 warms up
        const auto start = std::chrono::steady_clock::now();
        frames = 0;
        for (size_t at = 0; at + step <= bench::Material::kFrames; at += step) {
            std::memcpy(inLeft.data(), material.left.data() + at, step * sizeof(float));
            std::memcpy(inRight.data(), material.right.data() + at, step * sizeof(float));
            host->processReplacing(in, out, block);
            frames += step;
        }
        const double ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
        if (pass > 0 && ns / static_cast<double>(frames) < best)
            best = ns / static_cast<double>(frames);
        for (size_t i = 0; i < step; ++i)
            peak = std::max(peak, std::max(std::fabs(outLeft[i]), std::fabs(outRight[i])));
    }
    host->stop();
    std::printf("%.3f ns per frame (block %d, fastest of %d passes), last blocks' output peak %.4f\n", best, block,
                passes, static_cast<double>(peak));
    return 0;
}
