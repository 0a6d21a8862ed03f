#include "controls/CButtonMenu.h"

#include "CBitmap.h"

namespace VSTGUI {

CButtonMenu::CButtonMenu(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
                         CBitmap* pressedBackground, int32_t style)
    : COptionMenu(size, listener, tag, background, pressedBackground, style)
{
}

void CButtonMenu::draw(CDrawContext* context)
{
    if (background != nullptr) {
        if (transparency)
            background->drawTransparent(context, size, backOffset);
        else
            background->draw(context, size, backOffset);
    }
    setDirty(false);
}

} // namespace VSTGUI
