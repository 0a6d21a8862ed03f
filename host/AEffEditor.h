// The editor interface that the dispatcher's editor opcodes reach.
#pragma once

#include "VstInterface.h"

class AudioEffect;

class AEffEditor {
public:
    explicit AEffEditor(AudioEffect* effect) : effect(effect) {}
    virtual ~AEffEditor() {}

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
