// The command line of orvanne-render.
#pragma once

#include "OutputFormat.h"

#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace render {

struct Options {
    std::string plugin;                                        // empty: the built Orvanne plug-in
    std::vector<std::pair<std::string, std::string>> settings; // --set NAME=VALUE, in order
    int blockSize = 512;
    bool compensate = true; // --no-compensate keeps the plug-in's raw timing
    std::string plot;
    std::string loadState; // chunk or ".prg" file applied before rendering
    std::string saveState; // the plug-in's chunk written here after rendering
    bool list = false;
    bool edit = false;  // open the plug-in's editor before rendering
    bool demo = false;  // render the built-in demo; a single file name is then the output
    bool quiet = false; // no progress bar
    bool help = false;
    bool version = false;            // print the version and exit
    bool force = false;              // replace an existing output (--force, -y)
    bool verbose = false;            // -v: print each trial of a target search
    OutputFormat format;             // --format, else from the output's extension (".flac": flac-24)
    double targetLufs = NAN;         // --target-lufs
    double maxTruePeak = NAN;        // --max-true-peak (dBTP)
    bool album = false;              // one setting for all inputs, their loudness together on target
    int jobs = 0;                    // --jobs; 0: the number of cores
    std::string outDir;              // --out-dir: several inputs, names kept
    std::string report;              // --report FILE.json, "-" for standard output
    std::vector<std::string> inputs; // empty: the built-in demo; "-" is standard input
    std::string output = "out.wav";  // "-" is standard output (without --out-dir)
};

constexpr int maxBlockSize = 65536;

// Throws RenderError with a one-line reason.
Options parseOptions(const std::vector<std::string>& arguments);
std::string usageText();

} // namespace render
