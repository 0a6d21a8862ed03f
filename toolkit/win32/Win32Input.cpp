// Pointer, modifier and clock state from the system.
#include "../MouseButtons.h"
#include "../platform/PlatformInput.h"
#include "Win32System.h"

namespace VSTGUI {

namespace {

bool pressed(int key)
{
    return (GetAsyncKeyState(key) & 0x8000) != 0;
}

} // namespace

int32_t platformMouseButtons()
{
    int32_t buttons = 0;
    if (pressed(VK_LBUTTON))
        buttons |= win32::mouseButtonsSwapped ? MouseRight : MouseLeft;
    if (pressed(VK_MBUTTON))
        buttons |= MouseMiddle;
    if (pressed(VK_RBUTTON))
        buttons |= win32::mouseButtonsSwapped ? MouseLeft : MouseRight;
    if (pressed(VK_SHIFT))
        buttons |= ModShift;
    if (pressed(VK_CONTROL))
        buttons |= ModControl;
    if (pressed(VK_MENU))
        buttons |= ModAlt;
    return buttons;
}

CPoint platformCursorPosition()
{
    POINT p = {0, 0};
    GetCursorPos(&p);
    return CPoint(p.x, p.y);
}

uint32_t platformTicks()
{
    return GetTickCount();
}

} // namespace VSTGUI
