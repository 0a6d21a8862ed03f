// The module's entry points: `main` (exported as VSTPluginMain too on Linux) and, on
// Windows, the module-load hook that keeps the instance handle.
#include "AudioEffect.h"
#include "ModuleHandle.h"
#include "PluginFactory.h"

namespace {

AEffect* createPlugin(audioMasterCallback audioMaster)
{
    if (audioMaster == nullptr)
        return nullptr;
    if (audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    AudioEffect* effect = createEffectInstance(audioMaster);
    return effect != nullptr ? effect->getAeffect() : nullptr;
}

} // namespace

#if defined(_WIN32)
#include <windows.h>

// Exported as `main` through the module-definition file.
extern "C" AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback audioMaster)
{
    return createPlugin(audioMaster);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reason, (void)reserved;
    setModuleHandle(instance);
    return TRUE;
}
#else
extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback audioMaster)
{
    return createPlugin(audioMaster);
}

// Older Linux hosts look for `main`; C++ reserves that name, so give it through an assembler label.
extern "C" __attribute__((visibility("default"))) AEffect*
pluginMainAlias(audioMasterCallback audioMaster) __asm__("main");
AEffect* pluginMainAlias(audioMasterCallback audioMaster)
{
    return createPlugin(audioMaster);
}
#endif
