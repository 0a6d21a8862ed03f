// peer-bench: Orvanne (or any stereo VST 2.4 plug-in) against two look-ahead peak limiters of
// its class, x42-dpl and LSP Limiter Stereo (LV2, through lilv), in one process on the same
// material. Every plug-in limits to a 0 dBFS sample-peak ceiling without oversampling or
// true-peak detection; the run checks that each really does. For each rate and block size the
// plug-ins take turns (interleaved repetitions), and the fastest repetition of each counts:
// CPU time per stereo frame, including the host's copy of the input into the plug-in's buffers.
#include "BenchMaterial.h"
#include "Lv2Peer.h"
#include "VstPeer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>

namespace {

constexpr const char* kReference = "x42-dpl";
// An output peak counts as at the ceiling within this many dB below it (a leveler whose gain
// rides the peaks lands a little under it), and no more above it than a float rounding of full
// scale: far from the input's peaks, so a plug-in that passes the input unlimited fails.
constexpr double kBelowCeilingDb = 1.0;
constexpr double kAboveCeilingDb = 0.001;

struct PeerSpec {
    const char* label;
    const char* uri;
    const char* settingsText;
    peers::ControlSettings settings;
};

const PeerSpec kLv2Peers[] = {
    {"x42-dpl",
     "http://gareus.org/oss/lv2/dpl#stereo",
     "threshold 0 dB, input gain 0 dB, release 10 ms, true peak off",
     {{"enable", 1.0f}, {"gain", 0.0f}, {"threshold", 0.0f}, {"release", 0.01f}, {"truepeak", 0.0f}}},
    {"LSP",
     "http://lsp-plug.in/plugins/lv2/limiter_stereo",
     "LSP Limiter Stereo, threshold 0 dB, look-ahead 5 ms, automatic level regulation off, oversampling off, "
     "dither off, other controls at their defaults",
     {{"enabled", 1.0f},
      {"g_in", 1.0f},
      {"g_out", 1.0f},
      {"th", 1.0f},
      {"alr", 0.0f},
      {"lk", 5.0f},
      {"ovs", 0.0f},
      {"dith", 0.0f}}},
};

double threadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

std::string cpuName()
{
    std::ifstream info("/proc/cpuinfo");
    std::string line;
    while (std::getline(info, line)) {
        if (line.compare(0, 10, "model name") == 0) {
            const size_t colon = line.find(':');
            if (colon != std::string::npos)
                return line.substr(line.find_first_not_of(" \t", colon + 1));
        }
    }
    return "unknown";
}

// One pass over the material in blocks: the host copies each block's input into the plug-in's
// buffers and calls it.
void pass(peers::PeerPlugin& plugin, const bench::Material& material, int block)
{
    const size_t step = static_cast<size_t>(block);
    for (size_t at = 0; at + step <= bench::Material::kFrames; at += step) {
        std::memcpy(plugin.inLeft.data(), material.left.data() + at, step * sizeof(float));
        std::memcpy(plugin.inRight.data(), material.right.data() + at, step * sizeof(float));
        plugin.run(block);
    }
}

// The same, answering the largest output magnitude.
float measuredPeak(peers::PeerPlugin& plugin, const bench::Material& material, int block)
{
    float peak = 0.0f;
    const size_t step = static_cast<size_t>(block);
    for (size_t at = 0; at + step <= bench::Material::kFrames; at += step) {
        std::memcpy(plugin.inLeft.data(), material.left.data() + at, step * sizeof(float));
        std::memcpy(plugin.inRight.data(), material.right.data() + at, step * sizeof(float));
        plugin.run(block);
        for (size_t i = 0; i < step; ++i)
            peak = std::max({peak, std::fabs(plugin.outLeft[i]), std::fabs(plugin.outRight[i])});
    }
    return peak;
}

double decibels(double x)
{
    return 20.0 * std::log10(x);
}

struct Options {
    // Many short repetitions: on a busy machine the fastest of them is the one least disturbed.
    int repetitions = 41;
    int passes = 1;
    std::string vst = ORVANNE_DEFAULT_PLUGIN;
};

bool parse(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--reps" && hasValue)
            options.repetitions = std::atoi(argv[++i]);
        else if (arg == "--passes" && hasValue)
            options.passes = std::atoi(argv[++i]);
        else if (arg == "--vst" && hasValue)
            options.vst = argv[++i];
        else
            return false;
    }
    return options.repetitions >= 1 && options.passes >= 1;
}

