// An off-screen drawing surface used for double buffering; copied to a context in one block.
#pragma once

#include "CDrawContext.h"

namespace VSTGUI {

class COffscreenContext : public CDrawContext {
public:
    // The surface is painted in backgroundColor at once.
    COffscreenContext(CFrame* frame, int32_t width, int32_t height, const CColor& backgroundColor = colorBlack);
    ~COffscreenContext() override;

    // Copies destRect's size of pixels from srcOffset in this surface to destRect (moved by
    // the destination's offset) in the destination context.
    void copyFrom(CDrawContext* destination, const CRect& destRect, const CPoint& srcOffset = CPoint());

    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }
    CColor getBackgroundColor() const { return backgroundColor; }

protected:
    int32_t height;
    int32_t width;
    CColor backgroundColor;
};

} // namespace VSTGUI
