// Drawing through the Windows layer: the scene painted into a real window equals the Linux
// layer's rendering, both keying methods agree, GDI objects are all given back, and the pixel
// rules hold on GDI itself.
#include "CBitmap.h"
#include "CFrame.h"
#include "COffscreenContext.h"
#include "SceneImage.h"
#include "TestPictures.h"
#include "TestScene.h"
#include "Win32System.h"
#include "Win32TestSupport.h"
#include "platform/PlatformSurface.h"

#include <gtest/gtest.h>

using namespace VSTGUI;
using namespace win32_test;

namespace {

// Paints the scene in a frame inside a host window as a host would (the first paint through
// WM_PAINT, then a change redrawn by idle) and reads the frame window back.
scene::Image renderScene(bool maskKeying, int idles = 1)
{
    HostWindow host(scene::kWidth, scene::kHeight);
    auto* frame = new CFrame(CRect(0, 0, scene::kWidth, scene::kHeight), host.get(), nullptr);
    if (maskKeying)
        win32::transparentBlt = nullptr; // as on a system without TransparentBlt
    scene::build(frame);
    HWND window = static_cast<HWND>(frame->getWindow());
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    pumpMessages();
    EXPECT_FALSE(frame->isFirstDraw()) << "the window was not painted";
    for (int i = 0; i < idles; ++i) {
        scene::change(frame);
        frame->idle();
    }
    scene::Image image = readWindow(window);
    delete frame;
    return image;
}

HDC dcOf(CDrawContext* context)
{
    return static_cast<HDC>(context->getSurface()->getNativeContext());
}

uint32_t pixelOf(HDC dc, int x, int y)
{
    const COLORREF c = GetPixel(dc, x, y);
    return uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c);
}

// A frame in a host window and an off-screen context of 64 x 64 on it, black.
struct Offscreen {
    HostWindow host{100, 100};
    CFrame* frame = new CFrame(CRect(0, 0, 100, 100), host.get(), nullptr);
    COffscreenContext* context = new COffscreenContext(frame, 64, 64, colorBlack);
    ~Offscreen()
    {
        context->release();
        delete frame;
    }
    uint32_t at(int x, int y) { return pixelOf(dcOf(context), x, y); }
    int count(uint32_t colour)
    {
        int n = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                n += at(x, y) == colour ? 1 : 0;
        return n;
    }
};

} // namespace

TEST(Win32Scene, WindowPixelsMatchTheLinuxRendering)
{
    const scene::Image windows = renderScene(false);
    ASSERT_EQ(windows.width, scene::kWidth);
    ASSERT_EQ(windows.height, scene::kHeight);
    const std::string output = pathFromEnvironment("ORVANNE_SCENE_OUTPUT");
    if (!output.empty()) {
        EXPECT_TRUE(scene::writePpm(windows, output));
    }
    const std::string referencePath = pathFromEnvironment("ORVANNE_SCENE_REFERENCE");
    if (referencePath.empty())
        GTEST_SKIP() << "ORVANNE_SCENE_REFERENCE is not set";
    scene::Image linux;
    ASSERT_TRUE(scene::readPpm(referencePath, linux)) << "no reference rendering at " << referencePath;
    const scene::Comparison result = scene::compare(linux, windows, scene::regions());
    EXPECT_TRUE(result.same) << result.report;
}

TEST(Win32Scene, MaskKeyingEqualsTransparentBlt)
{
    const scene::Image direct = renderScene(false);
    const scene::Image masked = renderScene(true);
    ASSERT_EQ(direct.pixels.size(), masked.pixels.size());
    int differing = 0;
    for (size_t i = 0; i < direct.pixels.size(); ++i)
        differing += direct.pixels[i] != masked.pixels[i] ? 1 : 0;
    EXPECT_EQ(differing, 0);
}

TEST(Win32Resources, FramesGiveBackEveryGdiObject)
{
    renderScene(false); // first use: the system's own caches and fonts
    const int before = gdiObjects();
    ASSERT_GT(before, 0);
    renderScene(false, 20);
    renderScene(true, 3);
    EXPECT_EQ(gdiObjects(), before);
}

TEST(Win32Resources, IdleRedrawsCreateNothingLasting)
{
    HostWindow host(scene::kWidth, scene::kHeight);
    auto* frame = new CFrame(CRect(0, 0, scene::kWidth, scene::kHeight), host.get(), nullptr);
    scene::build(frame);
    UpdateWindow(static_cast<HWND>(frame->getWindow()));
    pumpMessages();
    scene::change(frame);
    frame->idle();
    const int settled = gdiObjects();
    for (int i = 0; i < 30; ++i) {
        scene::change(frame);
        frame->idle();
    }
    EXPECT_EQ(gdiObjects(), settled);
    delete frame;
}

TEST(Win32Drawing, FillAndOutlineFollowThePixelRules)
{
    Offscreen o;
    o.context->setFillColor(colorRed);
    o.context->fillRect(CRect(10, 10, 20, 20));
    EXPECT_EQ(o.count(0xff0000), 81);
    EXPECT_EQ(o.at(11, 11), 0xff0000u);
    EXPECT_EQ(o.at(19, 19), 0xff0000u);
    EXPECT_EQ(o.at(10, 10), 0u);
    EXPECT_EQ(o.at(20, 20), 0u);

    o.context->setFrameColor(colorGreen);
    o.context->drawRect(CRect(10, 10, 20, 20), kDrawOutline);
    for (int i = 10; i < 20; ++i) {
        EXPECT_EQ(o.at(i, 10), 0x00ff00u) << i;
        EXPECT_EQ(o.at(i, 19), 0x00ff00u) << i;
        EXPECT_EQ(o.at(10, i), 0x00ff00u) << i;
        EXPECT_EQ(o.at(19, i), 0x00ff00u) << i;
    }
    EXPECT_EQ(o.count(0x00ff00), 36);
}

