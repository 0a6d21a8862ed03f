#include "CairoBitmap.h"

#include "EmbeddedPictures.h"

#include <cstring>

namespace VSTGUI {

CairoBitmap::~CairoBitmap()
{
    cairo_surface_destroy(surface);
}

int32_t CairoBitmap::getWidth() const
{
    return cairo_image_surface_get_width(surface);
}

int32_t CairoBitmap::getHeight() const
{
    return cairo_image_surface_get_height(surface);
}

namespace {

struct PngReader {
    const unsigned char* data;
    size_t size;
    size_t position;
};

cairo_status_t readPng(void* closure, unsigned char* out, unsigned int length)
{
    auto* reader = static_cast<PngReader*>(closure);
    if (length > reader->size - reader->position)
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, reader->data + reader->position, length);
    reader->position += length;
    return CAIRO_STATUS_SUCCESS;
}

// An RGB24 surface of the given size, or null.
cairo_surface_t* newImage(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    return s;
}

} // namespace

CairoBitmap* CairoBitmap::fromPNG(const unsigned char* data, size_t size)
{
    if (data == nullptr || size == 0)
        return nullptr;
    PngReader reader{data, size, 0};
    cairo_surface_t* png = cairo_image_surface_create_from_png_stream(readPng, &reader);
    if (cairo_surface_status(png) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(png);
        return nullptr;
    }
    const int32_t width = cairo_image_surface_get_width(png);
    const int32_t height = cairo_image_surface_get_height(png);
    cairo_surface_t* image = newImage(width, height);
    if (image == nullptr) {
        cairo_surface_destroy(png);
        return nullptr;
    }
    // Pictures are opaque: keep red, green and blue as stored.
    cairo_surface_flush(png);
    cairo_surface_flush(image);
    const unsigned char* src = cairo_image_surface_get_data(png);
    const int srcStride = cairo_image_surface_get_stride(png);
    unsigned char* dst = cairo_image_surface_get_data(image);
    const int dstStride = cairo_image_surface_get_stride(image);
    const bool hasAlpha = cairo_image_surface_get_format(png) == CAIRO_FORMAT_ARGB32;
    for (int32_t y = 0; y < height; ++y) {
        const auto* s = reinterpret_cast<const uint32_t*>(src + y * srcStride);
        auto* d = reinterpret_cast<uint32_t*>(dst + y * dstStride);
        for (int32_t x = 0; x < width; ++x) {
            uint32_t p = s[x];
            const uint32_t a = p >> 24;
            if (hasAlpha && a != 255 && a != 0) {
                // Undo the premultiplication of partly transparent pixels.
                const uint32_t r = (((p >> 16) & 0xff) * 255 + a / 2) / a;
                const uint32_t g = (((p >> 8) & 0xff) * 255 + a / 2) / a;
                const uint32_t b = ((p & 0xff) * 255 + a / 2) / a;
                p = (r << 16) | (g << 8) | b;
            }
            d[x] = 0xff000000u | (p & 0x00ffffffu);
        }
    }
    cairo_surface_mark_dirty(image);
    cairo_surface_destroy(png);
    return new CairoBitmap(image);
}

PlatformBitmap* PlatformBitmap::loadResource(int32_t resourceId)
{
    const EmbeddedPicture* picture = findEmbeddedPicture(resourceId);
    if (picture == nullptr)
        return nullptr;
    return CairoBitmap::fromPNG(picture->png, picture->size);
}

bool PlatformBitmap::resourceSize(int32_t resourceId, int32_t& width, int32_t& height)
{
    // A PNG starts with its 8-byte signature and the IHDR chunk: length, type, then the width
    // and the height as big-endian 32-bit numbers.
    static const unsigned char kStart[16] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n',
                                             0,    0,   0,   13,  'I',  'H',  'D',  'R'};
    const EmbeddedPicture* picture = findEmbeddedPicture(resourceId);
    if (picture == nullptr || picture->size < 24 || std::memcmp(picture->png, kStart, sizeof(kStart)) != 0)
        return false;
    auto bigEndian = [](const unsigned char* p) {
        return int32_t((uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]));
    };
    width = bigEndian(picture->png + 16);
    height = bigEndian(picture->png + 20);
    return width > 0 && height > 0;
}

PlatformBitmap* PlatformBitmap::createFromPixels(int32_t width, int32_t height, const uint32_t* pixels)
{
    if (pixels == nullptr)
        return nullptr;
    cairo_surface_t* image = newImage(width, height);
    if (image == nullptr)
        return nullptr;
    cairo_surface_flush(image);
    unsigned char* dst = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    for (int32_t y = 0; y < height; ++y) {
        auto* d = reinterpret_cast<uint32_t*>(dst + y * stride);
        for (int32_t x = 0; x < width; ++x)
            d[x] = 0xff000000u | (pixels[size_t(y) * size_t(width) + size_t(x)] & 0x00ffffffu);
    }
    cairo_surface_mark_dirty(image);
    return new CairoBitmap(image);
}

} // namespace VSTGUI
