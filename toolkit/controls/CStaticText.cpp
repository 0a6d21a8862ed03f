#include "controls/CStaticText.h"

#include "CDrawContext.h"

#include <cstring>

namespace VSTGUI {

CStaticText::CStaticText(const CRect& size, CBitmap* background, int32_t style) : CParamDisplay(size, background, style)
{
    staticText[0] = 0;
}

CStaticText::~CStaticText() {}

void CStaticText::setText(const char* text)
{
    if (text == nullptr)
        text = "";
    std::strncpy(staticText, text, sizeof(staticText) - 1);
    staticText[sizeof(staticText) - 1] = 0;
    setDirty(true);
}

void CStaticText::draw(CDrawContext* context)
{
    drawStaticText(context, staticText);
}

void CStaticText::drawStaticText(CDrawContext* context, const char* text)
{
    if (style & StyleNoDraw)
        return;
    CRect box(size.left - 1, size.top - 1, size.right + 1, size.bottom + 1);
    context->setFillColor(colorWhite);
    context->fillRect(box);
    if (!transparency) {
        context->setFillColor(backColor);
        context->fillRect(box);
    }
    if (!(style & StyleNoText) && text != nullptr) {
        CRect oldClip;
        context->getClipRect(oldClip);
        CRect clip = box;
        clip.bound(oldClip);
        context->setClipRect(clip);
        context->setFont(fontId, 0, textStyle);
        context->setFontColor(fontColor);
        context->drawString(text, box, !textTransparency, horizontalAlign | (endEllipsis ? kEndEllipsisText : 0));
        context->setClipRect(oldClip);
    }
    setDirty(false);
}

} // namespace VSTGUI
