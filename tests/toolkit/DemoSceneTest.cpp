// Renders the demo scene with the Cairo layer and writes it as a PNG into the build folder,
// for a person to look at and for the Windows rendering to be compared with.
#include "DemoScene.h"
#include "ToolkitTestSupport.h"

#include <gtest/gtest.h>

using namespace toolkit_test;

namespace {

TEST(DemoScene, RendersAndIsWrittenAsPng)
{
    CFrame* frame = new CFrame(CRect(0, 0, kDemoWidth, kDemoHeight), nullptr, nullptr);
    buildDemoScene(frame);
    CDrawContext* c = frame->createDrawContext();
    frame->drawRect(c, CRect(0, 0, kDemoWidth, kDemoHeight));
    c->release();
    frame->idle(); // the partly hidden child stays dirty and is drawn again, clipped
    EXPECT_TRUE(CairoFrame::of(frame)->writePNG(ORVANNE_TOOLKIT_DEMO_PNG));

    // Spot checks: filled rectangle, the container background from picture 900 at offset 4,4.
    EXPECT_EQ(framePixel(frame, 75, 20), 0xff0000u);
    EXPECT_EQ(framePixel(frame, 5, 5), 0x303038u);
    EXPECT_EQ(framePixel(frame, 705, 35), 0xffff00u);
    delete frame;
}

} // namespace
