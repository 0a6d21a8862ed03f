// A rectangle in pixels; right and bottom are exclusive.
#pragma once

#include "CPoint.h"

#include <cstdint>

namespace VSTGUI {

struct CRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    CRect() = default;
    CRect(int32_t left, int32_t top, int32_t right, int32_t bottom) : left(left), top(top), right(right), bottom(bottom)
    {
    }
    CRect(const CPoint& origin, const CPoint& extent)
        : left(origin.h), top(origin.v), right(origin.h + extent.h), bottom(origin.v + extent.v)
    {
    }

    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    CPoint topLeft() const { return CPoint(left, top); }

    CRect& offset(int32_t dx, int32_t dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
        return *this;
    }
    // Moves the top-left corner to (x, y), keeping the size.
    CRect& moveTo(int32_t x, int32_t y)
    {
        right += x - left;
        bottom += y - top;
        left = x;
        top = y;
        return *this;
    }
    CRect& setWidth(int32_t w)
    {
        right = left + w;
        return *this;
    }
    CRect& setHeight(int32_t h)
    {
        bottom = top + h;
        return *this;
    }
    // Swaps the edges where needed so that left <= right and top <= bottom.
    CRect& normalize()
    {
        if (left > right) {
            int32_t t = left;
            left = right;
            right = t;
        }
        if (top > bottom) {
            int32_t t = top;
            top = bottom;
            bottom = t;
        }
        return *this;
    }
    // Clips this rectangle to r. An empty intersection keeps a zero width or height,
    // never a negative one.
    CRect& bound(const CRect& r)
    {
        if (left < r.left)
            left = r.left;
        if (top < r.top)
            top = r.top;
        if (right > r.right)
            right = r.right;
        if (bottom > r.bottom)
            bottom = r.bottom;
        if (right < left)
            right = left;
        if (bottom < top)
            bottom = top;
        return *this;
    }
    // True when the point lies inside or on any of the four edges (the toolkit's hit rule).
    bool pointInside(const CPoint& p) const { return p.h >= left && p.h <= right && p.v >= top && p.v <= bottom; }
    // True when the rectangles overlap or touch (edges inclusive).
    bool touches(const CRect& r) const
    {
        return r.left <= right && r.right >= left && r.top <= bottom && r.bottom >= top;
    }
    bool isEmpty() const { return right <= left || bottom <= top; }

    bool operator==(const CRect& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const CRect& o) const { return !(*this == o); }
};

} // namespace VSTGUI
