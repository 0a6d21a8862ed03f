#include "ScriptedInput.h"

#include <utility>

namespace VSTGUI {

ScriptedInput::ScriptedInput(std::vector<InputStep> sequence) : steps(std::move(sequence))
{
    InputState& state = InputState::current();
    if (!steps.empty()) {
        state.position = steps.front().position;
        state.buttons = steps.front().buttons;
    }
    state.onButtonsQuery = [this](InputState& s) {
        if (steps.empty())
            return;
        const size_t i = size_t(nbQueries) < steps.size() ? size_t(nbQueries) : steps.size() - 1;
        s.position = steps[i].position;
        s.buttons = steps[i].buttons;
        nbQueries++;
    };
}

ScriptedInput::~ScriptedInput()
{
    InputState::current().onButtonsQuery = nullptr;
}

void ScriptedInput::addMove(std::vector<InputStep>& steps, CPoint from, CPoint to, int32_t count, int32_t buttons)
{
    if (count < 1)
        count = 1;
    for (int32_t i = 1; i <= count; ++i) {
        const int32_t h = from.h + (to.h - from.h) * i / count;
        const int32_t v = from.v + (to.v - from.v) * i / count;
        steps.push_back(InputStep{CPoint(h, v), buttons});
    }
}

} // namespace VSTGUI
