// An indicator that shows one frame of a vertical film strip, the nearest to value x (frames - 1).
#pragma once

#include "controls/CControl.h"

namespace VSTGUI {

class CMovieBitmap : public CControl {
public:
    CMovieBitmap(const CRect& size, CControlListener* listener, int32_t tag, int32_t subPixmaps,
                 int32_t heightOfOneImage, CBitmap* background, const CPoint& offset = CPoint());
    ~CMovieBitmap() override;

    void draw(CDrawContext* context) override;
    bool isTypeOf(const char* name) const override;

    // The frame the value selects (values above 1 count as 1, values up to 0 as frame 0).
    int32_t frameIndex() const;

protected:
    CPoint offset;
    int32_t subPixmaps;
    int32_t heightOfOneImage;
};

} // namespace VSTGUI
