#include "AudioEffect.h"

#include "AEffEditor.h"
#include "TextCopy.h"

#include <cstring>

AudioEffect::AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : audioMaster(audioMaster), numPrograms(numPrograms), numParams(numParams)
{
    std::memset(&cEffect, 0, sizeof(cEffect));
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEffectClass;
    cEffect.process = processClass;
    cEffect.setParameter = setParameterClass;
    cEffect.getParameter = getParameterClass;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.version = 1;
    cEffect.processReplacing = processReplacingClass;
    cEffect.processDoubleReplacing = processDoubleReplacingClass;
}

AudioEffect::~AudioEffect()
{
    delete editor;
    editor = nullptr;
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    if (audioMaster == nullptr)
        return 0;
    return audioMaster(&cEffect, opcode, index, value, ptr, opt);
}

VstInt32 AudioEffect::getMasterVersion()
{
    return static_cast<VstInt32>(callHost(audioMasterVersion));
}

void AudioEffect::masterIdle()
{
    callHost(audioMasterIdle);
}

// Only parameters are edited as far as the host knows: the editor's menus and arrows carry
// tags beyond them, for which a host would record a lane of a parameter that does not exist.
bool AudioEffect::beginEdit(VstInt32 index)
{
    if (index < 0 || index >= numParams)
        return false;
    return callHost(audioMasterBeginEdit, index) != 0;
}

bool AudioEffect::endEdit(VstInt32 index)
{
    if (index < 0 || index >= numParams)
        return false;
    return callHost(audioMasterEndEdit, index) != 0;
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value)
{
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::setProgram(VstInt32 program)
{
    // Only the programs the effect declares exist; anything else is ignored.
    if (program >= 0 && program < numPrograms)
        curProgram = program;
}

void AudioEffect::getProgramName(char* name)
{
    copyText(name, "", kVstMaxProgNameLen);
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    switch (opcode) {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        return 1;
    case effSetProgram:
        setProgram(static_cast<VstInt32>(value));
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        if (ptr != nullptr)
            setProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetProgramName:
        if (ptr != nullptr)
            getProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetParamLabel:
        if (ptr != nullptr)
            getParameterLabel(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamDisplay:
        if (ptr != nullptr)
            getParameterDisplay(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamName:
        if (ptr != nullptr)
            getParameterName(index, static_cast<char*>(ptr));
        return 0;
    case effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(static_cast<VstInt32>(value));
        return 0;
    case effMainsChanged:
        if (value == 0)
            suspend();
        else
            resume();
        return 0;
    case effEditGetRect:
        if (editor != nullptr && ptr != nullptr)
            return editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
        return 0;
    case effEditOpen:
        if (editor != nullptr)
            return editor->open(ptr) ? 1 : 0;
        return 0;
    case effEditClose:
        if (editor != nullptr)
            editor->close();
        return 0;
    case effEditIdle:
        if (editor != nullptr) {
            // The window's events may be handled inside the idle (a click that opens a menu or a
            // dialog), and the host may close the window or the effect from there: what that
            // frees waits until the idle is done with it. This may delete the effect.
            NestedLoopScope scope(editor);
            editor->idle();
        }
        return 0;
    case effIdentify:
        return kEffectIdentify;
    case effGetChunk:
        if (ptr == nullptr)
            return 0;
        return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
        // The effect judges the size; a size beyond 32 bits is as wrong as any other.
        return setChunk(ptr, value < 0 ? -1 : (value > 0x7fffffff ? 0x7fffffff : static_cast<VstInt32>(value)),
                        index != 0);
    default:
        return 0;
    }
}

VstIntPtr VSTCALLBACK AudioEffect::dispatchEffectClass(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                                       void* ptr, float opt)
{
    if (e == nullptr || e->object == nullptr)
        return 0;
    AudioEffect* effect = static_cast<AudioEffect*>(e->object);
    if (opcode == effClose) {
        effect->dispatcher(opcode, index, value, ptr, opt);
        e->object = nullptr;
        AEffEditor* editor = effect->getEditor();
        if (editor != nullptr && editor->inNestedLoop()) {
            // Closed from the host's idle inside a menu, drag or dialog of the editor: the window
            // goes now, the objects when the loops have unwound; the host hears nothing more.
            // Loops suspended between the host's calls unwind inside the close itself.
            effect->audioMaster = nullptr;
            editor->close();
            if (editor->inNestedLoop()) {
                editor->deferEffectDeletion();
                return 1;
            }
        }
        delete effect;
        return 1;
    }
    return effect->dispatcher(opcode, index, value, ptr, opt);
}

void VSTCALLBACK AudioEffect::processClass(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames)
{
    if (e != nullptr && e->object != nullptr)
        static_cast<AudioEffect*>(e->object)->process(inputs, outputs, sampleFrames);
}

void VSTCALLBACK AudioEffect::processReplacingClass(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames)
{
    if (e != nullptr && e->object != nullptr)
        static_cast<AudioEffect*>(e->object)->processReplacing(inputs, outputs, sampleFrames);
}

void VSTCALLBACK AudioEffect::processDoubleReplacingClass(AEffect* e, double** inputs, double** outputs,
                                                          VstInt32 sampleFrames)
{
    if (e != nullptr && e->object != nullptr)
        static_cast<AudioEffect*>(e->object)->processDoubleReplacing(inputs, outputs, sampleFrames);
}

void VSTCALLBACK AudioEffect::setParameterClass(AEffect* e, VstInt32 index, float value)
{
    if (e != nullptr && e->object != nullptr)
        static_cast<AudioEffect*>(e->object)->setParameter(index, value);
}

float VSTCALLBACK AudioEffect::getParameterClass(AEffect* e, VstInt32 index)
{
    if (e != nullptr && e->object != nullptr)
        return static_cast<AudioEffect*>(e->object)->getParameter(index);
    return 0.0f;
}
