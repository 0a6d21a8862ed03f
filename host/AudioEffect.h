// The generic VST 2.4 plug-in plumbing: the embedded AEffect record, the basic dispatcher
// (opcodes 0..24) and the host services every effect may call.
#pragma once

#include "VstInterface.h"

class AEffEditor;

class AudioEffect {
public:
    AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    virtual ~AudioEffect();

    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}

    virtual void setProgram(VstInt32 program);
    virtual VstInt32 getProgram() { return curProgram; }
    virtual void setProgramName(char* name) { (void)name; }
    virtual void getProgramName(char* name);

    virtual void setParameter(VstInt32 index, float value) { (void)index, (void)value; }
    virtual float getParameter(VstInt32 index)
    {
        (void)index;
        return 0.0f;
    }
    virtual void setParameterAutomated(VstInt32 index, float value);
    virtual void getParameterLabel(VstInt32 index, char* label) { (void)index, (void)label; }
    virtual void getParameterDisplay(VstInt32 index, char* text) { (void)index, (void)text; }
    virtual void getParameterName(VstInt32 index, char* text) { (void)index, (void)text; }

    virtual void setSampleRate(float rate) { sampleRate = rate; }
    virtual void setBlockSize(VstInt32 size) { blockSize = size; }

    // The deprecated accumulating call leaves the outputs as they are.
    virtual void process(float** inputs, float** outputs, VstInt32 sampleFrames)
    {
        (void)inputs, (void)outputs, (void)sampleFrames;
    }
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames)
    {
        (void)inputs, (void)outputs, (void)sampleFrames;
    }
    virtual void processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames)
    {
        (void)inputs, (void)outputs, (void)sampleFrames;
    }

    virtual VstInt32 getChunk(void** data, bool isPreset = false)
    {
        (void)data, (void)isPreset;
        return 0;
    }
    virtual VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset = false)
    {
        (void)data, (void)byteSize, (void)isPreset;
        return 0;
    }

    // Host services: each answers 0 without calling when there is no host callback.
    virtual VstInt32 getMasterVersion();
    virtual void masterIdle();
    virtual bool beginEdit(VstInt32 index);
    virtual bool endEdit(VstInt32 index);

    // Set-up of the effect record.
    void setUniqueID(VstInt32 id) { cEffect.uniqueID = id; }
    void setNumInputs(VstInt32 inputs) { cEffect.numInputs = inputs; }
    void setNumOutputs(VstInt32 outputs) { cEffect.numOutputs = outputs; }
    void setInitialDelay(VstInt32 delay) { cEffect.initialDelay = delay; }
    void canProcessReplacing(bool state = true) { setFlag(effFlagsCanReplacing, state); }
    void programsAreChunks(bool state = true) { setFlag(effFlagsProgramChunks, state); }
    void canMono(bool state = true) { setFlag(effFlagsCanMono, state); }
    // Attaching an editor sets effFlagsHasEditor; attaching null clears it.
    void setEditor(AEffEditor* newEditor)
    {
        editor = newEditor;
        setFlag(effFlagsHasEditor, newEditor != nullptr);
    }

    AEffect* getAeffect() { return &cEffect; }
    AEffEditor* getEditor() const { return editor; }
    float getSampleRate() const { return sampleRate; }
    VstInt32 getBlockSize() const { return blockSize; }
    audioMasterCallback getAudioMaster() const { return audioMaster; }

    // The record's entries, shared by every effect.
    static VstIntPtr VSTCALLBACK dispatchEffectClass(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                                     void* ptr, float opt);

protected:
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f);
    void setFlag(VstInt32 flag, bool state)
    {
        cEffect.flags = state ? (cEffect.flags | flag) : (cEffect.flags & ~flag);
    }

    audioMasterCallback audioMaster;
    AEffEditor* editor = nullptr;
    float sampleRate = 44100.0f;
    VstInt32 blockSize = 1024;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 curProgram = 0;
    AEffect cEffect;

private:
    static void VSTCALLBACK processClass(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames);
    static void VSTCALLBACK processReplacingClass(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames);
    static void VSTCALLBACK processDoubleReplacingClass(AEffect* e, double** inputs, double** outputs,
                                                        VstInt32 sampleFrames);
    static void VSTCALLBACK setParameterClass(AEffect* e, VstInt32 index, float value);
    static float VSTCALLBACK getParameterClass(AEffect* e, VstInt32 index);
};
