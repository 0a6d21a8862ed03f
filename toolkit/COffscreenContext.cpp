#include "COffscreenContext.h"

#include "platform/PlatformSurface.h"

namespace VSTGUI {

COffscreenContext::COffscreenContext(CFrame* frame, int32_t width, int32_t height, const CColor& backgroundColor)
    : CDrawContext(frame, PlatformSurface::createOffscreen(frame, width, height),
                   CRect(0, 0, width, height).normalize()),
      height(height),
      width(width),
      backgroundColor(backgroundColor)
{
    setFillColor(backgroundColor);
    setFrameColor(backgroundColor);
    // The fill leaves out the left column and top row; the outline covers them.
    fillRect(CRect(0, 0, width, height));
    drawRect(CRect(0, 0, width, height), kDrawOutline);
}

COffscreenContext::~COffscreenContext() {}

void COffscreenContext::copyFrom(CDrawContext* destination, const CRect& destRect, const CPoint& srcOffset)
{
    if (destination == nullptr || surface == nullptr || destination->getSurface() == nullptr)
        return;
    CRect r = destRect;
    const CPoint& o = destination->getOffset();
    r.offset(o.h, o.v);
    surface->copyTo(destination->getSurface(), r, srcOffset);
}

} // namespace VSTGUI
