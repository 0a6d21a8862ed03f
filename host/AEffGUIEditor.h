// The editor base of a plug-in window built on the toolkit: owns the frame pointer, the
// editor rectangle, forwards keys and the wheel, keeps the process-wide knob mode and paces
// the idle work that runs while a control tracks the mouse.
#pragma once

#include "AEffEditor.h"
#include "EditorFrame.h"

#include <cstdint>
#include <vector>

// The last knob mode any editor was given (0 circular, 1 relative circular, 2 linear);
// shared by every editor in the process and read by the knobs.
extern VstInt32 globalKnobMode;

class AEffGUIEditor : public AEffEditor {
public:
    explicit AEffGUIEditor(AudioEffect* effect);
    ~AEffGUIEditor() override;

    bool getRect(ERect** rect) override;
    void idle() override;
    bool onKeyDown(VstKeyCode& keyCode) override;
    bool onKeyUp(VstKeyCode& keyCode) override;
    bool onWheel(float distance) override;
    bool setKnobMode(VstInt32 mode) override;

    virtual void setParameter(VstInt32 index, float value)
    {
        (void)index;
        (void)value;
    }
    virtual bool beginEdit(VstInt32 index);
    virtual bool endEdit(VstInt32 index);
    // Called again and again from mouse-tracking loops: runs idle and the host's idle at most
    // about every 50 ms of tracking time; earlier calls sleep 4 ms and return.
    virtual void idleDuringTracking();
    // Brings the views up to date with what the effect reported since the last idle; the frame
    // calls it before a click, key or wheel turn reaches a control, so that the control starts
    // from the effect's value and a report applied later cannot undo the user's change.
    virtual void applyPendingChanges() {}

    EditorFrame* getFrame() const { return frame; }
    bool isIdleInProgress() const { return idleInProgress; }

protected:
    // Deletes a frame the derived editor closed, or, inside a nested loop, keeps it until the
    // loops have unwound (the loop still runs on its views).
    void retireFrame(EditorFrame* closing);
    void nestedLoopsUnwound() override;

    ERect editorRect = {};
    uint32_t lastIdleTicks;
    bool idleInProgress = false;
    EditorFrame* frame = nullptr;

private:
    bool dragAndDropInitialized = false;
    std::vector<EditorFrame*> retiredFrames;
};
