// Read-outs, meters, film-strip indicators, the static text box and the About screen: their
// values, geometry and pixels on the Linux layer.
#include "ControlTestSupport.h"

#include "cairo/InputState.h"
#include "controls/CAboutScreen.h"
#include "controls/CAboutScreenView.h"
#include "controls/CMovieBitmap.h"
#include "controls/CParamDisplay.h"
#include "controls/CStaticText.h"
#include "controls/CVuMeter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>

using namespace controls_test;

namespace {

constexpr uint32_t kBackground = 0x203040;

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InputState::current().reset();
        frame = new TestFrame(300, 300, &log);
        frame->setBackgroundColor(makeColor(0x20, 0x30, 0x40));
        context = frame->createDrawContext();
    }
    void TearDown() override
    {
        context->release();
        delete frame;
    }
    EventLog log;
    RecordingListener listener{&log};
    TestFrame* frame = nullptr;
    CDrawContext* context = nullptr;
};

void percent(float value, char* text)
{
    std::snprintf(text, 256, "%d%%", int(value * 100.f + 0.5f));
}

void withUnit(float value, char* text, void* data)
{
    std::snprintf(text, 256, "%.1f %s", double(value), static_cast<const char*>(data));
}

TEST_F(DisplayTest, ParamDisplayFormatsWithConvertersOrTwoDecimals)
{
    auto* display = new CParamDisplay(CRect(10, 10, 110, 30));
    frame->addView(display);
    char text[256];
    display->setValue(0.5f);
    display->formatValue(text);
    EXPECT_STREQ(text, "0.50");
    display->setValue(12.345f);
    display->formatValue(text);
    EXPECT_STREQ(text, "12.35");
    display->setValueToText(percent);
    display->formatValue(text);
    EXPECT_STREQ(text, "1235%");
    static char unit[] = "dB";
    display->setValueToTextWithData(withUnit, unit);
    display->formatValue(text);
    EXPECT_STREQ(text, "12.3 dB"); // the converter with data wins
    EXPECT_TRUE(display->isTypeOf("CParamDisplay"));

    // Changing a setting with a different value marks the display dirty; the same value not.
    display->setDirty(false);
    display->setFontColor(colorWhite);
    display->setHoriAlign(kCenterText);
    display->setStyle(0);
    EXPECT_FALSE(display->isDirty());
    display->setFontColor(colorRed);
    EXPECT_TRUE(display->isDirty());
}

TEST_F(DisplayTest, ParamDisplayDrawsBoxFrameAndText)
{
    auto* display = new CParamDisplay(CRect(10, 10, 110, 40));
    display->setBackColor(colorBlue);
    display->setFrameColor(colorGreen);
    display->setFontColor(colorWhite);
    display->setValue(0.5f);
    frame->addView(display);
    frame->paint();
    // Outline in the frame colour, filled inside, white text in the middle.
    EXPECT_EQ(frame->pixel(10, 10), 0x00ff00u);
    EXPECT_EQ(frame->pixel(109, 39), 0x00ff00u);
    EXPECT_EQ(frame->pixel(12, 12), 0x0000ffu);
    const CRect ink = frame->boxWhere(CRect(11, 11, 109, 39), whitish);
    EXPECT_FALSE(ink.isEmpty());
    EXPECT_NEAR((ink.left + ink.right) / 2, 60, 4);
    EXPECT_NEAR((ink.top + ink.bottom) / 2, 25, 4);
}

TEST_F(DisplayTest, ShadowTextIsDrawnTwiceOnePixelApart)
{
    auto* display = new CParamDisplay(CRect(10, 10, 110, 40), nullptr, StyleShadowText | StyleNoFrame);
    display->setBackColor(colorBlack);
    display->setFontColor(colorWhite);
    display->setShadowColor(colorRed);
    display->setValue(8.88f);
    frame->addView(display);
    frame->paint();
    const CRect white = frame->boxWhere(CRect(10, 10, 110, 40), whitish);
    const CRect red = frame->boxWhere(CRect(10, 10, 110, 40), reddish);
    ASSERT_FALSE(white.isEmpty());
    ASSERT_FALSE(red.isEmpty());
    EXPECT_EQ(red.right, white.right + 1);
    EXPECT_EQ(red.bottom, white.bottom + 1);
    EXPECT_EQ(frame->count(CRect(10, 10, 110, 40), 0x00ff00), 0);
}

