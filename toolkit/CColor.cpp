#include "CColor.h"

namespace VSTGUI {

const CColor colorTransparent = makeColor(255, 255, 255, 0);
const CColor colorBlack = makeColor(0, 0, 0, 255);
const CColor colorWhite = makeColor(255, 255, 255, 255);
const CColor colorGrey = makeColor(127, 127, 127, 255);
const CColor colorRed = makeColor(255, 0, 0, 255);
const CColor colorGreen = makeColor(0, 255, 0, 255);
const CColor colorBlue = makeColor(0, 0, 255, 255);
const CColor colorYellow = makeColor(255, 255, 0, 255);
const CColor colorMagenta = makeColor(255, 0, 255, 255);
const CColor colorCyan = makeColor(0, 255, 255, 255);

} // namespace VSTGUI
