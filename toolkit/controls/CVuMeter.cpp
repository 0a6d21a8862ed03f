#include "controls/CVuMeter.h"

#include "CBitmap.h"
#include "COffscreenContext.h"
#include "controls/CParamDisplay.h"

#include <cmath>
#include <cstring>

namespace VSTGUI {

CVuMeter::CVuMeter(const CRect& size, CBitmap* onBitmap, CBitmap* offBitmap, int32_t nbLed, int32_t style)
    : CControl(size, nullptr, 0, nullptr), onBitmap(onBitmap), offBitmap(offBitmap), nbLed(nbLed), style(style)
{
    if (onBitmap != nullptr)
        onBitmap->retain();
    if (offBitmap != nullptr)
        offBitmap->retain();
    rectOn = size;
    rectOn.normalize();
    rectOff = rectOn;
}

CVuMeter::~CVuMeter()
{
    deleteOffscreen();
    if (onBitmap != nullptr)
        onBitmap->release();
    if (offBitmap != nullptr)
        offBitmap->release();
}

bool CVuMeter::isTypeOf(const char* name) const
{
    if (name != nullptr && std::strcmp(name, "CVuMeter") == 0)
        return true;
    return CControl::isTypeOf(name);
}

void CVuMeter::deleteOffscreen()
{
    if (offscreen != nullptr)
        offscreen->release();
    offscreen = nullptr;
}

bool CVuMeter::attached(CView* parent)
{
    deleteOffscreen();
    if (useOffscreen) {
        offscreen = new COffscreenContext(parentFrame, size.width(), size.height(), colorBlack);
        rectOn = CRect(0, 0, size.width(), size.height());
        rectOff = rectOn;
    } else {
        rectOn = size;
        rectOn.normalize();
        rectOff = rectOn;
    }
    return CControl::attached(parent);
}

bool CVuMeter::removed(CView* parent)
{
    deleteOffscreen();
    return CControl::removed(parent);
}

void CVuMeter::draw(CDrawContext* context)
{
    if (onBitmap == nullptr || nbLed <= 0)
        return;
    if (std::isnan(value))
        value = minValue; // an unusable level shows as silence
    bounceValue();
    float shown = oldValue - decreaseStep;
    if (shown < value)
        shown = value;
    oldValue = shown;

    CDrawContext* target = context;
    if (useOffscreen) {
        if (offscreen == nullptr) {
            offscreen = new COffscreenContext(parentFrame, size.width(), size.height(), colorBlack);
            rectOn = CRect(0, 0, size.width(), size.height());
            rectOff = rectOn;
        }
        target = offscreen;
    }

    CPoint onPoint;
    CPoint offPoint;
    if (style & StyleHorizontal) {
        const int32_t n = int32_t(float(nbLed) * shown + 0.5f);
        int32_t x = int32_t(float(n) / float(nbLed) * float(onBitmap->getWidth()));
        offPoint = CPoint(x, 0);
        if (!useOffscreen)
            x += size.left;
        rectOff.left = x;
        rectOn.right = x;
    } else {
        const int32_t n = int32_t((maxValue - shown) * float(nbLed) + 0.5f);
        int32_t y = int32_t(float(n) / float(nbLed) * float(onBitmap->getHeight()));
        onPoint = CPoint(0, y);
        if (!useOffscreen)
            y += size.top;
        rectOff.bottom = y;
        rectOn.top = y;
    }

    if (offBitmap != nullptr) {
        if (transparency)
            offBitmap->drawTransparent(target, rectOff, offPoint);
        else
            offBitmap->draw(target, rectOff, offPoint);
    }
    if (transparency)
        onBitmap->drawTransparent(target, rectOn, onPoint);
    else
        onBitmap->draw(target, rectOn, onPoint);

    if (useOffscreen)
        offscreen->copyFrom(context, size, CPoint(0, 0));
    dirty = false;
}

} // namespace VSTGUI
