#include "SceneImage.h"

#include "PpmFile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

using VSTGUI::CColor;
using VSTGUI::CRect;

namespace scene {

bool writePpm(const Image& image, const std::string& path)
{
    return test_support::writePpm(path, image.width, image.height, image.pixels);
}

bool readPpm(const std::string& path, Image& image)
{
    return test_support::readPpm(path, image.width, image.height, image.pixels);
}

namespace {

uint32_t rgb(const CColor& c)
{
    return uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | c.blue;
}

bool within(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = int((a >> shift) & 0xff) - int((b >> shift) & 0xff);
        if (std::abs(d) > tolerance)
            return false;
    }
    return true;
}

const Region* regionAt(const std::vector<Region>& regions, int x, int y, Region::Kind kind)
{
    for (const Region& r : regions)
        if (r.kind == kind && x >= r.rect.left && x < r.rect.right && y >= r.rect.top && y < r.rect.bottom)
            return &r;
    return nullptr;
}

std::string describe(const CRect& r)
{
    std::ostringstream s;
    s << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
    return s.str();
}

} // namespace

CRect inkBox(const Image& image, const CRect& area, const CColor& under)
{
    const uint32_t ground = rgb(under);
    CRect box(area.right, area.bottom, area.left, area.top);
    bool any = false;
    for (int y = area.top; y < area.bottom && y < image.height; ++y) {
        for (int x = area.left; x < area.right && x < image.width; ++x) {
            if (x < 0 || y < 0 || image.at(x, y) == ground)
                continue;
            any = true;
            box.left = std::min(box.left, x);
            box.top = std::min(box.top, y);
            box.right = std::max(box.right, x + 1);
            box.bottom = std::max(box.bottom, y + 1);
        }
    }
    return any ? box : CRect();
}

Comparison compare(const Image& expected, const Image& actual, const std::vector<Region>& regions, int textShift)
{
    Comparison result;
    std::ostringstream report;
    if (expected.width != actual.width || expected.height != actual.height) {
        report << "size " << actual.width << "x" << actual.height << ", expected " << expected.width << "x"
               << expected.height;
        result.report = report.str();
        result.differingPixels = -1;
        return result;
    }
    int shown = 0;
    for (int y = 0; y < expected.height; ++y) {
        for (int x = 0; x < expected.width; ++x) {
            if (regionAt(regions, x, y, Region::Text) != nullptr)
                continue;
            const int tolerance = regionAt(regions, x, y, Region::Blend) != nullptr ? 1 : 0;
            if (within(expected.at(x, y), actual.at(x, y), tolerance))
                continue;
            ++result.differingPixels;
            if (shown++ < 12) {
                char line[96];
                std::snprintf(line, sizeof line, "pixel (%d,%d): %06x, expected %06x\n", x, y,
                              unsigned(actual.at(x, y)), unsigned(expected.at(x, y)));
                report << line;
            }
        }
    }
    if (result.differingPixels > 0)
        report << result.differingPixels << " pixels differ outside text\n";
    bool textInPlace = true;
    for (const Region& r : regions) {
        if (r.kind != Region::Text)
            continue;
        const CRect want = inkBox(expected, r.rect, r.under);
        const CRect got = inkBox(actual, r.rect, r.under);
        if (want.isEmpty() || got.isEmpty()) {
            textInPlace = false;
            report << "text area " << describe(r.rect) << ": no ink (" << (want.isEmpty() ? "expected" : "actual")
                   << ")\n";
            continue;
        }
        const int dx = (got.left + got.right) - (want.left + want.right);
        const int dy = (got.top + got.bottom) - (want.top + want.bottom);
        if (std::abs(dx) > 2 * textShift || std::abs(dy) > 2 * textShift) {
            textInPlace = false;
            report << "text area " << describe(r.rect) << ": ink " << describe(got) << ", expected about "
                   << describe(want) << "\n";
        }
    }
    result.same = result.differingPixels == 0 && textInPlace;
    result.report = report.str();
    return result;
}

} // namespace scene
