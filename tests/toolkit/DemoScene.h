// A scene that uses every drawing operation of the toolkit: rectangles in all styles, lines in
// every style and mode, text in every font and alignment, bitmaps opaque, colour-keyed and
// blended, nested containers with and without off-screen drawing. Built only on the toolkit
// core and the test pictures 900..903, so every platform layer can render the same scene.
#pragma once

#include "CFrame.h"

namespace toolkit_test {

constexpr int32_t kDemoWidth = 923;
constexpr int32_t kDemoHeight = 278;

// Adds the scene's views to a frame of kDemoWidth x kDemoHeight.
void buildDemoScene(VSTGUI::CFrame* frame);

} // namespace toolkit_test
