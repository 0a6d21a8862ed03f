// A level meter: the on-bitmap lit over the off-bitmap up to the level, quantised to nbLed
// steps; it jumps up at once and falls back by decreaseStep per redraw. Drawn off-screen and
// copied in one block.
#pragma once

#include "controls/CParamDisplay.h"

namespace VSTGUI {

class COffscreenContext;

class CVuMeter : public CControl {
public:
    // style: StyleHorizontal fills from the left, anything else from the bottom.
    CVuMeter(const CRect& size, CBitmap* onBitmap, CBitmap* offBitmap, int32_t nbLed, int32_t style = StyleVertical);
    ~CVuMeter() override;

    void draw(CDrawContext* context) override;
    // The plain view flag: the shown level (kept as the old value) is not touched.
    void setDirty(bool flag = true) override { CView::setDirty(flag); }
    bool removed(CView* parent) override;
    bool attached(CView* parent) override;
    bool isTypeOf(const char* name) const override;

    virtual void setDecreaseStep(float step) { decreaseStep = step; }
    float getDecreaseStep() const { return decreaseStep; }
    void setUseOffscreen(bool flag) { useOffscreen = flag; }
    // Where the last draw lit the on-bitmap and showed the off-bitmap.
    const CRect& getRectOn() const { return rectOn; }
    const CRect& getRectOff() const { return rectOff; }

protected:
    void deleteOffscreen();

    CBitmap* onBitmap;
    CBitmap* offBitmap;
    COffscreenContext* offscreen = nullptr;
    int32_t nbLed;
    int32_t style;
    float decreaseStep = 0.1f;
    bool useOffscreen = true;
    CRect rectOn;
    CRect rectOff;
};

} // namespace VSTGUI
