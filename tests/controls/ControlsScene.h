// One scene with every control of the toolkit, built into a frame by the Windows program
// (under Wine, into a real window) and by the Linux renderer, whose pictures are compared.
#pragma once

#include "TestScene.h"

namespace VSTGUI {
class CFrame;
}

namespace controls_scene {

constexpr int kWidth = 360;
constexpr int kHeight = 220;

// Adds the controls to frame (kWidth x kHeight); the pictures are made from pixels.
void build(VSTGUI::CFrame* frame);
// Moves some values after the first paint; the next idle redraws them (meters fall).
void change(VSTGUI::CFrame* frame);
// Where text is drawn (the platforms' fonts differ).
const std::vector<scene::Region>& regions();

} // namespace controls_scene
