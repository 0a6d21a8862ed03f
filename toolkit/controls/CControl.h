// The base of every interactive element: a view with a floating-point value, a range, a
// default, a tag and a listener, plus the dirty protocol (a control is dirty while the value
// differs from the value it last drew).
#pragma once

#include "CView.h"
#include "controls/CControlListener.h"

namespace VSTGUI {

class CControl : public CView {
public:
    CControl(const CRect& size, CControlListener* listener = nullptr, int32_t tag = 0, CBitmap* background = nullptr);
    ~CControl() override;

    bool isDirty() const override;
    void setDirty(bool flag = true) override;
    bool isTypeOf(const char* name) const override;

    virtual void doIdleStuff();
    // Stores the value as given: no clamping, no notification.
    virtual void setValue(float value) { this->value = value; }
    virtual float getValue() const { return value; }
    virtual void setMin(float value) { minValue = value; }
    virtual float getMin() const { return minValue; }
    virtual void setMax(float value) { maxValue = value; }
    virtual float getMax() const { return maxValue; }
    virtual void setOldValue(float value) { oldValue = value; }
    virtual float getOldValue() const { return oldValue; }
    virtual void setDefaultValue(float value) { defaultValue = value; }
    virtual float getDefaultValue() const { return defaultValue; }
    virtual void setTag(int32_t tag) { this->tag = tag; }
    virtual int32_t getTag() const { return tag; }
    // Start and end of one user gesture: the frame focuses the control and tells the host.
    virtual void beginEdit();
    virtual void endEdit();
    virtual void setBackOffset(const CPoint& offset) { backOffset = offset; }
    virtual void copyBackOffset();
    virtual void setWheelIncrement(float increment) { wheelIncrement = increment; }
    virtual float getWheelIncrement() const { return wheelIncrement; }
    // Clamps the value into [min, max].
    virtual void bounceValue();
    // Control+left click (exactly): back to the default value, reported to the listener.
    virtual bool checkDefaultValue(CDrawContext* context, int32_t buttons);

    CControlListener* getListener() const { return listener; }
    void setListener(CControlListener* l) { listener = l; }
    const CPoint& getBackOffset() const { return backOffset; }

protected:
    // A click with a modifier held is offered to the listener first; true when it took it.
    bool modifierClickConsumed(CDrawContext* context, int32_t buttons);
    // True once the window was closed under a mouse-tracking loop: the loop leaves.
    bool trackingCancelled() const;

    CControlListener* listener;
    int32_t tag;
    float oldValue = 1.f;
    float defaultValue = 0.5f;
    float value = 0.f;
    float minValue = 0.f;
    float maxValue = 1.f;
    float wheelIncrement = 0.1f;
    CPoint backOffset;
};

} // namespace VSTGUI
