// Writes a Cairo image surface as a PNG file and as a 24-bit uncompressed BMP file, the two
// forms in which pictures are compiled into the Linux binaries and the Windows modules.
#pragma once

#include <cairo.h>
#include <cstdint>
#include <string>

namespace pictures {

// Writes `surface` (CAIRO_FORMAT_RGB24 or ARGB32; alpha is dropped, so draw opaque pictures)
// to `path`. Returns false when the file cannot be written.
bool writeBmp24(cairo_surface_t* surface, const std::string& path);

// Writes `<folder>/<id>.png` and `<folder>/<id>.bmp`; false when either fails.
bool writePicture(cairo_surface_t* surface, const std::string& folder, int id);

} // namespace pictures