TEST_F(DisplayTest, ThreeDBordersUseBackAndFrameColours)
{
    auto* in = new CParamDisplay(CRect(10, 10, 60, 40), nullptr, Style3DIn | StyleNoText);
    auto* out = new CParamDisplay(CRect(70, 10, 120, 40), nullptr, Style3DOut | StyleNoText);
    for (CParamDisplay* d : {in, out}) {
        d->setBackColor(colorBlue);
        d->setFrameColor(colorGreen);
        frame->addView(d);
    }
    frame->paint();
    // 3D in: left and upper lines in the back colour, right and lower in the frame colour.
    EXPECT_EQ(frame->pixel(59, 20), 0x00ff00u);
    EXPECT_EQ(frame->pixel(30, 39), 0x00ff00u);
    EXPECT_EQ(frame->pixel(10, 20), 0x0000ffu);
    EXPECT_EQ(frame->pixel(30, 11), 0x0000ffu);
    // 3D out: the other way round.
    EXPECT_EQ(frame->pixel(70, 20), 0x00ff00u);
    EXPECT_EQ(frame->pixel(90, 11), 0x00ff00u);
    EXPECT_EQ(frame->pixel(119, 20), 0x0000ffu);
    EXPECT_EQ(frame->pixel(90, 39), 0x0000ffu);
    // No outline with a 3D style: the top row of the box keeps the frame's background.
    EXPECT_EQ(frame->pixel(30, 10), kBackground);
}

TEST_F(DisplayTest, NoDrawDrawsNothingAndTransparentShowsOnlyText)
{
    auto* hidden = new CParamDisplay(CRect(10, 10, 60, 40), nullptr, StyleNoDraw);
    EXPECT_FALSE(hidden->isDirty());
    auto* glass = new CParamDisplay(CRect(70, 10, 120, 40));
    glass->setTransparency(true);
    glass->setValue(0.25f);
    frame->addView(hidden);
    frame->addView(glass);
    frame->paint();
    EXPECT_EQ(frame->count(CRect(10, 10, 60, 40), kBackground), 50 * 30);
    EXPECT_EQ(frame->count(CRect(70, 10, 120, 40), 0), 0); // no box
    EXPECT_GT(frame->count(CRect(70, 10, 120, 40), 0xffffff), 0);
}

TEST_F(DisplayTest, VuMeterQuantisesTheLevelAndFallsByTheDecreaseStep)
{
    CBitmap* on = makeBitmap(10, 200, [](int32_t, int32_t) { return 0x00ff00u; });
    CBitmap* off = makeBitmap(10, 200, [](int32_t, int32_t) { return 0x404040u; });
    auto* meter = new CVuMeter(CRect(50, 50, 60, 250), on, off, 100, StyleVertical);
    on->release();
    off->release();
    frame->addView(meter);
    frame->paint();
    meter->setValue(0.4999f);
    frame->idle();
    EXPECT_EQ(meter->getRectOn().top, 100); // 50 unlit steps of 2 pixels
    EXPECT_EQ(frame->pixel(55, 50 + 99), 0x404040u);
    EXPECT_EQ(frame->pixel(55, 50 + 100), 0x00ff00u);
    EXPECT_EQ(frame->pixel(55, 249), 0x00ff00u);
    EXPECT_FALSE(meter->isDirty());

    meter->setValue(1.f);
    frame->idle();
    EXPECT_EQ(meter->getRectOn().top, 0);
    meter->setValue(0.f);
    for (int32_t i = 1; i <= 10; ++i) {
        ASSERT_TRUE(meter->isDirty()) << i;
        frame->idle();
        EXPECT_EQ(meter->getRectOn().top, 20 * i) << "redraw " << i;
    }
    EXPECT_EQ(frame->count(CRect(50, 50, 60, 250), 0x404040u), 10 * 200);
    frame->idle();
    EXPECT_FALSE(meter->isDirty());
    EXPECT_TRUE(meter->isTypeOf("CVuMeter"));
}

