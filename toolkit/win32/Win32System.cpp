#include "Win32System.h"

namespace VSTGUI {
namespace win32 {

AlphaBlendFunction alphaBlend = nullptr;
TransparentBltFunction transparentBlt = nullptr;
bool blendNeedsSourceCopy = false;
bool mouseButtonsSwapped = false;

HINSTANCE moduleInstance()
{
    // The module that holds this very function is the module the toolkit is linked into.
    static HMODULE module = nullptr;
    if (module == nullptr) {
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(&moduleInstance), &module);
    }
    return module;
}

HMODULE loadBlendFunctions()
{
    alphaBlend = nullptr;
    transparentBlt = nullptr;
    blendNeedsSourceCopy = false;
    HMODULE library = LoadLibraryA("msimg32.dll");
    if (library == nullptr)
        return nullptr;
    alphaBlend = reinterpret_cast<AlphaBlendFunction>(reinterpret_cast<void*>(GetProcAddress(library, "AlphaBlend")));

    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    const BOOL known = GetVersionExA(&version);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    if (known) {
        if (version.dwPlatformId > VER_PLATFORM_WIN32_WINDOWS) {
            transparentBlt = reinterpret_cast<TransparentBltFunction>(
                reinterpret_cast<void*>(GetProcAddress(library, "TransparentBlt")));
        }
        blendNeedsSourceCopy = version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && version.dwMajorVersion == 4 &&
            version.dwMinorVersion == 10;
    }
    return library;
}

} // namespace win32
} // namespace VSTGUI
