// A momentary button: 1 while pressed with the pointer inside, 0 again on release. The bitmap
// holds the released image at the offset and the pressed image one image height lower.
#pragma once

#include "controls/CControl.h"

namespace VSTGUI {

class CKickButton : public CControl {
public:
    CKickButton(const CRect& size, CControlListener* listener, int32_t tag, int32_t heightOfOneImage,
                CBitmap* background, const CPoint& offset = CPoint());
    ~CKickButton() override;

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where, int32_t buttons = -1) override;
    bool isTypeOf(const char* name) const override;

protected:
    CPoint offset;
    int32_t heightOfOneImage;
};

} // namespace VSTGUI
