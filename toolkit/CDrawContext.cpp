#include "CDrawContext.h"

#include "CFrame.h"
#include "platform/PlatformInput.h"
#include "platform/PlatformSurface.h"

namespace VSTGUI {

namespace {

const FontTableEntry kFontTable[kNumFonts] = {
    {"Arial", 12, true, false},  // kSystemFont
    {"Arial", 18, false, false}, // kVeryBigFont
    {"Arial", 14, false, false}, // kBigFont
    {"Arial", 12, false, false}, // kNormalFont
    {"Arial", 11, false, false}, // kSmallFont
    {"Arial", 10, false, false}, // kSmallerFont
    {"Arial", 9, false, false},  // kVerySmallFont
    {"Symbol", 13, false, true}, // kSymbolFont
};

// A colour no setter is ever compared equal to before its first call.
const CColor kUnset = makeColor(0, 0, 0, 0);

} // namespace

const FontTableEntry& fontTableEntry(int32_t fontId)
{
    if (fontId < 0 || fontId >= kNumFonts)
        fontId = 0;
    return kFontTable[fontId];
}

CDrawContext::CDrawContext(CFrame* frame, void* deviceContext, void* window)
    : deviceContext(deviceContext), window(window), frame(frame)
{
    fontColor = frameColor = fillColor = kUnset;
    if (frame != nullptr) {
        frame->getViewSize(clipRect);
    } else {
        clipRect = CRect(0, 0, 1000, 1000);
    }
    surface = PlatformSurface::createForContext(frame, deviceContext, window);
    if (surface != nullptr && window != nullptr)
        windowOrigin = surface->getWindowOrigin();
    setUpState();
}

CDrawContext::CDrawContext(CFrame* frame, PlatformSurface* ownSurface, const CRect& clip)
    : frame(frame), clipRect(clip), surface(ownSurface)
{
    fontColor = frameColor = fillColor = kUnset;
    setUpState();
}

void CDrawContext::setUpState()
{
    setFrameColor(colorWhite);
    setLineStyle(kSolidLine);
    setLineWidth(1);
    setFillColor(colorBlack);
    setFontColor(colorWhite);
    setFont(kSystemFont, 0, 0);
    setDrawMode(kCopyMode);
}

CDrawContext::~CDrawContext()
{
    delete surface;
}

void CDrawContext::updatePen()
{
    if (surface != nullptr)
        surface->setPen(penStyle, lineWidth, frameColor);
}

void CDrawContext::setFrameColor(const CColor& color)
{
    if (color == frameColor)
        return;
    frameColor = color;
    updatePen();
}

void CDrawContext::setLineWidth(int32_t width)
{
    if (width == lineWidth)
        return;
    lineWidth = width;
    updatePen();
}

void CDrawContext::setLineStyle(int32_t style)
{
    if (style == lineStyle)
        return;
    lineStyle = style;
    penStyle = style == kDottedLine ? kPenDot : kPenSolid;
    updatePen();
}

void CDrawContext::setFillColor(const CColor& color)
{
    if (color == fillColor)
        return;
    fillColor = color;
    if (surface != nullptr)
        surface->setFill(color);
}

void CDrawContext::setFontColor(const CColor& color)
{
    fontColor = color;
    if (surface != nullptr)
        surface->setTextColor(color);
}

void CDrawContext::setDrawMode(int32_t mode)
{
    if (mode == drawMode)
        return;
    drawMode = mode;
    if (surface == nullptr)
        return;
    if (mode == kOrMode)
        surface->setDrawMode(kRopMergePen);
    else if (mode == kXorMode)
        surface->setDrawMode(kRopNotXorPen);
    else
        surface->setDrawMode(kRopCopyPen);
}

void CDrawContext::setFont(int32_t id, int32_t size, int32_t style)
{
    if (id < 0 || id >= kNumFonts)
        id = 0;
    const FontTableEntry& entry = kFontTable[id];
    if (size == 0)
        size = entry.defaultSize;
    if (id == fontId && size == fontSize && style == fontStyle)
        return;
    fontId = id;
    fontSize = size;
    fontStyle = style;
    if (surface == nullptr)
        return;
    PlatformFont font;
    font.height = -size;
    font.weight = (style & kBoldFace) != 0 || entry.alwaysBold ? 700 : 400;
    font.italic = (style & kItalicFace) != 0;
    font.underline = (style & kUnderlineFace) != 0;
    font.pitchAndFamily = entry.decorative ? 80 : 34;
    font.face = entry.face;
    surface->setFont(font);
}

void CDrawContext::setClipRect(const CRect& clip)
{
    CRect r = clip;
    r.offset(offset.h, offset.v);
    if (r == clipRect)
        return;
    clipRect = r;
    if (surface != nullptr)
        surface->setClip(r);
}

CRect& CDrawContext::getClipRect(CRect& clip) const
{
    clip = clipRect;
    clip.offset(-offset.h, -offset.v);
    return clip;
}

void CDrawContext::moveTo(const CPoint& p)
{
    if (surface != nullptr)
        surface->moveTo(CPoint(p.h + offset.h, p.v + offset.v));
}

void CDrawContext::lineTo(const CPoint& p)
{
    if (surface != nullptr)
        surface->lineTo(CPoint(p.h + offset.h, p.v + offset.v));
}

void CDrawContext::drawRect(const CRect& rect, int32_t style)
{
    if (surface == nullptr)
        return;
    CRect r = rect;
    r.offset(offset.h, offset.v);
    if (style == kDrawFilled || style == kDrawFilledAndOutlined)
        surface->fillRect(r);
    if (style == kDrawOutline || style == kDrawFilledAndOutlined) {
        surface->moveTo(CPoint(r.left, r.top));
        surface->lineTo(CPoint(r.right - 1, r.top));
        surface->lineTo(CPoint(r.right - 1, r.bottom - 1));
        surface->lineTo(CPoint(r.left, r.bottom - 1));
        surface->lineTo(CPoint(r.left, r.top));
    }
}

void CDrawContext::fillRect(const CRect& rect)
{
    if (surface == nullptr)
        return;
    CRect r = rect;
    r.offset(offset.h, offset.v);
    r.left += 1;
    r.top += 1;
    surface->fillRect(r);
}

void CDrawContext::drawString(const char* text, const CRect& rect, bool opaque, int32_t alignment)
{
    if (text == nullptr || text[0] == 0 || surface == nullptr)
        return;
    CRect r = rect;
    r.offset(offset.h, offset.v);
    const int32_t ellipsis = alignment & kEndEllipsisText;
    alignment &= ~kEndEllipsisText;
    if (alignment != kCenterText && alignment != kRightText) {
        alignment = kLeftText;
        r.left += 1;
    }
    surface->drawText(text, r, opaque, alignment | ellipsis);
}

int32_t CDrawContext::getMouseButtons()
{
    return platformMouseButtons();
}

void CDrawContext::getMouseLocation(CPoint& point)
{
    const CPoint screen = platformCursorPosition();
    point = CPoint(screen.h - windowOrigin.h, screen.v - windowOrigin.v);
}

} // namespace VSTGUI
