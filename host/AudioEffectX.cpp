#include "AudioEffectX.h"

#include "AEffEditor.h"

#include <cmath>

AudioEffectX::AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : AudioEffect(audioMaster, numPrograms, numParams)
{
}

VstTimeInfo* AudioEffectX::getTimeInfo(VstInt32 filter)
{
    lastTimeInfo = reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter));
    return lastTimeInfo;
}

bool AudioEffectX::updateDisplay()
{
    return callHost(audioMasterUpdateDisplay) != 0;
}

VstInt32 AudioEffectX::canHostDo(char* text)
{
    if (text == nullptr)
        return 0;
    return static_cast<VstInt32>(callHost(audioMasterCanDo, 0, 0, text));
}

bool AudioEffectX::sizeWindow(VstInt32 width, VstInt32 height)
{
    return callHost(audioMasterSizeWindow, width, height) != 0;
}

namespace {

// The low byte of a host's float, truncated toward zero; values no integer can hold give 0.
unsigned char lowByteOf(float value)
{
    if (!(std::fabs(value) < 2147483648.0f))
        return 0;
    return static_cast<unsigned char>(static_cast<long long>(value) & 0xff);
}

} // namespace

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    switch (opcode) {
    case effCanBeAutomated:
        return canParameterBeAutomated(index) ? 1 : 0;
    case effGetNumProgramCategories:
        return 1;
    case effConnectInput:
    case effConnectOutput:
        return 1;
    case effGetPlugCategory:
        return getPlugCategory();
    case effSetBlockSizeAndSampleRate:
        blockSize = static_cast<VstInt32>(value);
        sampleRate = opt;
        return 1;
    case effGetEffectName:
        return ptr != nullptr && getEffectName(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetVendorString:
        return ptr != nullptr && getVendorString(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetProductString:
        return ptr != nullptr && getProductString(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetVendorVersion:
        return getVendorVersion();
    case effCanDo:
        return ptr != nullptr ? canDo(static_cast<char*>(ptr)) : -1;
    case effGetTailSize:
        return getGetTailSize();
    case effKeysRequired:
        return 1;
    case effGetVstVersion:
        return getVstVersion();
    case effEditKeyDown:
    case effEditKeyUp:
        if (editor != nullptr) {
            VstKeyCode key = {};
            key.character = index;
            key.virt = static_cast<unsigned char>(static_cast<uintptr_t>(value) & 0xff);
            key.modifier = lowByteOf(opt);
            bool handled = opcode == effEditKeyDown ? editor->onKeyDown(key) : editor->onKeyUp(key);
            return handled ? 1 : 0;
        }
        return 0;
    case effSetEditKnobMode:
        if (editor != nullptr) {
            editor->setKnobMode(static_cast<VstInt32>(value));
            return 1;
        }
        return 0;
    case effGetCurrentMidiProgram:
        return -1;
    case effGetSpeakerArrangement:
        if (value != 0)
            *reinterpret_cast<void**>(value) = nullptr;
        if (ptr != nullptr)
            *static_cast<void**>(ptr) = nullptr;
        return 0;
    case effSetTotalSampleToProcess:
        return value;
    default:
        if (opcode >= effProcessEvents && opcode <= effGetNumMidiOutputChannels)
            return 0;
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}
