// The VST 2.x extensions of the plug-in base: the extended dispatcher (opcodes 25..79),
// identity queries, canDo and time information.
#pragma once

#include "AudioEffect.h"

class AudioEffectX : public AudioEffect {
public:
    AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);

    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

    virtual bool getEffectName(char* name)
    {
        (void)name;
        return false;
    }
    virtual bool getVendorString(char* text)
    {
        (void)text;
        return false;
    }
    virtual bool getProductString(char* text)
    {
        (void)text;
        return false;
    }
    virtual VstInt32 getVendorVersion() { return 0; }
    virtual VstInt32 canDo(char* text)
    {
        (void)text;
        return 0;
    }
    virtual VstInt32 getGetTailSize() { return 0; }
    virtual VstInt32 getPlugCategory() { return kPlugCategUnknown; }
    virtual VstInt32 getVstVersion() { return 2400; }
    virtual bool canParameterBeAutomated(VstInt32 index)
    {
        (void)index;
        return true;
    }

    // Host services.
    virtual VstTimeInfo* getTimeInfo(VstInt32 filter);
    virtual bool updateDisplay();
    // Non-zero when the host says it can do text (audioMasterCanDo).
    virtual VstInt32 canHostDo(char* text);
    // Asks the host to resize the plug-in window; true when it did.
    virtual bool sizeWindow(VstInt32 width, VstInt32 height);

    void isSynth(bool state = true) { setFlag(effFlagsIsSynth, state); }

protected:
    VstTimeInfo* lastTimeInfo = nullptr;
};