TEST_F(DisplayTest, MeterShowsNothingForAnUnusableLevel)
{
    CBitmap* on = makeBitmap(10, 100, [](int32_t, int32_t) { return 0x00ff00u; });
    auto* meter = new CVuMeter(CRect(50, 50, 60, 150), on, nullptr, 10, StyleVertical);
    on->release();
    frame->addView(meter);
    frame->paint();
    meter->setValue(std::nanf(""));
    meter->setDirty(true);
    frame->idle();
    EXPECT_EQ(meter->getRectOn().top, 100);
    meter->setValue(1e30f);
    frame->idle();
    EXPECT_EQ(meter->getRectOn().top, 0);
}

TEST_F(DisplayTest, HorizontalMeterFillsFromTheLeftWithoutOffscreen)
{
    CBitmap* on = makeBitmap(100, 8, [](int32_t, int32_t) { return 0xff0000u; });
    auto* meter = new CVuMeter(CRect(20, 20, 120, 28), on, nullptr, 10, StyleHorizontal);
    on->release();
    meter->setUseOffscreen(false);
    frame->addView(meter);
    frame->paint();
    meter->setValue(0.34f); // three of ten steps
    frame->idle();
    EXPECT_EQ(meter->getRectOn().right, 20 + 30);
    EXPECT_EQ(frame->pixel(20 + 29, 24), 0xff0000u);
    EXPECT_EQ(frame->pixel(20 + 30, 24), kBackground);
}

TEST_F(DisplayTest, MovieBitmapRoundsToTheNearestFrame)
{
    CBitmap* two = makeStrip(8, 10, 2);
    CBitmap* six = makeStrip(8, 10, 6);
    auto* lamp = new CMovieBitmap(CRect(10, 10, 18, 20), nullptr, 1, 2, 10, two);
    auto* gauge = new CMovieBitmap(CRect(30, 10, 38, 20), nullptr, 2, 6, 10, six);
    frame->addView(lamp);
    frame->addView(gauge);
    frame->paint();
    const struct {
        float value;
        int32_t two;
        int32_t six;
    } cases[] = {{0.f, 0, 0}, {0.49f, 0, 2}, {0.5f, 1, 3}, {1.f, 1, 5}, {3.f, 1, 5}, {-1.f, 0, 0}};
    for (const auto& c : cases) {
        lamp->setValue(c.value);
        gauge->setValue(c.value);
        EXPECT_EQ(lamp->frameIndex(), c.two) << c.value;
        EXPECT_EQ(gauge->frameIndex(), c.six) << c.value;
        lamp->setDirty(true);
        gauge->setDirty(true);
        frame->idle();
        EXPECT_EQ(frame->pixel(14, 15), frameColour(c.two)) << c.value;
        EXPECT_EQ(frame->pixel(34, 15), frameColour(c.six)) << c.value;
    }
    EXPECT_FLOAT_EQ(lamp->getValue(), -1.f);
    lamp->setValue(3.f);
    frame->idle();
    EXPECT_FLOAT_EQ(lamp->getValue(), 1.f); // drawing stores the limit
    two->release();
    six->release();
}

TEST_F(DisplayTest, StaticTextShowsItsTextInAFilledBox)
{
    auto* text = new CStaticText(CRect(20, 20, 120, 40));
    text->setBackColor(colorBlack);
    text->setFontColor(makeColor(187, 187, 187));
    text->setTransparency(false);
    auto* hidden = new CStaticText(CRect(20, 60, 120, 80), nullptr, StyleNoDraw);
    hidden->setText("never");
    frame->addView(text);
    frame->addView(hidden);
    frame->paint();
    // Empty: only the box.
    EXPECT_EQ(frame->count(CRect(20, 20, 120, 40), 0), 100 * 20);
    EXPECT_EQ(frame->count(CRect(20, 60, 120, 80), kBackground), 100 * 20);

    text->setText("Factory");
    EXPECT_STREQ(text->getText(), "Factory");
    EXPECT_TRUE(text->isDirty());
    frame->idle();
    EXPECT_GT(frame->count(CRect(20, 20, 120, 40), 0xbbbbbb), 0);
    const std::string longText(300, 'n');
    text->setText(longText.c_str());
    EXPECT_EQ(std::strlen(text->getText()), 255u);
    text->setText(nullptr);
    EXPECT_STREQ(text->getText(), "");
}

