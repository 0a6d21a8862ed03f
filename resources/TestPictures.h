// Resource ids of the toolkit's test pictures (drawn by tools/TestPictures.cpp, linked into a
// program as the picture set orvanne_test_pictures).
#pragma once

#include <cstdint>

enum : int32_t {
    kTestPictureRamps = 900,    // 64 x 48, opaque colour ramps
    kTestPictureOnWhite = 901,  // 40 x 40, shapes on pure white (the default key)
    kTestPictureStrip = 902,    // 24 x 72, three frames of 24 x 24
    kTestPictureOnMagenta = 903 // 32 x 32, shapes on magenta
};
