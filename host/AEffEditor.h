// The editor interface that the dispatcher's editor opcodes reach.
#pragma once

#include "AudioEffect.h"
#include "VstInterface.h"

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

protected:
    AudioEffect* effect;
    void* parentWindow = nullptr;
};
