// The pictures decoded from resources, shared by every CBitmap of the process that loads the
// same resource id: the knob film strips and the background are decoded once, however many
// editors are open, and freed when the last bitmap that uses them lets go.
//
// - Decoded pictures are immutable: nothing draws into them, and the colour key of a
//   transparent draw is the CBitmap's own and applied at draw time, so every user may hold
//   the same one whatever its transparent colour.
// - Pictures are made and freed on the UI thread, where bitmaps live; the store is called
//   from there only (it takes no lock) and never from the audio thread. On Windows a shared
//   GDI bitmap is selected into one memory DC at a time, for the length of one draw, which
//   the single UI thread keeps true.
// - An empty store holds nothing: no memory, no thread, no handle.
#pragma once

#include <cstddef>
#include <cstdint>

namespace VSTGUI {

class PlatformBitmap;

namespace picture_store {

// The decoded picture with this resource id, decoding it when no one holds it; each
// successful acquire takes one reference. Null when the resource is missing or unreadable.
PlatformBitmap* acquire(int32_t resourceId);
// Gives back one reference to a picture that acquire answered; the last one frees it.
void release(PlatformBitmap* picture);
// How many pictures are decoded now, and how many references one of them has (0 when not).
std::size_t size();
int32_t users(int32_t resourceId);

} // namespace picture_store
} // namespace VSTGUI
