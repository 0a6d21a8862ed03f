// A picture in the platform's own form, behind CBitmap. Implemented once per layer.
//
// Contract:
// - Bitmaps are opaque: pixels carry red, green and blue only.
// - loadResource (id): Win32 loads the module's BITMAP resource with that integer id (the
//   .rc built from the picture sources). Cairo decodes the PNG data compiled into the binary
//   for that id (see PictureResource below) or registered at run time. Missing or unreadable
//   resource: null.
// - createFromPixels: width x height pixels, rows top to bottom, each 0x00RRGGBB (the high
//   byte is ignored). Null when width or height is not positive or memory is short.
#pragma once

#include <cstdint>

namespace VSTGUI {

class PlatformBitmap {
public:
    static PlatformBitmap* loadResource(int32_t resourceId);
    static PlatformBitmap* createFromPixels(int32_t width, int32_t height, const uint32_t* pixels);

    virtual ~PlatformBitmap() {}
    virtual int32_t getWidth() const = 0;
    virtual int32_t getHeight() const = 0;
};

// Linux: one PNG picture compiled into the binary. The resource build generates a table of
// these from the picture sources, in a static library target `orvanne_pictures` that defines
//     const VSTGUI::PictureResource* orvannePictureTable(uint32_t* count);
// (namespace VSTGUI). When that target exists at the time toolkit/ is configured, the
// toolkit links it and the Cairo layer searches its table; otherwise only pictures
// registered at run time (registerPictureResource, tests) are found.
struct PictureResource {
    int32_t id;
    const unsigned char* data; // PNG file bytes, static storage
    uint32_t size;
};

} // namespace VSTGUI
