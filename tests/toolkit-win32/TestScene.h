// One scene that exercises every drawing operation of the toolkit, built into a frame by the
// Windows program (under Wine, into a real window) and by the Linux renderer (Cairo), whose
// pictures are then compared pixel by pixel.
#pragma once

#include "CColor.h"
#include "CRect.h"

#include <vector>

namespace VSTGUI {
class CFrame;
}

namespace scene {

constexpr int kWidth = 360;
constexpr int kHeight = 240;

// Adds the scene's views to frame (a frame of kWidth x kHeight).
void build(VSTGUI::CFrame* frame);

// Changes two views after the first paint and marks them dirty, so the next idle redraws them
// through the update path.
void change(VSTGUI::CFrame* frame);

// Areas where the two platforms may differ, in frame coordinates.
struct Region {
    enum Kind { Text, Blend } kind;
    VSTGUI::CRect rect;
    VSTGUI::CColor under; // Text: the colour the text is drawn on
};
const std::vector<Region>& regions();

} // namespace scene
