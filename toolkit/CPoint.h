// A point in pixels: h is the horizontal (x), v the vertical (y) coordinate.
#pragma once

#include <cstdint>

namespace VSTGUI {

struct CPoint {
    int32_t h = 0;
    int32_t v = 0;

    CPoint() = default;
    CPoint(int32_t h, int32_t v) : h(h), v(v) {}

    CPoint& offset(int32_t dh, int32_t dv)
    {
        h += dh;
        v += dv;
        return *this;
    }
    bool operator==(const CPoint& o) const { return h == o.h && v == o.v; }
    bool operator!=(const CPoint& o) const { return !(*this == o); }
};

} // namespace VSTGUI
