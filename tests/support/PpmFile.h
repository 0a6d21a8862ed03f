// Binary PPM (P6) pictures: how the test programs hand renderings to each other and to people.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace test_support {

// pixels holds width * height values 0x00RRGGBB, rows top to bottom. False when the file cannot
// be written completely (or the sizes do not match).
bool writePpm(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels);

// Reads a picture of at most 16384 x 16384 with a maximum value of 255; false (and nothing
// changed) for anything else or a short file.
bool readPpm(const std::string& path, int& width, int& height, std::vector<uint32_t>& pixels);

} // namespace test_support
