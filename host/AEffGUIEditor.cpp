#include "AEffGUIEditor.h"

#include "Platform.h"

VstInt32 globalKnobMode = 0;

namespace {

// Ticks are compared through their signed distance, so the schedule survives the counter's
// wrap-around after about 49.7 days.
int32_t ticksUntil(uint32_t target, uint32_t now)
{
    return static_cast<int32_t>(target - now);
}

constexpr uint32_t kTrackingSleepMs = 4;
constexpr int32_t kRunAheadMs = 50;
constexpr uint32_t kIdleIntervalMs = 100;

} // namespace

AEffGUIEditor::AEffGUIEditor(AudioEffect* effect) : AEffEditor(effect), lastIdleTicks(platform::clock().tickCount())
{
    dragAndDropInitialized = platform::initializeDragAndDrop();
}

AEffGUIEditor::~AEffGUIEditor()
{
    nestedLoopsUnwound();
    if (dragAndDropInitialized)
        platform::uninitializeDragAndDrop();
}

bool AEffGUIEditor::getRect(ERect** rect)
{
    if (rect == nullptr)
        return false;
    *rect = &editorRect;
    return true;
}

void AEffGUIEditor::idle()
{
    if (idleInProgress)
        return;
    if (frame != nullptr)
        frame->idle();
}

// Keys and the wheel reach controls whose listener calls the host, which may close the window
// from there: the frame stays until they return.
bool AEffGUIEditor::onKeyDown(VstKeyCode& keyCode)
{
    NestedLoopScope scope(this);
    return frame != nullptr && frame->onKeyDown(keyCode) == 1;
}

bool AEffGUIEditor::onKeyUp(VstKeyCode& keyCode)
{
    NestedLoopScope scope(this);
    return frame != nullptr && frame->onKeyUp(keyCode) == 1;
}

bool AEffGUIEditor::onWheel(float distance)
{
    NestedLoopScope scope(this);
    return frame != nullptr && frame->onWheelAtMousePosition(parentWindow, distance);
}

void AEffGUIEditor::retireFrame(EditorFrame* closing)
{
    if (closing == nullptr)
        return;
    // What waits in the frame between the host's calls (a drag, a menu, a dialog suspended
    // until the next idle) ends here; loops running below this call end when they return.
    closing->retire();
    if (!inNestedLoop()) {
        delete closing;
        return;
    }
    retiredFrames.push_back(closing);
}

void AEffGUIEditor::nestedLoopsUnwound()
{
    std::vector<EditorFrame*> closing;
    closing.swap(retiredFrames);
    for (EditorFrame* f : closing)
        delete f;
}

bool AEffGUIEditor::setKnobMode(VstInt32 mode)
{
    globalKnobMode = mode;
    return true;
}

bool AEffGUIEditor::beginEdit(VstInt32 index)
{
    return effect != nullptr && effect->beginEdit(index);
}

bool AEffGUIEditor::endEdit(VstInt32 index)
{
    return effect != nullptr && effect->endEdit(index);
}

void AEffGUIEditor::idleDuringTracking()
{
    platform::Clock& clock = platform::clock();
    uint32_t now = clock.tickCount();
    // A run is never scheduled more than one interval ahead; a schedule further away is
    // stale (the counter wrapped, or weeks passed without tracking) and does not hold.
    int32_t early = ticksUntil(lastIdleTicks, now);
    if (early > 0 && early <= static_cast<int32_t>(kIdleIntervalMs)) {
        clock.sleepMilliseconds(kTrackingSleepMs);
        now += kTrackingSleepMs;
        if (ticksUntil(lastIdleTicks, now) > kRunAheadMs)
            return;
    }

    idle();
    platform::dispatchPendingPaint();
    lastIdleTicks = now + kIdleIntervalMs;

    // A host that re-enters the tracking idle from its own idle leaves the flag set for the
    // outer call.
    bool wasInProgress = idleInProgress;
    idleInProgress = true;
    if (effect != nullptr)
        effect->masterIdle();
    idleInProgress = wasInProgress;
}
