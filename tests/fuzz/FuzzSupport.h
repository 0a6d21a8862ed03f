// Shared by the fuzz targets: one effect per process, silent messages, a host that answers.
#pragma once

#include "HostCallbacks.h"
#include "Platform.h"
#include "PluginFactory.h"
#include "TarvelleVST.h"

#include <cstdlib>
#include <cstring>

namespace fuzz {

class SilentPresenter : public platform::MessagePresenter {
public:
    void showError(const char*, const char*) override {}
};

inline CTarvelleVST& effect()
{
    static SilentPresenter presenter;
    static CTarvelleVST* instance = [] {
        platform::setMessagePresenter(&presenter);
        return static_cast<CTarvelleVST*>(createEffectInstance(test_support::quietHost));
    }();
    if (instance == nullptr)
        std::abort();
    return *instance;
}

// Every name the effect keeps must end inside its field, and every value it reports is finite
// or whatever the parameter record made of it; reading them must stay in bounds.
inline void checkState(CTarvelleVST& e)
{
    void* data = nullptr;
    VstInt32 size = e.getChunk(&data, false);
    if (size != 56 || data == nullptr)
        std::abort();
    const PresetRecord* record = static_cast<const PresetRecord*>(data);
    if (std::memchr(record->presetName, 0, sizeof(record->presetName)) == nullptr)
        std::abort();
    char name[kVstMaxProgNameLen + 8];
    std::memset(name, 0x55, sizeof(name));
    e.dispatcher(effGetProgramName, 0, 0, name, 0.0f);
    for (size_t i = kVstMaxProgNameLen; i < sizeof(name); ++i)
        if (name[i] != 0x55)
            std::abort();
}

} // namespace fuzz
