#include "controls/COnOffButton.h"

#include "CBitmap.h"
#include "CDrawContext.h"

#include <cmath>
#include <cstring>

namespace VSTGUI {

COnOffButton::COnOffButton(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
                           int32_t listenerTiming)
    : CControl(size, listener, tag, background), listenerTiming(listenerTiming)
{
}

COnOffButton::~COnOffButton() {}

bool COnOffButton::isTypeOf(const char* name) const
{
    if (name != nullptr && std::strcmp(name, "COnOffButton") == 0)
        return true;
    return CControl::isTypeOf(name);
}

void COnOffButton::draw(CDrawContext* context)
{
    if (background != nullptr) {
        const CPoint where(0, value != 0.f ? background->getHeight() / 2 : 0);
        if (transparency)
            background->drawTransparent(context, size, where);
        else
            background->draw(context, size, where);
    }
    setDirty(false);
}

void COnOffButton::notifyListener(CDrawContext* context)
{
    if (listener == nullptr)
        return;
    beginEdit();
    listener->valueChanged(context, this);
    endEdit();
}

void COnOffButton::mouse(CDrawContext* context, CPoint& where, int32_t buttons)
{
    (void)where;
    if (!mouseEnabled)
        return;
    if (buttons == -1 && context != nullptr)
        buttons = context->getMouseButtons();
    if ((buttons & MouseLeft) == 0)
        return;
    if (modifierClickConsumed(context, buttons))
        return;
    // On means an integer part other than 0, as the stepped parameter it edits reads it.
    value = std::fabs(value) >= 1.f ? 0.f : 1.f;
    if (listenerTiming == kPreListenerUpdate)
        notifyListener(context);
    doIdleStuff();
    if (listenerTiming == kPostListenerUpdate)
        notifyListener(context);
}

} // namespace VSTGUI
