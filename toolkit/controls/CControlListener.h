// What a control tells its owner: a value changed by the user, or a click with a modifier
// held that the owner may want to take over.
#pragma once

#include <cstdint>

namespace VSTGUI {

class CControl;
class CDrawContext;

class CControlListener {
public:
    virtual ~CControlListener() {}

    // context is null for changes made with the keyboard.
    virtual void valueChanged(CDrawContext* context, CControl* control) = 0;
    // Non-zero: the listener consumed the click and the control does nothing more.
    virtual int32_t controlModifierClicked(CDrawContext* context, CControl* control, int32_t buttons)
    {
        (void)context;
        (void)control;
        (void)buttons;
        return 0;
    }
};

} // namespace VSTGUI
