// A scripted pointer for the Linux layer: a sequence of pointer positions and button states
// that advances by one step each time the toolkit asks for the buttons, so a control's own
// mouse-tracking loop runs through the sequence exactly as it would follow a real mouse.
// Installed into InputState while the object lives.
#pragma once

#include "cairo/InputState.h"

#include <vector>

namespace VSTGUI {

struct InputStep {
    CPoint position; // screen coordinates (a window-less frame sits at the origin)
    int32_t buttons; // MouseLeft, ModShift, ...
};

class ScriptedInput {
public:
    // Every button query moves to the next step (the first query to step 0); after the last
    // step the last one is held.
    explicit ScriptedInput(std::vector<InputStep> steps);
    ~ScriptedInput();
    ScriptedInput(const ScriptedInput&) = delete;
    ScriptedInput& operator=(const ScriptedInput&) = delete;

    // Appends a straight move from `from` to `to` in `count` equal steps (the last one at `to`).
    static void addMove(std::vector<InputStep>& steps, CPoint from, CPoint to, int32_t count, int32_t buttons);

    int32_t queries() const { return nbQueries; }
    // True once the last step has been reached.
    bool finished() const { return nbQueries >= int32_t(steps.size()); }

private:
    std::vector<InputStep> steps;
    int32_t nbQueries = 0;
};

} // namespace VSTGUI
