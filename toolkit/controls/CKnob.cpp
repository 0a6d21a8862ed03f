#include "controls/CKnob.h"

#include "CBitmap.h"
#include "CDrawContext.h"
#include "CFrame.h"

#include <cmath>
#include <cstring>

namespace VSTGUI {

namespace {

constexpr float kPi = 3.14159265358979323846f;
constexpr float kTwoPi = 2.f * kPi;

// Knob modes of the host interface.
constexpr int32_t kLinearMode = 2;

} // namespace

CKnob::CKnob(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background, CBitmap* handleBitmap,
             const CPoint& offset)
    : CControl(size, listener, tag, background),
      offset(offset),
      handleColor(colorWhite),
      handleShadowColor(colorGrey),
      handleBitmap(handleBitmap),
      radius(float(size.right - size.left) * 0.5f)
{
    if (handleBitmap != nullptr) {
        handleBitmap->retain();
        inset = int32_t(float(handleBitmap->getWidth()) * 0.5f + 2.5f);
    } else {
        inset = 3;
    }
    rangeAngle = 1.f;
    setStartAngle(5.f * kPi / 4.f);
    setRangeAngle(-3.f * kPi / 2.f);
    bWantsFocus = true;
}

CKnob::~CKnob()
{
    if (handleBitmap != nullptr)
        handleBitmap->release();
}

bool CKnob::isTypeOf(const char* name) const
{
    if (name != nullptr && std::strcmp(name, "CKnob") == 0)
        return true;
    return CControl::isTypeOf(name);
}

void CKnob::setStartAngle(float angle)
{
    startAngle = angle;
    compute();
}

void CKnob::setRangeAngle(float angle)
{
    rangeAngle = angle;
    compute();
}

void CKnob::compute()
{
    aCoef = (maxValue - minValue) / rangeAngle;
    bCoef = minValue - aCoef * startAngle;
    halfAngle = (kTwoPi - std::fabs(rangeAngle)) * 0.5f;
    setDirty(true);
}

void CKnob::valueToPoint(CPoint& point) const
{
    float alpha = (value - bCoef) / aCoef;
    // An empty range (or an unusable value) leaves the handle at the start angle.
    if (!std::isfinite(alpha))
        alpha = startAngle;
    point.h = int32_t(radius + std::cos(alpha) * (radius - float(inset)) + 0.5f);
    point.v = int32_t(radius - std::sin(alpha) * (radius - float(inset)) + 0.5f);
}

float CKnob::valueFromPoint(CPoint& point) const
{
    float alpha = std::atan2(radius - float(point.v), float(point.h) - radius);
    if (alpha < 0.f)
        alpha += kTwoPi;
    float alpha2 = alpha - startAngle;
    auto wrap = [](float a) {
        if (a < 0.f)
            a += kTwoPi;
        if (a > kTwoPi)
            a -= kTwoPi;
        return a;
    };
    if (rangeAngle < 0.f) {
        alpha2 -= rangeAngle;
        const float alpha3 = wrap(alpha2);
        if (alpha3 > halfAngle - rangeAngle)
            return maxValue;
        if (alpha3 > -rangeAngle)
            return minValue;
        if (alpha2 > halfAngle - rangeAngle)
            alpha2 -= kTwoPi;
        else if (alpha2 < -halfAngle)
            alpha2 += kTwoPi;
        return maxValue + aCoef * alpha2;
    }
    const float alpha3 = wrap(alpha2);
    if (alpha3 > rangeAngle + halfAngle)
        return minValue;
    if (alpha3 > rangeAngle)
        return maxValue;
    if (alpha2 > rangeAngle + halfAngle)
        alpha2 -= kTwoPi;
    else if (alpha2 < -halfAngle)
        alpha2 += kTwoPi;
    return minValue + aCoef * alpha2;
}

void CKnob::setHandleShadowColor(const CColor& color)
{
    handleShadowColor = color;
    setDirty(true);
}

void CKnob::setHandleColor(const CColor& color)
{
    handleColor = color;
    setDirty(true);
}

void CKnob::setHandleBitmap(CBitmap* bitmap)
{
    if (handleBitmap != nullptr)
        handleBitmap->release();
    handleBitmap = bitmap;
    if (handleBitmap != nullptr) {
        handleBitmap->retain();
        inset = int32_t(float(handleBitmap->getWidth()) * 0.5f + 2.5f);
    }
}

void CKnob::draw(CDrawContext* context)
{
    if (background != nullptr) {
        if (transparency)
            background->drawTransparent(context, size, offset);
        else
            background->draw(context, size, offset);
    }
    drawHandle(context);
    setDirty(false);
}

void CKnob::drawHandle(CDrawContext* context)
{
    CPoint p;
    valueToPoint(p);
    if (handleBitmap != nullptr) {
        const int32_t w = handleBitmap->getWidth();
        const int32_t h = handleBitmap->getHeight();
        const int32_t x = size.left + p.h - w / 2;
        const int32_t y = size.top + p.v - h / 2;
        handleBitmap->drawTransparent(context, CRect(x, y, x + w, y + h), CPoint(0, 0));
        return;
    }
    CPoint origin(size.left + size.width() / 2 - 1, size.top + size.height() / 2);
    p.offset(size.left - 1, size.top);
    context->setFrameColor(handleShadowColor);
    context->moveTo(p);
    context->lineTo(origin);
    p.offset(1, -1);
    origin.offset(1, -1);
    context->setFrameColor(handleColor);
    context->moveTo(p);
    context->lineTo(origin);
}

void CKnob::mouse(CDrawContext* context, CPoint& where, int32_t buttons)
{
    if (!mouseEnabled)
        return;
    if (buttons == -1 && context != nullptr)
        buttons = context->getMouseButtons();
    if ((buttons & MouseLeft) == 0)
        return;
    if (modifierClickConsumed(context, buttons))
        return;
    if (checkDefaultValue(context, buttons))
        return;
    if (context == nullptr)
        return;

    float entry = value;
    float range = 200.f;
    float coef = (maxValue - minValue) / range;
    const float middle = (maxValue - minValue) * 0.5f;
    int32_t lastButtons = buttons;
    float old = oldValue;

    const int32_t knobMode = parentFrame != nullptr ? parentFrame->getKnobMode() : 0;
    const bool circular = knobMode == kLinearMode ? (buttons & ModAlt) != 0 : (buttons & ModAlt) == 0;

    CPoint firstPoint;
    if (circular) {
        CPoint local(where.h - size.left, where.v - size.top);
        old = valueFromPoint(local);
    } else {
        if (buttons & ModShift) {
            range *= zoomFactor;
            coef = (maxValue - minValue) / range;
        }
        firstPoint = where;
    }

    beginEdit();
    // Only a change is reported: a click that does not move the value tells the listener
    // nothing (the begin and end of the gesture still go out, for hosts that record touches).
    float reported = value;
    CPoint lastPoint(-1, -1);
    do {
        buttons = context->getMouseButtons();
        if (where != lastPoint) {
            lastPoint = where;
            if (!circular) {
                const int32_t diff = (where.h - firstPoint.h) + (firstPoint.v - where.v);
                if (buttons != lastButtons) {
                    range = 200.f;
                    if (buttons & ModShift)
                        range *= zoomFactor;
                    const float coef2 = (maxValue - minValue) / range;
                    entry += float(diff) * (coef - coef2);
                    coef = coef2;
                    lastButtons = buttons;
                }
                value = entry + float(diff) * coef;
                bounceValue();
            } else {
                CPoint local(where.h - size.left, where.v - size.top);
                value = valueFromPoint(local);
                // A jump by more than half the range means the pointer crossed the gap at the
                // bottom: stay at the end the drag came from until it comes back.
                if (value - old > middle)
                    value = minValue;
                else if (old - value > middle)
                    value = maxValue;
                else
                    old = value;
            }
            if (value != reported && isDirty() && listener != nullptr) {
                reported = value;
                listener->valueChanged(context, this);
            }
        }
        getMouseLocation(context, where);
        doIdleStuff();
    } while ((buttons & MouseLeft) && !trackingCancelled());
    endEdit();
}

bool CKnob::onWheel(CDrawContext* context, const CPoint& where, float distance)
{
    (void)where;
    if (!mouseEnabled)
        return false;
    const int32_t buttons = context != nullptr ? context->getMouseButtons() : 0;
    stepValue(context, distance, (buttons & ModShift) != 0);
    return true;
}

int32_t CKnob::onKeyDown(VstKeyCode& keyCode)
{
    float step;
    switch (keyCode.virt) {
    case VKEY_LEFT:
    case VKEY_DOWN:
        step = -1.f;
        break;
    case VKEY_UP:
    case VKEY_RIGHT:
        step = 1.f;
        break;
    default:
        return -1;
    }
    stepValue(nullptr, step, (keyCode.modifier & MODIFIER_SHIFT) != 0);
    return 1;
}

void CKnob::stepValue(CDrawContext* context, float notches, bool fine)
{
    if (stepCount >= 2) {
        // A fraction of a position would be snapped back by a stepped parameter, so every
        // gesture moves at least one whole position from the nearest one.
        if (!(notches == notches) || notches == 0.f)
            return;
        float moves = std::round(notches);
        if (moves == 0.f)
            moves = notches > 0.f ? 1.f : -1.f;
        const float last = float(stepCount - 1);
        const float range = maxValue - minValue;
        float position = range != 0.f ? std::round((value - minValue) / range * last) : 0.f;
        if (!(position == position))
            position = 0.f;
        position += moves;
        position = position < 0.f ? 0.f : (position > last ? last : position);
        value = minValue + range * (position / last);
    } else if (fine) {
        value += wheelIncrement * (notches * 0.1f);
    } else {
        value += wheelIncrement * notches;
    }
    bounceValue();
    if (isDirty() && listener != nullptr) {
        beginEdit();
        listener->valueChanged(context, this);
        endEdit();
    }
}

} // namespace VSTGUI
