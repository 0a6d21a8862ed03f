#include "PictureWriter.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace pictures {

namespace {

void put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v)
{
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}

} // namespace

bool writeBmp24(cairo_surface_t* surface, const std::string& path)
{
    cairo_surface_flush(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    if (data == nullptr || width <= 0 || height <= 0)
        return false;

    const uint32_t rowBytes = (uint32_t(width) * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * uint32_t(height);
    std::vector<uint8_t> out;
    out.reserve(54 + imageBytes);
    // File header.
    out.push_back('B');
    out.push_back('M');
    put32(out, 54 + imageBytes);
    put32(out, 0);
    put32(out, 54);
    // Info header: bottom-up rows, no compression, 72 dpi.
    put32(out, 40);
    put32(out, uint32_t(width));
    put32(out, uint32_t(height));
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);
    put32(out, imageBytes);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    for (int y = height - 1; y >= 0; --y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride));
        for (int x = 0; x < width; ++x) {
            const uint32_t px = row[x]; // native-endian 0xAARRGGBB
            out.push_back(uint8_t(px));
            out.push_back(uint8_t(px >> 8));
            out.push_back(uint8_t(px >> 16));
        }
        for (uint32_t pad = uint32_t(width) * 3; pad < rowBytes; ++pad)
            out.push_back(0);
    }

    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && written;
}

bool writePicture(cairo_surface_t* surface, const std::string& folder, int id)
{
    const std::string stem = folder + "/" + std::to_string(id);
    if (cairo_surface_write_to_png(surface, (stem + ".png").c_str()) != CAIRO_STATUS_SUCCESS)
        return false;
    return writeBmp24(surface, stem + ".bmp");
}

} // namespace pictures
