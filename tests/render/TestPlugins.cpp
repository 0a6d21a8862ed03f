// Two small plug-ins for the command-line host's tests, built from this one file:
// RENDER_TEST_NULL_ENTRY: an entry point that answers null;
// otherwise "Odd Channels": 1 input, 3 outputs, 7 samples of latency, one "Gain" parameter
// (display: 2x as "%.2f", label "x"). Output 0 = gain × input, output 1 = −input,
// output 2 = input / 2, all delayed by the latency.
#include "VstInterface.h"

#include <cstdio>
#include <cstring>

#if defined(__GNUC__)
#define RENDER_TEST_EXPORT extern "C" __attribute__((visibility("default")))
#endif

#ifdef RENDER_TEST_NULL_ENTRY

RENDER_TEST_EXPORT AEffect* VSTPluginMain(audioMasterCallback)
{
    return nullptr;
}

#else

namespace {

constexpr int latency = 7;

struct OddPlugin {
    AEffect effect;
    float gain = 0.5f;
    float history[latency] = {}; // the last `latency` input samples
};

OddPlugin* self(AEffect* effect)
{
    return static_cast<OddPlugin*>(effect->object);
}

void copyText(void* ptr, const char* text, size_t size)
{
    if (!ptr)
        return;
    std::snprintf(static_cast<char*>(ptr), size, "%s", text);
}

VstIntPtr dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr, void* ptr, float)
{
    OddPlugin* plugin = self(effect);
    switch (opcode) {
    case effClose:
        delete plugin;
        return 1;
    case effGetParamName:
        if (index == 0)
            copyText(ptr, "Gain", 8);
        return 0;
    case effGetParamLabel:
        if (index == 0)
            copyText(ptr, "x", 8);
        return 0;
    case effGetParamDisplay:
        if (index == 0 && ptr)
            std::snprintf(static_cast<char*>(ptr), 8, "%.2f", 2.0 * plugin->gain);
        return 0;
    case effGetEffectName:
        copyText(ptr, "Odd Channels", 32);
        return 1;
    case effGetVendorString:
        copyText(ptr, "Render Tests", 64);
        return 1;
    case effMainsChanged:
        std::memset(plugin->history, 0, sizeof plugin->history);
        return 0;
    default:
        return 0;
    }
}

void setParameter(AEffect* effect, VstInt32 index, float value)
{
    if (index == 0)
        self(effect)->gain = value;
}

float getParameter(AEffect* effect, VstInt32 index)
{
    return index == 0 ? self(effect)->gain : 0.0f;
}

void processReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 frames)
{
    OddPlugin* plugin = self(effect);
    for (VstInt32 i = 0; i < frames; ++i) {
        const float delayed = plugin->history[0];
        std::memmove(plugin->history, plugin->history + 1, sizeof(float) * (latency - 1));
        plugin->history[latency - 1] = inputs[0][i];
        outputs[0][i] = plugin->gain * delayed;
        outputs[1][i] = -delayed;
        outputs[2][i] = 0.5f * delayed;
    }
}

} // namespace

RENDER_TEST_EXPORT AEffect* VSTPluginMain(audioMasterCallback host)
{
    if (!host || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    OddPlugin* plugin = new OddPlugin();
    AEffect& e = plugin->effect;
    std::memset(&e, 0, sizeof e);
    e.magic = kEffectMagic;
    e.dispatcher = dispatcher;
    e.setParameter = setParameter;
    e.getParameter = getParameter;
    e.processReplacing = processReplacing;
    e.numPrograms = 0;
    e.numParams = 1;
    e.numInputs = 1;
    e.numOutputs = 3;
    e.flags = effFlagsCanReplacing;
    e.initialDelay = latency;
    e.object = plugin;
    e.uniqueID = fourCharCode('O', 'd', 'd', 'C');
    return &e;
}

#endif
