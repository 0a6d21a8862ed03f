// A colour as four bytes (red, green, blue, alpha) and the standard colour constants.
#pragma once

#include <cstdint>

namespace VSTGUI {

struct CColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 255;

    // All four bytes equal.
    bool operator==(const CColor& o) const
    {
        return red == o.red && green == o.green && blue == o.blue && alpha == o.alpha;
    }
    bool operator!=(const CColor& o) const { return !(*this == o); }
    // Red, green and blue equal; alpha is not looked at (colour keys compare this way).
    bool sameRGB(const CColor& o) const { return red == o.red && green == o.green && blue == o.blue; }
    // The four bytes as one little-endian word: red in the low byte.
    uint32_t toWord() const
    {
        return uint32_t(red) | (uint32_t(green) << 8) | (uint32_t(blue) << 16) | (uint32_t(alpha) << 24);
    }
    // The system colour value: the word without alpha (0x00BBGGRR).
    uint32_t toRGBValue() const { return toWord() & 0x00FFFFFFu; }
};

inline CColor makeColor(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255)
{
    CColor c;
    c.red = r;
    c.green = g;
    c.blue = b;
    c.alpha = a;
    return c;
}

extern const CColor colorTransparent;
extern const CColor colorBlack;
extern const CColor colorWhite;
extern const CColor colorGrey;
extern const CColor colorRed;
extern const CColor colorGreen;
extern const CColor colorBlue;
extern const CColor colorYellow;
extern const CColor colorMagenta;
extern const CColor colorCyan;

} // namespace VSTGUI
