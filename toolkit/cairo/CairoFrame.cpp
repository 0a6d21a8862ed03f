#include "CairoFrame.h"

#include "CFrame.h"

#include <algorithm>
#include <cstring>

namespace VSTGUI {

CairoFrame::CairoFrame(CFrame* frame, int32_t width, int32_t height) : frame(frame)
{
    makeImage(width, height);
}

CairoFrame::CairoFrame(CFrame* frame) : frame(frame) {}

CairoFrame::~CairoFrame()
{
    *alive = nullptr;
    if (image != nullptr)
        cairo_surface_destroy(image);
}

cairo_surface_t* CairoFrame::createImage(int32_t width, int32_t height)
{
    cairo_surface_t* next = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (cairo_surface_status(next) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(next);
        return nullptr;
    }
    return next;
}

void CairoFrame::makeImage(int32_t width, int32_t height)
{
    cairo_surface_t* next = width > 0 && height > 0 ? createImage(width, height) : nullptr;
    if (next != nullptr && image != nullptr) {
        // A new picture is black already (createImage's promise), so only what the old one
        // showed is copied in; the rest of a 1 MB picture is not written again before the
        // first full draw covers it.
        cairo_surface_flush(next);
        unsigned char* d = cairo_image_surface_get_data(next);
        const int ds = cairo_image_surface_get_stride(next);
        cairo_surface_flush(image);
        const unsigned char* s = cairo_image_surface_get_data(image);
        const int ss = cairo_image_surface_get_stride(image);
        const int32_t w = std::min(width, cairo_image_surface_get_width(image));
        const int32_t h = std::min(height, cairo_image_surface_get_height(image));
        for (int32_t y = 0; y < h; ++y)
            std::memcpy(d + y * ds, s + y * ss, size_t(w) * 4);
        cairo_surface_mark_dirty(next);
    }
    if (image != nullptr)
        cairo_surface_destroy(image);
    image = next;
}

void CairoFrame::resizeWindow(int32_t width, int32_t height)
{
    makeImage(width, height);
}

bool CairoFrame::resizeWindowChain(int32_t width, int32_t height)
{
    makeImage(width, height);
    return true;
}

bool CairoFrame::getPosition(int32_t& x, int32_t& y)
{
    (void)x;
    (void)y;
    return false;
}

bool CairoFrame::getSize(CRect& rect)
{
    (void)rect;
    return false;
}

uint32_t CairoFrame::pixel(int32_t x, int32_t y) const
{
    if (image == nullptr || x < 0 || y < 0 || x >= cairo_image_surface_get_width(image) ||
        y >= cairo_image_surface_get_height(image))
        return 0;
    cairo_surface_flush(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    return reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(image))[x] & 0x00ffffffu;
}

bool CairoFrame::writePNG(const char* path) const
{
    return image != nullptr && path != nullptr && cairo_surface_write_to_png(image, path) == CAIRO_STATUS_SUCCESS;
}

CairoFrame* CairoFrame::of(CFrame* frame)
{
    return frame != nullptr ? static_cast<CairoFrame*>(frame->getPlatformFrame()) : nullptr;
}

} // namespace VSTGUI