// A plug-in's output peaks over every rate and block size.
struct Result {
    std::string name;
    double lowestPeakDb = INFINITY, highestPeakDb = -INFINITY;
};

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: peer-bench [--reps N (default 41)] [--passes N (default 1)] [--vst PLUGIN.so]\n");
        return 2;
    }
    const bench::Material material;
    float inputPeak = 0.0f;
    for (size_t i = 0; i < bench::Material::kFrames; ++i)
        inputPeak = std::max({inputPeak, std::fabs(material.left[i]), std::fabs(material.right[i])});

    std::printf("peer-bench on %s: %d interleaved repetitions of %d passes over %zu frames, input peak %+.1f dBFS\n",
                cpuName().c_str(), options.repetitions, options.passes, bench::Material::kFrames, decibels(inputPeak));
    std::printf("ceiling 0 dBFS sample peak for every plug-in; a plug-in limits when its output peak lies within "
                "-%.1f..+%.3f dB of it\n",
                kBelowCeilingDb, kAboveCeilingDb);

    peers::Lv2World world;
    std::vector<Result> results;
    bool failed = false;
    bool headerDone = false;
    std::vector<std::string> reported;
    for (double rate : {44100.0, 48000.0}) {
        for (int block : {32, 64, 512}) {
            std::vector<peers::PeerPointer> plugins;
            std::string error;
            if (peers::PeerPointer ours = peers::loadVst(options.vst, rate, block, error)) {
                plugins.push_back(std::move(ours));
            } else {
                std::fprintf(stderr, "peer-bench: %s: %s\n", options.vst.c_str(), error.c_str());
                return 1;
            }
            for (const PeerSpec& spec : kLv2Peers) {
                if (peers::PeerPointer peer = peers::loadLv2(world, spec.label, spec.uri, rate, block, spec.settings,
                                                             error)) {
                    plugins.push_back(std::move(peer));
                } else if (std::find(reported.begin(), reported.end(), spec.label) == reported.end()) {
                    std::printf("  %s %s: skipped (tools/setup-deps.sh --peers installs the peers)\n", spec.label,
                                error.c_str());
                    reported.push_back(spec.label);
                }
            }
            if (!headerDone) {
                std::printf("  %s: its default settings (VST 2.4, %s)\n", plugins[0]->name.c_str(),
                            options.vst.c_str());
                for (const PeerSpec& spec : kLv2Peers)
                    if (std::find(reported.begin(), reported.end(), spec.label) == reported.end())
                        std::printf("  %s: %s\n", spec.label, spec.settingsText);
                results.clear();
                for (const auto& plugin : plugins)
                    results.push_back({plugin->name});
                std::printf("\nns per stereo frame (minimum):\n   rate block");
                for (const Result& r : results)
                    std::printf(" %10.10s", r.name.c_str());
                const bool hasReference = std::any_of(results.begin(), results.end(),
                                                      [](const Result& r) { return r.name == kReference; });
                for (const Result& r : results)
                    if (hasReference && r.name != kReference)
                        std::printf(" %18.18s", (r.name + "/" + kReference).c_str());
                std::printf("\n");
                headerDone = true;
            }
            if (plugins.size() != results.size()) {
                std::fprintf(stderr, "peer-bench: a plug-in loaded for one setting but not another\n");
                return 1;
            }
            // Warm-up, then the check pass, then the timed repetitions in turn.
            for (size_t p = 0; p < plugins.size(); ++p) {
                pass(*plugins[p], material, block);
                const double peakDb = decibels(measuredPeak(*plugins[p], material, block));
                results[p].lowestPeakDb = std::min(results[p].lowestPeakDb, peakDb);
                results[p].highestPeakDb = std::max(results[p].highestPeakDb, peakDb);
            }
            std::vector<double> best(plugins.size(), INFINITY);
            const double frames = static_cast<double>(bench::Material::kFrames) * options.passes;
            for (int rep = 0; rep < options.repetitions; ++rep) {
                for (size_t k = 0; k < plugins.size(); ++k) {
                    const size_t p = (k + static_cast<size_t>(rep)) % plugins.size(); // rotate who goes first
                    const double start = threadSeconds();
                    for (int n = 0; n < options.passes; ++n)
                        pass(*plugins[p], material, block);
                    best[p] = std::min(best[p], (threadSeconds() - start) * 1e9 / frames);
                }
            }
            std::printf("  %5.0f %5d", rate, block);
            double reference = 0.0;
            for (size_t p = 0; p < plugins.size(); ++p) {
                std::printf(" %10.2f", best[p]);
                if (results[p].name == kReference)
                    reference = best[p];
            }
            for (size_t p = 0; p < plugins.size(); ++p)
                if (results[p].name != kReference && reference > 0.0)
                    std::printf(" %18.2f", best[p] / reference);
            std::printf("\n");
        }
    }

    std::printf("\noutput peaks over every setting:\n");
    for (const Result& r : results) {
        const bool limits = r.lowestPeakDb >= -kBelowCeilingDb && r.highestPeakDb <= kAboveCeilingDb &&
            std::isfinite(r.lowestPeakDb);
        std::printf("  %-10s %+.3f .. %+.3f dBFS: %s\n", r.name.c_str(), r.lowestPeakDb, r.highestPeakDb,
                    limits ? "limits to the ceiling" : "does NOT limit to the ceiling");
        failed = failed || !limits;
    }
    return failed ? 1 : 0;
}
