// A picture in the platform's own form, behind CBitmap. Implemented once per layer.
//
// Contract:
// - Bitmaps are opaque: pixels carry red, green and blue only.
// - loadResource (id): Win32 loads the module's BITMAP resource with that integer id (the
//   .rc built from the picture sources). Cairo decodes the PNG data compiled into the binary
//   (findEmbeddedPicture of resources/EmbeddedPictures.h; the binary links one picture set).
//   Missing or unreadable resource: null.
// - resourceSize (id): the width and height of that resource as loadResource would give them,
//   read from its header without decoding it; false where loadResource would answer null for
//   want of the resource (a damaged picture may still be reported).
// - createFromPixels: width x height pixels, rows top to bottom, each 0x00RRGGBB (the high
//   byte is ignored). Null when width or height is not positive or memory is short.
#pragma once

#include <cstdint>

namespace VSTGUI {

class PlatformBitmap {
public:
    static PlatformBitmap* loadResource(int32_t resourceId);
    static bool resourceSize(int32_t resourceId, int32_t& width, int32_t& height);
    static PlatformBitmap* createFromPixels(int32_t width, int32_t height, const uint32_t* pixels);

    virtual ~PlatformBitmap() {}
    virtual int32_t getWidth() const = 0;
    virtual int32_t getHeight() const = 0;
};

} // namespace VSTGUI
