#include "PpmFile.h"

#include <cstdio>

namespace test_support {

bool writePpm(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels)
{
    if (width <= 0 || height <= 0 || pixels.size() != size_t(width) * size_t(height))
        return false;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool ok = std::fprintf(file, "P6\n%d %d\n255\n", width, height) > 0;
    std::vector<unsigned char> row(size_t(width) * 3);
    for (int y = 0; y < height && ok; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[size_t(y) * size_t(width) + size_t(x)];
            row[size_t(x) * 3] = (unsigned char)(p >> 16);
            row[size_t(x) * 3 + 1] = (unsigned char)(p >> 8);
            row[size_t(x) * 3 + 2] = (unsigned char)p;
        }
        ok = std::fwrite(row.data(), 1, row.size(), file) == row.size();
    }
    return std::fclose(file) == 0 && ok;
}

bool readPpm(const std::string& path, int& width, int& height, std::vector<uint32_t>& pixels)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    int w = 0, h = 0, maxValue = 0;
    bool ok = std::fscanf(file, "P6 %d %d %d", &w, &h, &maxValue) == 3 && maxValue == 255 && w > 0 && h > 0 &&
        w <= 16384 && h <= 16384 && std::fgetc(file) != EOF;
    std::vector<uint32_t> read;
    if (ok) {
        read.assign(size_t(w) * size_t(h), 0);
        std::vector<unsigned char> row(size_t(w) * 3);
        for (int y = 0; y < h && ok; ++y) {
            ok = std::fread(row.data(), 1, row.size(), file) == row.size();
            for (int x = 0; ok && x < w; ++x)
                read[size_t(y) * size_t(w) + size_t(x)] = uint32_t(row[size_t(x) * 3]) << 16 |
                    uint32_t(row[size_t(x) * 3 + 1]) << 8 | row[size_t(x) * 3 + 2];
        }
    }
    std::fclose(file);
    if (!ok)
        return false;
    width = w;
    height = h;
    pixels.swap(read);
    return true;
}

} // namespace test_support
