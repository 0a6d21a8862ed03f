// Minimal stand-in plug-ins for testing the host library itself, one per FAKE_KIND:
//   1  no entry point at all
//   2  an entry point whose record has the wrong magic number
//   3  mono: 1 input, 1 output, halves the signal; asks the host for its version and time
//      and reports automation during construction, before its record is returned
//   4  generator: no inputs, 2 outputs, writes +0.25 and -0.25
#include "VstInterface.h"

#include <cstring>

#if defined(_WIN32)
#define FAKE_EXPORT extern "C" __declspec(dllexport)
#else
#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

#if FAKE_KIND != 1

namespace {

VstIntPtr VSTCALLBACK fakeDispatcher(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float)
{
    if (opcode == effGetEffectName && ptr != nullptr) {
        std::strcpy(static_cast<char*>(ptr), "Fake");
        return 1;
    }
    if (opcode == effClose) {
        delete effect;
        return 1;
    }
    return 0;
}

void VSTCALLBACK fakeProcess(AEffect* effect, float** inputs, float** outputs, VstInt32 frames)
{
    if (effect->numInputs == 1) {
        for (VstInt32 i = 0; i < frames; ++i)
            outputs[0][i] = 0.5f * inputs[0][i];
    } else {
        for (VstInt32 i = 0; i < frames; ++i) {
            outputs[0][i] = 0.25f;
            outputs[1][i] = -0.25f;
        }
    }
}

void VSTCALLBACK fakeSetParameter(AEffect*, VstInt32, float) {}
float VSTCALLBACK fakeGetParameter(AEffect*, VstInt32)
{
    return 0.0f;
}

} // namespace

FAKE_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback host)
{
    // A record with a bad magic number is never closed, so it must not be allocated.
    static AEffect badRecord;
    AEffect* effect = FAKE_KIND == 2 ? &badRecord : new AEffect();
    std::memset(effect, 0, sizeof(AEffect));
    effect->magic = FAKE_KIND == 2 ? fourCharCode('N', 'o', 'p', 'e') : kEffectMagic;
    effect->dispatcher = fakeDispatcher;
    effect->processReplacing = fakeProcess;
    effect->setParameter = fakeSetParameter;
    effect->getParameter = fakeGetParameter;
    effect->numPrograms = 1;
    effect->numParams = 1;
    effect->numInputs = FAKE_KIND == 3 ? 1 : 0;
    effect->numOutputs = FAKE_KIND == 3 ? 1 : 2;
    effect->flags = effFlagsCanReplacing;
    effect->ioRatio = 1.0f;
    if (FAKE_KIND == 3) {
        // Report the host's version back as automation, so a test can see where it went.
        VstIntPtr version = host(effect, audioMasterVersion, 0, 0, nullptr, 0.0f);
        VstTimeInfo* time = reinterpret_cast<VstTimeInfo*>(host(effect, audioMasterGetTime, 0, 0, nullptr, 0.0f));
        host(effect, audioMasterAutomate, 0, 0, nullptr, static_cast<float>(version) / 10000.0f);
        host(effect, audioMasterAutomate, 1, 0, nullptr,
             time != nullptr ? static_cast<float>(time->sampleRate) : -1.0f);
    }
    return effect;
}

#endif
