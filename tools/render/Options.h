// The command line of orvanne-render.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace render {

struct Options {
    std::string plugin;                                        // empty: the built Orvanne plug-in
    std::vector<std::pair<std::string, std::string>> settings; // --set NAME=VALUE, in order
    int blockSize = 512;
    bool compensate = false;
    std::string plot;
    std::string loadState; // chunk or ".prg" file applied before rendering
    std::string saveState; // the plug-in's chunk written here after rendering
    bool list = false;
    bool edit = false;  // open the plug-in's editor before rendering
    bool demo = false;  // render the built-in demo; a single file name is then the output
    bool quiet = false; // no progress bar
    bool help = false;
    bool version = false; // print the version and exit
    std::string input;    // empty: the built-in demo
    std::string output = "out.wav";
};

constexpr int maxBlockSize = 65536;

// Throws RenderError with a one-line reason.
Options parseOptions(const std::vector<std::string>& arguments);
std::string usageText();

} // namespace render