TEST(Win32Drawing, ALongTextWithTheEllipsisShowsItsBeginningAndEndsInDots)
{
    // White text on black in a 60 x 16 box; which columns and rows of it are text.
    auto draw = [](int32_t alignment, int& first, int& lastTop, int& last) {
        Offscreen o;
        o.context->setFont(kSystemFont, 0, kBoldFace);
        o.context->setFontColor(colorWhite);
        o.context->drawString("HHHHHHHHHHHHHHHHHHHH", CRect(2, 10, 62, 26), false, alignment);
        first = last = lastTop = -1;
        for (int x = 0; x < 64; ++x) {
            for (int y = 10; y < 26; ++y) {
                if (o.at(x, y) == 0)
                    continue;
                first = first < 0 ? x : first;
                last = x;
                if (y < 18)
                    lastTop = x;
            }
        }
    };
    int first, lastTop, last;
    draw(kCenterText | kEndEllipsisText, first, lastTop, last);
    EXPECT_GE(first, 2);
    EXPECT_LE(first, 4) << "the beginning, from the left edge";
    EXPECT_GT(last, 50);
    EXPECT_LT(lastTop, last - 6) << "the last marks are dots on the line";
    // Without it the letters are cut at both edges: a letter's stroke ends the line.
    draw(kCenterText, first, lastTop, last);
    EXPECT_LE(first, 3);
    EXPECT_GE(lastTop, last - 2);
}

TEST(Win32Drawing, ClipKeepsEverythingOutsideUnchanged)
{
    Offscreen o;
    o.context->setClipRect(CRect(5, 5, 15, 25));
    o.context->setFillColor(colorBlue);
    o.context->drawRect(CRect(0, 0, 64, 64), kDrawFilled);
    EXPECT_EQ(o.count(0x0000ff), 10 * 20);
    EXPECT_EQ(o.at(5, 5), 0x0000ffu);
    EXPECT_EQ(o.at(14, 24), 0x0000ffu);
    EXPECT_EQ(o.at(15, 24), 0u);
}

TEST(Win32Bitmaps, ResourcesLoadWithTheirPixels)
{
    Offscreen o;
    CBitmap* ramps = new CBitmap(kTestPictureRamps);
    ASSERT_TRUE(ramps->isLoaded());
    EXPECT_EQ(ramps->getWidth(), 64);
    EXPECT_EQ(ramps->getHeight(), 48);
    ramps->draw(o.context, CRect(0, 0, 64, 48));
    // The generator's ramps away from its three blocks.
    for (int y = 14; y < 20; ++y)
        for (int x = 14; x < 28; ++x) {
            const uint32_t expected = uint32_t(x * 4 + 3) << 16 | uint32_t(y * 5 + 7) << 8 |
                (uint32_t((x ^ y) * 9) & 0xff);
            ASSERT_EQ(o.at(x, y), expected) << x << "," << y;
        }
    ramps->release();

    CBitmap* missing = new CBitmap(4321);
    EXPECT_FALSE(missing->isLoaded());
    EXPECT_EQ(missing->getWidth(), 0);
    EXPECT_EQ(missing->getHeight(), 0);
    missing->draw(o.context, CRect(0, 0, 64, 64));
    EXPECT_EQ(o.at(50, 50), 0u);
    missing->release();
}

TEST(Win32Bitmaps, KeyComparesRgbOnlyAndSourceStaysInsideTheBitmap)
{
    Offscreen o;
    CBitmap* onMagenta = new CBitmap(kTestPictureOnMagenta);
    onMagenta->setTransparentColor(makeColor(255, 0, 255, 0));
    onMagenta->drawTransparent(o.context, CRect(0, 0, 32, 32));
    EXPECT_EQ(o.at(0, 0), 0u);        // keyed
    EXPECT_EQ(o.at(5, 5), 0xffffffu); // white is a colour under a magenta key
    EXPECT_EQ(o.at(20, 5), 0xfac800u);
    // A copy that reaches past the bitmap draws only what exists.
    o.context->setFillColor(colorGrey);
    o.context->drawRect(CRect(0, 0, 64, 64), kDrawFilled);
    onMagenta->draw(o.context, CRect(40, 40, 64, 64), CPoint(16, 16));
    EXPECT_EQ(o.at(41, 41), 0xff00ffu);
    EXPECT_EQ(o.at(43, 41), 0xfac800u);
    EXPECT_EQ(o.at(55, 55), 0xff00ffu);
    EXPECT_EQ(o.at(56, 56), 0x7f7f7fu);
    onMagenta->release();
}

TEST(Win32Bitmaps, BlendIsConstantAlphaAndAbsentWithoutAlphaBlend)
{
    Offscreen o;
    CBitmap* onMagenta = new CBitmap(kTestPictureOnMagenta);
    onMagenta->drawAlphaBlend(o.context, CRect(0, 0, 32, 32), CPoint(), 128);
    const uint32_t blended = o.at(0, 0); // magenta at half over black
    EXPECT_NEAR(int(blended >> 16), 128, 1);
    EXPECT_EQ(int((blended >> 8) & 0xff), 0);
    EXPECT_NEAR(int(blended & 0xff), 128, 1);
    win32::AlphaBlendFunction saved = win32::alphaBlend;
    win32::alphaBlend = nullptr;
    onMagenta->drawAlphaBlend(o.context, CRect(32, 32, 64, 64), CPoint(), 255);
    win32::alphaBlend = saved;
    EXPECT_EQ(o.at(40, 40), 0u);
    onMagenta->release();
}
