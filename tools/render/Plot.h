// --plot: input and output waveforms and the gain reduction over time, as a PNG (Cairo).
#pragma once

#include "Analysis.h"

#include <string>

namespace render {

struct PlotText {
    std::string title;  // e.g. plug-in name and input
    std::string detail; // e.g. latency and settings
};

// Writes the PNG to `path`; throws RenderError when Cairo cannot.
void writePlot(const std::string& path, const LevelTrace& trace, const PlotText& text);

} // namespace render
