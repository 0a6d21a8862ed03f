// The editor interface that the dispatcher's editor opcodes reach.
#pragma once

#include "AudioEffect.h"
#include "VstInterface.h"

#include <cstdint>

class AEffEditor {
public:
    // Attaches itself to the effect (which then owns and deletes it).
    explicit AEffEditor(AudioEffect* effect) : effect(effect)
    {
        if (effect != nullptr)
            effect->setEditor(this);
    }
    // An editor deleted before its effect detaches itself, so the effect never keeps a
    // pointer to a deleted editor.
    virtual ~AEffEditor()
    {
        if (effect != nullptr && effect->getEditor() == this)
            effect->setEditor(nullptr);
    }

    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    virtual AudioEffect* getEffect() { return effect; }
    virtual bool getRect(ERect** rect)
    {
        (void)rect;
        return false;
    }
    virtual bool open(void* window)
    {
        parentWindow = window;
        return false;
    }
    virtual void close() { parentWindow = nullptr; }
    virtual bool isOpen() { return parentWindow != nullptr; }
    virtual void idle() {}
    virtual bool onKeyDown(VstKeyCode& keyCode)
    {
        (void)keyCode;
        return false;
    }
    virtual bool onKeyUp(VstKeyCode& keyCode)
    {
        (void)keyCode;
        return false;
    }
    virtual bool onWheel(float distance)
    {
        (void)distance;
        return false;
    }
    virtual bool setKnobMode(VstInt32 mode)
    {
        (void)mode;
        return false;
    }

    // Nested loops (a control following the mouse, a pop-up menu, a dialog, a message box)
    // and the window events that start them run with the host's idle inside, and a host may
    // close the window or the whole effect from there. Whatever such a close would free waits
    // until the outermost of them has unwound: each is bracketed by enter/leave (a
    // NestedLoopScope), and the outermost leave performs the pending work. It may delete the
    // effect, and this editor with it: the caller touches neither afterwards.
    void enterNestedLoop() { ++nestedLoopDepth; }
    void leaveNestedLoop()
    {
        if (nestedLoopDepth > 0 && --nestedLoopDepth > 0)
            return;
        nestedLoopsUnwound();
        if (effectDeletionPending) {
            effectDeletionPending = false;
            AudioEffect* closing = effect;
            delete closing; // deletes this editor too
        }
    }
    bool inNestedLoop() const { return nestedLoopDepth > 0; }
    // The host closed the effect inside a nested loop: it is deleted when the loops have left.
    void deferEffectDeletion() { effectDeletionPending = true; }

protected:
    // The outermost nested loop has left: free what a close inside it set aside.
    virtual void nestedLoopsUnwound() {}

    AudioEffect* effect;
    void* parentWindow = nullptr;

private:
    int32_t nestedLoopDepth = 0;
    bool effectDeletionPending = false;
};

// Brackets a nested loop or a window event that may run one (see AEffEditor).
class NestedLoopScope {
public:
    explicit NestedLoopScope(AEffEditor* editor) : editor(editor)
    {
        if (editor != nullptr)
            editor->enterNestedLoop();
    }
    ~NestedLoopScope()
    {
        if (editor != nullptr)
            editor->leaveNestedLoop();
    }
    NestedLoopScope(const NestedLoopScope&) = delete;
    NestedLoopScope& operator=(const NestedLoopScope&) = delete;

private:
    AEffEditor* editor;
};
