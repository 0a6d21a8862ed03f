#include "controls/CParamDisplay.h"

#include "CBitmap.h"
#include "CDrawContext.h"

#include <cstdio>
#include <cstring>

namespace VSTGUI {

CParamDisplay::CParamDisplay(const CRect& size, CBitmap* background, int32_t style)
    : CControl(size, nullptr, 0, background),
      style(style),
      fontColor(colorWhite),
      backColor(colorBlack),
      frameColor(colorBlack),
      shadowColor(colorRed)
{
    backOffset = CPoint(0, 0);
    if (style & StyleNoDraw)
        setDirty(false);
}

CParamDisplay::~CParamDisplay() {}

bool CParamDisplay::isTypeOf(const char* name) const
{
    if (name != nullptr && std::strcmp(name, "CParamDisplay") == 0)
        return true;
    return CControl::isTypeOf(name);
}

void CParamDisplay::setFont(int32_t id)
{
    if (fontId != id)
        setDirty(true);
    fontId = id;
}

void CParamDisplay::setFontColor(const CColor& color)
{
    if (fontColor != color)
        setDirty(true);
    fontColor = color;
}

void CParamDisplay::setBackColor(const CColor& color)
{
    if (backColor != color)
        setDirty(true);
    backColor = color;
}

void CParamDisplay::setFrameColor(const CColor& color)
{
    if (frameColor != color)
        setDirty(true);
    frameColor = color;
}

void CParamDisplay::setShadowColor(const CColor& color)
{
    if (shadowColor != color)
        setDirty(true);
    shadowColor = color;
}

void CParamDisplay::setHoriAlign(int32_t align)
{
    if (horizontalAlign != align)
        setDirty(true);
    horizontalAlign = align;
}

void CParamDisplay::setValueToTextWithData(ValueToTextWithDataFunction function, void* data)
{
    valueToTextWithData = function;
    userData = data;
}

void CParamDisplay::setValueToText(ValueToTextFunction function)
{
    valueToText = function;
}

void CParamDisplay::setTextToValue(TextToValueFunction function)
{
    textToValue = function;
}

void CParamDisplay::setStyle(int32_t newStyle)
{
    if (style != newStyle)
        setDirty(true);
    style = newStyle;
}

void CParamDisplay::setTextStyle(int32_t newStyle)
{
    if (textStyle != newStyle)
        setDirty(true);
    textStyle = newStyle;
}

void CParamDisplay::formatValue(char* text) const
{
    text[0] = 0;
    if (valueToTextWithData != nullptr)
        valueToTextWithData(value, text, userData);
    else if (valueToText != nullptr)
        valueToText(value, text);
    else
        std::snprintf(text, 256, "%2.2f", double(value));
    text[255] = 0;
}

void CParamDisplay::draw(CDrawContext* context)
{
    char text[256];
    formatValue(text);
    drawText(context, text, nullptr);
}

void CParamDisplay::drawText(CDrawContext* context, const char* text, CBitmap* pressedBackground)
{
    setDirty(false);
    if (style & StyleNoDraw)
        return;

    CBitmap* bitmap = pressedBackground != nullptr ? pressedBackground : background;
    if (bitmap != nullptr) {
        if (transparency)
            bitmap->drawTransparent(context, size, backOffset);
        else
            bitmap->draw(context, size, backOffset);
    } else if (!transparency) {
        context->setFillColor(backColor);
        context->fillRect(size);
        if ((style & (StyleNoFrame | Style3DIn | Style3DOut)) == 0) {
            context->setFrameColor(frameColor);
            context->drawRect(size, kDrawOutline);
        }
    }

    if (style & (Style3DIn | Style3DOut)) {
        context->setLineWidth(1);
        context->setFrameColor((style & Style3DIn) ? backColor : frameColor);
        context->moveTo(CPoint(size.left, size.bottom - 1));
        context->lineTo(CPoint(size.left, size.top + 1));
        context->lineTo(CPoint(size.right - 1, size.top + 1));
        context->setFrameColor((style & Style3DIn) ? frameColor : backColor);
        context->moveTo(CPoint(size.right - 1, size.top + 1));
        context->lineTo(CPoint(size.right - 1, size.bottom - 1));
        context->lineTo(CPoint(size.left, size.bottom - 1));
    }

    if ((style & StyleNoText) || text == nullptr || text[0] == 0)
        return;

    CRect oldClip;
    context->getClipRect(oldClip);
    CRect clip = size;
    clip.bound(oldClip);
    context->setClipRect(clip);
    context->setFont(fontId, 0, textStyle);
    if (style & StyleShadowText) {
        CRect shadow = size;
        shadow.offset(1, 1);
        context->setFontColor(shadowColor);
        context->drawString(text, shadow, !textTransparency, horizontalAlign);
    }
    context->setFontColor(fontColor);
    context->drawString(text, size, !textTransparency, horizontalAlign);
    context->setClipRect(oldClip);
}

} // namespace VSTGUI
