// An option menu that draws only its background bitmap (no text, no frame): an invisible
// click area over a button painted in the picture behind it when it has no bitmap.
#pragma once

#include "controls/COptionMenu.h"

namespace VSTGUI {

class CButtonMenu : public COptionMenu {
public:
    CButtonMenu(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background = nullptr,
                CBitmap* pressedBackground = nullptr, int32_t style = 0);

    void draw(CDrawContext* context) override;
};

} // namespace VSTGUI
