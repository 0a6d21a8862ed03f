#include "controls/CKickButton.h"

#include "CBitmap.h"
#include "CDrawContext.h"

#include <cstring>

namespace VSTGUI {

CKickButton::CKickButton(const CRect& size, CControlListener* listener, int32_t tag, int32_t heightOfOneImage,
                         CBitmap* background, const CPoint& offset)
    : CControl(size, listener, tag, background), offset(offset), heightOfOneImage(heightOfOneImage)
{
}

CKickButton::~CKickButton() {}

bool CKickButton::isTypeOf(const char* name) const
{
    if (name != nullptr && std::strcmp(name, "CKickButton") == 0)
        return true;
    return CControl::isTypeOf(name);
}

void CKickButton::draw(CDrawContext* context)
{
    bounceValue();
    CPoint where = offset;
    if (value != 0.f)
        where.v += heightOfOneImage;
    if (background != nullptr) {
        if (transparency)
            background->drawTransparent(context, size, where);
        else
            background->draw(context, size, where);
    }
    setDirty(false);
}

void CKickButton::mouse(CDrawContext* context, CPoint& where, int32_t buttons)
{
    if (!mouseEnabled || context == nullptr)
        return;
    if (buttons == -1)
        buttons = context->getMouseButtons();
    if (modifierClickConsumed(context, buttons))
        return;
    if ((buttons & MouseLeft) == 0)
        return;

    const float entry = value;
    beginEdit();
    if (context->getMouseButtons() == MouseLeft) {
        do {
            if (size.pointInside(where))
                value = entry == 0.f ? 1.f : 0.f;
            else
                value = entry;
            if (isDirty() && listener != nullptr)
                listener->valueChanged(context, this);
            getMouseLocation(context, where);
            doIdleStuff();
        } while (!trackingCancelled() && context->getMouseButtons() == MouseLeft);
    } else {
        value = value == 0.f ? 1.f : 0.f;
        if (listener != nullptr)
            listener->valueChanged(context, this);
    }
    value = 0.f;
    if (listener != nullptr)
        listener->valueChanged(context, this);
    endEdit();
}

} // namespace VSTGUI
