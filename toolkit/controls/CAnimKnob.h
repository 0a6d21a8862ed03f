// A knob drawn from a vertical film strip: one frame per step, value 0 at the top.
#pragma once

#include "controls/CKnob.h"

namespace VSTGUI {

class CAnimKnob : public CKnob {
public:
    CAnimKnob(const CRect& size, CControlListener* listener, int32_t tag, int32_t subPixmaps, int32_t heightOfOneImage,
              CBitmap* background, const CPoint& offset = CPoint());
    ~CAnimKnob() override;

    void draw(CDrawContext* context) override;
    // Clean while the virtual handle point has not moved by a pixel since the last draw.
    bool isDirty() const override;
    bool isTypeOf(const char* name) const override;

    int32_t getSubPixmaps() const { return subPixmaps; }
    int32_t getHeightOfOneImage() const { return heightOfOneImage; }
    // The top row of the frame the value selects, in strip pixels.
    int32_t frameTop() const;

protected:
    int32_t subPixmaps;
    int32_t heightOfOneImage;
    bool reserved = false;
    CPoint lastDrawnPoint;
};

} // namespace VSTGUI
