#include "InputState.h"

#include "MouseButtons.h"
#include "platform/PlatformInput.h"

#include <chrono>

namespace VSTGUI {

void (*InputState::liveUpdate)(InputState&) = nullptr;

InputState& InputState::current()
{
    static InputState state;
    return state;
}

void InputState::reset()
{
    position = CPoint();
    buttons = 0;
    manualTicks = false;
    ticks = 0;
    onButtonsQuery = nullptr;
}

int32_t buttonsOfPointerPress(uint32_t button, uint32_t state)
{
    // X11's ShiftMask, ControlMask, Mod1Mask (Alt) and Button1Mask..Button3Mask.
    constexpr uint32_t kShift = 1u << 0, kControl = 1u << 2, kAlt = 1u << 3;
    constexpr uint32_t kButton1 = 1u << 8, kButton2 = 1u << 9, kButton3 = 1u << 10;
    if (button < 1 || button > 3)
        return 0;
    int32_t buttons = 0;
    if (button == 1 || (state & kButton1) != 0)
        buttons |= MouseLeft;
    if (button == 2 || (state & kButton2) != 0)
        buttons |= MouseMiddle;
    if (button == 3 || (state & kButton3) != 0)
        buttons |= MouseRight;
    if ((state & kShift) != 0)
        buttons |= ModShift;
    if ((state & kControl) != 0)
        buttons |= ModControl;
    if ((state & kAlt) != 0)
        buttons |= ModAlt;
    return buttons;
}

int32_t platformMouseButtons()
{
    InputState& state = InputState::current();
    if (InputState::liveUpdate != nullptr)
        InputState::liveUpdate(state);
    if (state.onButtonsQuery)
        state.onButtonsQuery(state);
    return state.buttons;
}

CPoint platformCursorPosition()
{
    return InputState::current().position;
}

uint32_t platformTicks()
{
    const InputState& state = InputState::current();
    if (state.manualTicks)
        return state.ticks;
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

int32_t platformDragItemCount(void* platformDrag)
{
    return platformDrag != nullptr ? static_cast<CairoDragData*>(platformDrag)->itemCount : 0;
}

} // namespace VSTGUI
