#include "controls/CControl.h"

#include "CFrame.h"

#include <cstring>

namespace VSTGUI {

CControl::CControl(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background)
    : CView(size), listener(listener), tag(tag)
{
    transparency = false;
    mouseEnabled = true;
    setBackground(background);
}

CControl::~CControl() {}

bool CControl::isDirty() const
{
    return oldValue != value || CView::isDirty();
}

void CControl::setDirty(bool flag)
{
    CView::setDirty(flag);
    if (flag)
        oldValue = value != -1.f ? -1.f : 0.f;
    else
        oldValue = value;
}

bool CControl::isTypeOf(const char* name) const
{
    if (name != nullptr && std::strcmp(name, "CControl") == 0)
        return true;
    return CView::isTypeOf(name);
}

void CControl::doIdleStuff()
{
    if (parentFrame != nullptr)
        parentFrame->doIdleStuff();
}

bool CControl::trackingCancelled() const
{
    return parentFrame != nullptr && parentFrame->isClosing();
}

void CControl::beginEdit()
{
    if (parentFrame != nullptr) {
        parentFrame->setFocusView(this);
        parentFrame->beginEdit(tag);
    }
}

void CControl::endEdit()
{
    if (parentFrame != nullptr)
        parentFrame->endEdit(tag);
}

void CControl::copyBackOffset()
{
    backOffset = size.topLeft();
}

void CControl::bounceValue()
{
    if (value > maxValue)
        value = maxValue;
    else if (value < minValue)
        value = minValue;
}

bool CControl::checkDefaultValue(CDrawContext* context, int32_t buttons)
{
    if (buttons != (MouseLeft | ModControl))
        return false;
    beginEdit();
    value = getDefaultValue();
    if (isDirty() && listener != nullptr)
        listener->valueChanged(context, this);
    endEdit();
    return true;
}

bool CControl::modifierClickConsumed(CDrawContext* context, int32_t buttons)
{
    if (listener == nullptr || (buttons & ModAnyModifier) == 0)
        return false;
    return listener->controlModifierClicked(context, this, buttons) != 0;
}

} // namespace VSTGUI
