// Draws the small test pictures of the toolkit's pixel tests and writes each one as
// <id>.png and <id>.bmp into the folder given on the command line.
//
//   900  64 x 48  opaque colour ramps and blocks (opaque copies and source offsets)
//   901  40 x 40  shapes on pure white (colour-keyed copies with the default key)
//   902  24 x 72  film strip, three frames of 24 x 24 (frame offsets)
//   903  32 x 32  shapes on magenta (colour-keyed copies with a key of one's own)
#include "PictureWriter.h"

#include <cstdio>

namespace {

cairo_surface_t* newPicture(int width, int height)
{
    return cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
}

void fill(cairo_t* cr, int r, int g, int b, double x, double y, double w, double h)
{
    cairo_set_source_rgb(cr, r / 255.0, g / 255.0, b / 255.0);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

// Writes each pixel directly: ramps that differ in every column and row.
void drawRamps(cairo_surface_t* s)
{
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    const int width = cairo_image_surface_get_width(s);
    const int height = cairo_image_surface_get_height(s);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
        for (int x = 0; x < width; ++x) {
            const uint32_t r = uint32_t(x * 4 + 3) & 0xff;
            const uint32_t g = uint32_t(y * 5 + 7) & 0xff;
            const uint32_t b = uint32_t((x ^ y) * 9) & 0xff;
            row[x] = 0xff000000u | (r << 16) | (g << 8) | b;
        }
    }
    cairo_surface_mark_dirty(s);
}

bool ramps(const std::string& folder)
{
    cairo_surface_t* s = newPicture(64, 48);
    drawRamps(s);
    cairo_t* cr = cairo_create(s);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    fill(cr, 255, 255, 255, 4, 4, 8, 8);
    fill(cr, 0, 0, 0, 52, 36, 8, 8);
    fill(cr, 20, 200, 90, 28, 20, 8, 8);
    cairo_destroy(cr);
    const bool ok = pictures::writePicture(s, folder, 900);
    cairo_surface_destroy(s);
    return ok;
}

bool keyedOnWhite(const std::string& folder)
{
    cairo_surface_t* s = newPicture(40, 40);
    cairo_t* cr = cairo_create(s);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    fill(cr, 255, 255, 255, 0, 0, 40, 40);
    cairo_set_source_rgb(cr, 0.2, 0.4, 0.9);
    cairo_arc(cr, 20, 20, 14, 0, 6.283185307179586);
    cairo_fill(cr);
    fill(cr, 250, 250, 250, 14, 14, 12, 12); // near white: must stay visible
    fill(cr, 200, 30, 30, 2, 30, 36, 6);
    cairo_destroy(cr);
    const bool ok = pictures::writePicture(s, folder, 901);
    cairo_surface_destroy(s);
    return ok;
}

bool filmStrip(const std::string& folder)
{
    cairo_surface_t* s = newPicture(24, 72);
    cairo_t* cr = cairo_create(s);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    const int colours[3][3] = {{180, 40, 40}, {40, 160, 40}, {40, 40, 190}};
    for (int frame = 0; frame < 3; ++frame) {
        const int top = frame * 24;
        fill(cr, colours[frame][0], colours[frame][1], colours[frame][2], 0, top, 24, 24);
        // The frame number as that many bars, so a wrong frame is obvious.
        for (int bar = 0; bar <= frame; ++bar)
            fill(cr, 240, 240, 240, 4 + bar * 6, top + 6, 3, 12);
        fill(cr, 10, 10, 10, 0, top + 23, 24, 1);
    }
    cairo_destroy(cr);
    const bool ok = pictures::writePicture(s, folder, 902);
    cairo_surface_destroy(s);
    return ok;
}

bool keyedOnMagenta(const std::string& folder)
{
    cairo_surface_t* s = newPicture(32, 32);
    cairo_t* cr = cairo_create(s);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    fill(cr, 255, 0, 255, 0, 0, 32, 32);
    fill(cr, 255, 255, 255, 4, 4, 10, 24); // white is opaque under a magenta key
    fill(cr, 250, 200, 0, 18, 4, 10, 24);
    cairo_destroy(cr);
    const bool ok = pictures::writePicture(s, folder, 903);
    cairo_surface_destroy(s);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    if (!ramps(folder) || !keyedOnWhite(folder) || !filmStrip(folder) || !keyedOnMagenta(folder)) {
        std::fprintf(stderr, "%s: cannot write the pictures into %s\n", argv[0], folder.c_str());
        return 1;
    }
    return 0;
}