class AboutTest : public DisplayTest {
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        picture = makeBitmap(300, 300, [](int32_t x, int32_t) { return x < 150 ? 0xffcc00u : 0x00ccffu; });
        about = new CAboutScreen(CRect(9, 122, 47, 204), &listener, 16, picture, CRect(0, 0, 300, 300), CPoint(0, 0));
        frame->addView(about);
        frame->paint();
    }
    void TearDown() override
    {
        DisplayTest::TearDown();
        picture->release();
    }
    void click(int32_t x, int32_t y, int32_t buttons)
    {
        CPoint where(x, y);
        frame->mouse(context, where, buttons);
    }
    CBitmap* picture = nullptr;
    CAboutScreen* about = nullptr;
};

TEST_F(AboutTest, LeftClickShowsThePictureAndAnotherHidesIt)
{
    EXPECT_EQ(frame->pixel(200, 50), kBackground); // a hot spot draws nothing
    click(47, 204, MouseLeft);                     // the corner of the mouse area counts
    EXPECT_EQ(log.str(), "changed 16 1");
    ASSERT_NE(frame->getModalView(), nullptr);
    EXPECT_FALSE(about->isOverlayShown());
    frame->idle();
    EXPECT_TRUE(about->isOverlayShown());
    EXPECT_EQ(frame->pixel(10, 280), 0xffcc00u);
    EXPECT_EQ(frame->pixel(290, 10), 0x00ccffu);

    // Right clicks do nothing, neither on the picture nor under it.
    click(30, 150, MouseRight);
    click(200, 200, MouseRight);
    EXPECT_EQ(log.count("changed"), 1);

    click(250, 20, MouseLeft);
    EXPECT_EQ(log.str(), "changed 16 1, changed 16 0");
    EXPECT_EQ(frame->getModalView(), nullptr);
    EXPECT_FALSE(about->isOverlayShown());
    frame->idle();
    EXPECT_EQ(frame->pixel(200, 50), kBackground);

    // Shift with the left button acts like the left button (the listener answers 0).
    log.clear();
    click(20, 150, MouseLeft | ModShift);
    EXPECT_EQ(log.str(), "modifier 9, changed 16 1");
    click(20, 150, MouseLeft);
    EXPECT_EQ(log.str(), "modifier 9, changed 16 1, changed 16 0");
    EXPECT_EQ(frame->getNbViews(), 1);

    // Outside the hot spot, or right clicks on it, nothing.
    log.clear();
    click(48, 150, MouseLeft);
    click(20, 150, MouseRight);
    EXPECT_TRUE(log.events.empty());
    about->hideOverlay(context); // hidden already: nobody is told
    EXPECT_TRUE(log.events.empty());
}

TEST_F(AboutTest, ThePictureGoesWithTheFrameOrWhenAnotherModalViewIsUp)
{
    // Another modal view: nothing is shown and nothing is left behind.
    auto* blocker = new CView(CRect(0, 0, 1, 1));
    frame->setModalView(blocker);
    CPoint where(20, 150);
    about->mouse(context, where, MouseLeft);
    EXPECT_FLOAT_EQ(about->getValue(), 0.f);
    EXPECT_TRUE(log.events.empty());
    frame->setModalView(nullptr);
    blocker->release();

    // Shown when the frame is deleted (the editor closes): the overlay view goes too (the
    // sanitizer build reports a leak otherwise).
    click(20, 150, MouseLeft);
    ASSERT_NE(frame->getModalView(), nullptr);
}

} // namespace
