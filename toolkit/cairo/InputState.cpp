#include "InputState.h"

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
