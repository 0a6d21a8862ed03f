// The DSP module's entry point: the descriptor and its C callbacks over DspInstance.
#include "DspInstance.h"

#include <cstring>

namespace {

using orvanne_lv2::DspInstance;

DspInstance* instanceOf(LV2_Handle handle)
{
    return static_cast<DspInstance*>(handle);
}

LV2_Handle instantiate(const LV2_Descriptor* descriptor, double rate, const char* bundlePath,
                       const LV2_Feature* const* features)
{
    (void)descriptor, (void)bundlePath;
    return DspInstance::create(rate, features);
}

void connectPort(LV2_Handle handle, uint32_t port, void* data)
{
    if (handle != nullptr)
        instanceOf(handle)->connect(port, data);
}

void activate(LV2_Handle handle)
{
    if (handle != nullptr)
        instanceOf(handle)->activate();
}

void run(LV2_Handle handle, uint32_t frames)
{
    if (handle != nullptr)
        instanceOf(handle)->run(frames);
}

void deactivate(LV2_Handle handle)
{
    (void)handle;
}

void cleanup(LV2_Handle handle)
{
    delete instanceOf(handle);
}

LV2_State_Status saveState(LV2_Handle handle, LV2_State_Store_Function store, LV2_State_Handle storeHandle,
                           uint32_t flags, const LV2_Feature* const* features)
{
    (void)flags;
    if (handle == nullptr)
        return LV2_STATE_ERR_UNKNOWN;
    return instanceOf(handle)->save(store, storeHandle, features);
}

LV2_State_Status restoreState(LV2_Handle handle, LV2_State_Retrieve_Function retrieve, LV2_State_Handle retrieveHandle,
                              uint32_t flags, const LV2_Feature* const* features)
{
    (void)flags;
    if (handle == nullptr)
        return LV2_STATE_ERR_UNKNOWN;
    return instanceOf(handle)->restore(retrieve, retrieveHandle, features);
}

const LV2_State_Interface stateInterface = {saveState, restoreState};

const void* extensionData(const char* uri)
{
    if (uri != nullptr && std::strcmp(uri, LV2_STATE__interface) == 0)
        return &stateInterface;
    return nullptr;
}

const LV2_Descriptor descriptor = {
    orvanne_lv2::kPluginUri, instantiate, connectPort, activate, run, deactivate, cleanup, extensionData,
};

} // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
    return index == 0 ? &descriptor : nullptr;
}
