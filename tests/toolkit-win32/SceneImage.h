// RGB pictures of a rendered scene (PPM files between the Windows and the Linux run) and the
// comparison of two renderings: identical outside text, within 1 per channel in blends, and
// in each text area the ink at the same place.
#pragma once

#include "TestScene.h"

#include <cstdint>
#include <string>
#include <vector>

namespace scene {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // 0x00RRGGBB, rows top to bottom

    uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

bool writePpm(const Image& image, const std::string& path);
bool readPpm(const std::string& path, Image& image);

// The bounding box of the pixels in area that differ from `under` (empty when none).
VSTGUI::CRect inkBox(const Image& image, const VSTGUI::CRect& area, const VSTGUI::CColor& under);

struct Comparison {
    bool same = false;
    int differingPixels = 0; // outside text, beyond the blend tolerance
    std::string report;      // what differs, for the test's message
};

// Compares `actual` with `expected` over the whole picture using the regions of the scene.
// Text regions must hold ink in both, with the ink boxes' centres at most textShift pixels
// apart in each direction.
Comparison compare(const Image& expected, const Image& actual, const std::vector<Region>& regions, int textShift = 3);

} // namespace scene
