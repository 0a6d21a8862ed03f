// A bitmap of the Cairo layer: an opaque RGB24 image surface.
#pragma once

#include "platform/PlatformBitmap.h"

#include <cairo.h>
#include <cstddef>

namespace VSTGUI {

class CairoBitmap : public PlatformBitmap {
public:
    // Takes over the surface (RGB24).
    explicit CairoBitmap(cairo_surface_t* surface) : surface(surface) {}
    ~CairoBitmap() override;

    int32_t getWidth() const override;
    int32_t getHeight() const override;
    cairo_surface_t* getSurface() const { return surface; }

    // Decodes PNG bytes into an opaque bitmap; null when they are not a readable PNG.
    static CairoBitmap* fromPNG(const unsigned char* data, std::size_t size);

private:
    cairo_surface_t* surface;
};

} // namespace VSTGUI
