// Process-wide Win32 state of the toolkit's Windows layer: the module that carries the
// bitmap resources and owns the window class, the run-time blending functions of msimg32,
// and the swapped-mouse-buttons flag.
#pragma once

#include <windows.h>

namespace VSTGUI {
namespace win32 {

// The module (DLL or program) that contains the toolkit, i.e. the one whose resources and
// window class the toolkit uses.
HINSTANCE moduleInstance();

typedef BOOL(WINAPI* AlphaBlendFunction)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
typedef BOOL(WINAPI* TransparentBltFunction)(HDC, int, int, int, int, HDC, int, int, int, int, UINT);

// Looked up again by every frame construction (loadBlendFunctions), null when unavailable.
// Colour-keyed drawing falls back to the mask method without TransparentBlt; constant-alpha
// blending does nothing without AlphaBlend.
extern AlphaBlendFunction alphaBlend;
extern TransparentBltFunction transparentBlt;
// True on the one system whose AlphaBlend cannot read from an arbitrary source offset
// (version 4.10 of the non-NT family); the blend then reads from a copy.
extern bool blendNeedsSourceCopy;

// Resets both pointers, loads msimg32.dll and takes AlphaBlend from it, and TransparentBlt
// only on the NT family. Returns the library handle (the caller frees it), null when missing.
HMODULE loadBlendFunctions();

// Read when the window class is first registered: the system swaps the mouse buttons.
extern bool mouseButtonsSwapped;

} // namespace win32
} // namespace VSTGUI
