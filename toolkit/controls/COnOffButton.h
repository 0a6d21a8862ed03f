// A two-state button: a click toggles between 0 and 1. The bitmap holds the off image above
// the on image, each half its height.
#pragma once

#include "controls/CControl.h"

namespace VSTGUI {

class COnOffButton : public CControl {
public:
    enum : int32_t { kPostListenerUpdate = 0, kPreListenerUpdate = 1 };

    // listenerTiming: kPostListenerUpdate tells the listener after the idle step,
    // kPreListenerUpdate before it.
    COnOffButton(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
                 int32_t listenerTiming = kPostListenerUpdate);
    ~COnOffButton() override;

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where, int32_t buttons = -1) override;
    bool isTypeOf(const char* name) const override;

    virtual int32_t getListenerTiming() const { return listenerTiming; }
    virtual void setListenerTiming(int32_t timing) { listenerTiming = timing; }

protected:
    void notifyListener(CDrawContext* context);

    int32_t listenerTiming;
};

} // namespace VSTGUI
