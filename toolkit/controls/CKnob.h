// The rotary knob: a background with a handle (a line or a small bitmap) at the angle of the
// value. Dragged linearly or around its centre, turned with the wheel and the arrow keys.
#pragma once

#include "controls/CControl.h"

namespace VSTGUI {

class CKnob : public CControl {
public:
    CKnob(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background, CBitmap* handleBitmap,
          const CPoint& offset = CPoint());
    ~CKnob() override;

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where, int32_t buttons = -1) override;
    int32_t onKeyDown(VstKeyCode& keyCode) override;
    using CControl::onWheel;
    bool onWheel(CDrawContext* context, const CPoint& where, float distance) override;
    bool isTypeOf(const char* name) const override;

    virtual void drawHandle(CDrawContext* context);
    virtual void setStartAngle(float angle);
    virtual float getStartAngle() const { return startAngle; }
    virtual void setRangeAngle(float angle);
    virtual float getRangeAngle() const { return rangeAngle; }
    // The handle's end point for the current value, relative to the knob's top-left corner.
    virtual void valueToPoint(CPoint& point) const;
    // The value at a point relative to the knob's top-left corner.
    virtual float valueFromPoint(CPoint& point) const;
    virtual void setInsetValue(int32_t value) { inset = value; }
    virtual void setHandleShadowColor(const CColor& color);
    virtual void setHandleColor(const CColor& color);
    virtual void setHandleBitmap(CBitmap* bitmap);
    virtual void setZoomFactor(float factor) { zoomFactor = factor; }
    virtual float getZoomFactor() const { return zoomFactor; }
    // A knob with count positions evenly across its range (a selector): a wheel notch or an
    // arrow key moves exactly one position, with or without Shift. Below 2: continuous.
    void setStepCount(int32_t count) { stepCount = count; }
    int32_t getStepCount() const { return stepCount; }

protected:
    void compute();
    // Moves the value by one wheel or key gesture: notches of the wheel increment (a tenth with
    // fine), or whole positions on a stepped knob. Reports a change inside one edit.
    void stepValue(CDrawContext* context, float notches, bool fine);

    CPoint offset;
    CColor handleColor;
    CColor handleShadowColor;
    CBitmap* handleBitmap = nullptr;
    int32_t inset = 3;
    float startAngle = 0.f;
    float rangeAngle = 1.f;
    float halfAngle = 0.f;
    float aCoef = 0.f;
    float bCoef = 0.f;
    float radius;
    float zoomFactor = 1.5f;
    int32_t stepCount = 0;
};

} // namespace VSTGUI
