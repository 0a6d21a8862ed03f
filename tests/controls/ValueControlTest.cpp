// Knobs, film-strip knobs, on/off and kick buttons driven through the frame with a scripted
// pointer: drags, Shift zoom, default reset, wheel, keys, frame choice and notification order.
#include "ControlTestSupport.h"

#include "AEffGUIEditor.h"
#include "ScriptedInput.h"
#include "cairo/InputState.h"
#include "controls/CAnimKnob.h"
#include "controls/CKickButton.h"
#include "controls/CKnob.h"
#include "controls/COnOffButton.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace controls_test;

namespace {

class ControlFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        InputState::current().reset();
        savedKnobMode = globalKnobMode;
        frame = new TestFrame(300, 200, &log);
        context = frame->createDrawContext();
    }
    void TearDown() override
    {
        context->release();
        delete frame;
        globalKnobMode = savedKnobMode;
        InputState::current().reset();
    }
    // A click at where with buttons, the pointer then following steps.
    void click(CPoint where, int32_t buttons, const std::vector<InputStep>& steps)
    {
        ScriptedInput input(steps);
        frame->mouse(context, where, buttons);
        passes = input.queries();
    }

    EventLog log;
    RecordingListener listener{&log};
    TestFrame* frame = nullptr;
    CDrawContext* context = nullptr;
    int32_t savedKnobMode = 0;
    int32_t passes = 0;
};

// A knob of 50 x 50 at (100, 50), value 0 and drawn.
class KnobTest : public ControlFixture {
protected:
    void SetUp() override
    {
        ControlFixture::SetUp();
        knob = new CKnob(CRect(100, 50, 150, 100), &listener, 7, nullptr, nullptr);
        frame->addView(knob);
        knob->setValue(0.f);
        knob->setDirty(false);
    }
    // A linear drag from (125, 75) moving `pixels` to the right in steps of 10 pixels, with
    // buttons; the values the listener saw.
    std::vector<float> dragRight(int32_t pixels, int32_t buttons)
    {
        std::vector<InputStep> steps;
        ScriptedInput::addMove(steps, CPoint(125, 75), CPoint(125 + pixels, 75), pixels / 10, buttons);
        steps.push_back(InputStep{steps.back().position, 0});
        click(CPoint(125, 75), buttons, steps);
        return listener.values;
    }
    CKnob* knob = nullptr;
};

TEST_F(KnobTest, LinearDragSweepsTheRangeOver200PixelsAnd300WithShift)
{
    globalKnobMode = 2;
    // One report per change: the starting value is none, though taking the focus marks the
    // knob for redrawing.
    std::vector<float> values = dragRight(200, MouseLeft);
    ASSERT_EQ(values.size(), 20u);
    EXPECT_NEAR(values[0], 0.05f, 1e-6f);
    EXPECT_NEAR(values[9], 0.5f, 1e-6f); // 100 pixels
    EXPECT_FLOAT_EQ(values.back(), 1.f);
    EXPECT_EQ(log.events.front(), "begin 7");
    EXPECT_EQ(log.events.back(), "end 7");
    EXPECT_EQ(log.count("begin"), 1);
    EXPECT_EQ(log.count("end"), 1);
    // Every pass of the loop gives the host and the window their idle.
    EXPECT_EQ(frame->idles, passes);
    EXPECT_EQ(frame->getFocusView(), knob);

    // Up counts like right; moving further than the range stays at the end.
    listener.values.clear();
    knob->setValue(0.f);
    knob->setDirty(false);
    std::vector<InputStep> up;
    ScriptedInput::addMove(up, CPoint(125, 75), CPoint(125, 75 - 150), 3, MouseLeft);
    ScriptedInput::addMove(up, CPoint(125, -75), CPoint(225, -75), 2, MouseLeft);
    up.push_back(InputStep{up.back().position, 0});
    click(CPoint(125, 75), MouseLeft, up);
    EXPECT_NEAR(listener.values[2], 0.75f, 1e-6f);
    EXPECT_FLOAT_EQ(knob->getValue(), 1.f);

    listener.values.clear();
    knob->setValue(0.f);
    knob->setDirty(false);
    values = dragRight(300, MouseLeft | ModShift);
    ASSERT_EQ(values.size(), 30u);
    EXPECT_NEAR(values[14], 0.5f, 1e-6f); // 150 pixels
    EXPECT_LT(values[28], 1.f);
    EXPECT_NEAR(values.back(), 1.f, 1e-6f);
}

TEST_F(KnobTest, ShiftPressedMidDragChangesTheRateWithoutAJump)
{
    globalKnobMode = 2;
    std::vector<InputStep> steps;
    ScriptedInput::addMove(steps, CPoint(125, 75), CPoint(225, 75), 10, MouseLeft);
    steps.push_back(InputStep{CPoint(225, 75), MouseLeft | ModShift}); // Shift goes down, no move
    ScriptedInput::addMove(steps, CPoint(225, 75), CPoint(255, 75), 3, MouseLeft | ModShift);
    steps.push_back(InputStep{CPoint(255, 75), ModShift});
    click(CPoint(125, 75), MouseLeft, steps);
    const std::vector<float>& v = listener.values;
    ASSERT_EQ(v.size(), 13u);
    EXPECT_NEAR(v[9], 0.5f, 1e-6f);
    // From the value reached when Shift went down, further moves go at 1/300 per pixel (no
    // jump to 110/300).
    EXPECT_NEAR(v[10], 0.5f + 10.f / 300.f, 1e-5f);
    EXPECT_NEAR(v[11], 0.5f + 20.f / 300.f, 1e-5f);
    EXPECT_NEAR(v[12], 0.5f + 30.f / 300.f, 1e-5f);
}

TEST_F(KnobTest, CircularDragStopsAtTheEndsInsteadOfCrossingTheGap)
{
    globalKnobMode = 0; // circular unless Alt
    // From the top (0.5) clockwise to the lower right (1.0), on through the bottom gap to the
    // lower left (where 0 lies).
    const CPoint centre(125, 75);
    std::vector<InputStep> steps;
    for (int32_t deg = 90; deg >= -135; deg -= 15) {
        const double a = deg * 3.14159265358979 / 180.0;
        steps.push_back(InputStep{CPoint(centre.h + int32_t(std::lround(20 * std::cos(a))),
                                         centre.v - int32_t(std::lround(20 * std::sin(a)))),
                                  MouseLeft});
    }
    steps.push_back(InputStep{steps.back().position, 0});
    click(CPoint(125, 55), MouseLeft, steps);
    ASSERT_FALSE(listener.values.empty());
    EXPECT_NEAR(listener.values.front(), 0.5f, 0.02f);
    float previous = 0.f;
    for (float v : listener.values) {
        EXPECT_GE(v, previous - 1e-6f) << "the value went back across the gap";
        previous = v;
    }
    EXPECT_FLOAT_EQ(knob->getValue(), 1.f);

    // Coming back the same way brings the value down again.
    listener.values.clear();
    std::vector<InputStep> back;
    back.push_back(InputStep{CPoint(centre.h + 20, centre.v), MouseLeft}); // 0 degrees
    back.push_back(InputStep{CPoint(centre.h, centre.v - 20), MouseLeft}); // top
    back.push_back(InputStep{CPoint(centre.h, centre.v - 20), 0});
    click(CPoint(centre.h + 14, centre.v + 14), MouseLeft, back);
    EXPECT_NEAR(knob->getValue(), 0.5f, 0.02f);

    // Alt makes the drag linear.
    knob->setValue(0.f);
    knob->setDirty(false);
    listener.values.clear();
    std::vector<InputStep> linear;
    ScriptedInput::addMove(linear, CPoint(125, 55), CPoint(145, 55), 1, MouseLeft | ModAlt);
    linear.push_back(InputStep{CPoint(145, 55), 0});
    click(CPoint(125, 55), MouseLeft | ModAlt, linear);
    EXPECT_NEAR(knob->getValue(), 0.1f, 1e-6f);
}

TEST_F(KnobTest, ValueAndPointGeometry)
{
    CPoint p;
    knob->setValue(0.f);
    knob->valueToPoint(p);
    EXPECT_LT(p.h, 25);
    EXPECT_GT(p.v, 25); // lower left
    EXPECT_NEAR(knob->valueFromPoint(p), 0.f, 0.03f);
    knob->setValue(0.5f);
    knob->valueToPoint(p);
    EXPECT_EQ(p.h, 25);
    EXPECT_EQ(p.v, 3); // the top, inset 3
    knob->setValue(1.f);
    knob->valueToPoint(p);
    EXPECT_GT(p.h, 25);
    EXPECT_GT(p.v, 25); // lower right
    CPoint bottom(25, 49);
    const float gap = knob->valueFromPoint(bottom);
    EXPECT_TRUE(gap == 0.f || gap == 1.f);
    CPoint right(49, 25);
    EXPECT_NEAR(knob->valueFromPoint(right), 0.5f + 1.f / 3.f, 1e-5f);
}

TEST_F(KnobTest, ControlClickResetsButControlShiftClickDoesNot)
{
    globalKnobMode = 2;
    knob->setValue(0.2f);
    knob->setDirty(false);
    click(CPoint(125, 75), MouseLeft | ModControl, {});
    EXPECT_FLOAT_EQ(knob->getValue(), 0.5f);
    EXPECT_EQ(log.str(), "modifier 17, begin 7, changed 7 0.5, end 7");

    log.clear();
    listener.values.clear();
    knob->setValue(0.2f);
    knob->setDirty(false);
    click(CPoint(125, 75), MouseLeft | ModControl | ModShift, {InputStep{CPoint(125, 75), 0}});
    EXPECT_FLOAT_EQ(knob->getValue(), 0.2f);
    EXPECT_EQ(log.count("changed 7 0.5"), 0) << log.str();
    for (float v : listener.values)
        EXPECT_FLOAT_EQ(v, 0.2f) << log.str();

    // A listener that takes modifier clicks ends the handling.
    log.clear();
    listener.modifierAnswer = 1;
    click(CPoint(125, 75), MouseLeft | ModControl, {});
    EXPECT_FLOAT_EQ(knob->getValue(), 0.2f);
    EXPECT_EQ(log.str(), "modifier 17");

    // Other buttons do nothing.
    log.clear();
    click(CPoint(125, 75), MouseRight, {});
    EXPECT_TRUE(log.events.empty());
}

TEST_F(KnobTest, WheelAndArrowKeysStepByTheIncrementAndATenthWithShift)
{
    const CPoint where(125, 75);
    EXPECT_TRUE(frame->onWheel(context, where, 1.f));
    EXPECT_NEAR(knob->getValue(), 0.1f, 1e-6f);
    EXPECT_EQ(log.str(), "begin 7, changed 7 0.1, end 7");
    InputState::current().buttons = ModShift;
    EXPECT_TRUE(frame->onWheel(context, where, 1.f));
    EXPECT_NEAR(knob->getValue(), 0.11f, 1e-6f);
    InputState::current().buttons = 0;
    EXPECT_TRUE(frame->onWheel(context, where, -5.f));
    EXPECT_FLOAT_EQ(knob->getValue(), 0.f);

    knob->setDirty(false);
    log.clear();
    EXPECT_TRUE(frame->onWheel(context, where, -1.f)); // already at 0: nothing to report
    EXPECT_TRUE(log.events.empty());

    frame->setFocusView(knob);
    VstKeyCode key = {};
    key.virt = VKEY_UP;
    EXPECT_EQ(frame->onKeyDown(key), 1);
    EXPECT_NEAR(knob->getValue(), 0.1f, 1e-6f);
    key.virt = VKEY_RIGHT;
    key.modifier = MODIFIER_SHIFT;
    EXPECT_EQ(knob->onKeyDown(key), 1);
    EXPECT_NEAR(knob->getValue(), 0.11f, 1e-6f);
    key.virt = VKEY_DOWN;
    key.modifier = 0;
    EXPECT_EQ(knob->onKeyDown(key), 1);
    key.virt = VKEY_LEFT;
    EXPECT_EQ(knob->onKeyDown(key), 1);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.f);
    key.virt = VKEY_HOME;
    EXPECT_EQ(knob->onKeyDown(key), -1);
    key.virt = 0;
    key.character = 'a';
    EXPECT_EQ(knob->onKeyDown(key), -1);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.f);

    knob->setMouseEnabled(false);
    EXPECT_FALSE(knob->onWheel(context, where, 1.f));
}

TEST_F(KnobTest, SteppedKnobMovesOnePositionPerNotchOrKeyEvenWithShift)
{
    // Five positions 0, 0.25, ... 1; the parameter behind it hands back its own value for a
    // position (slightly above it), which must not keep the knob where it was.
    knob->setStepCount(5);
    const CPoint where(125, 75);
    EXPECT_TRUE(frame->onWheel(context, where, 1.f));
    EXPECT_FLOAT_EQ(knob->getValue(), 0.25f);
    EXPECT_EQ(log.str(), "begin 7, changed 7 0.25, end 7");
    knob->setValue(0.2501f);
    InputState::current().buttons = ModShift;
    EXPECT_TRUE(frame->onWheel(context, where, 1.f));
    EXPECT_FLOAT_EQ(knob->getValue(), 0.5f);
    InputState::current().buttons = 0;
    EXPECT_TRUE(frame->onWheel(context, where, 0.25f)); // a part of a notch is still one position
    EXPECT_FLOAT_EQ(knob->getValue(), 0.75f);
    EXPECT_TRUE(frame->onWheel(context, where, -2.f));
    EXPECT_FLOAT_EQ(knob->getValue(), 0.25f);
    EXPECT_TRUE(frame->onWheel(context, where, 9.f));
    EXPECT_FLOAT_EQ(knob->getValue(), 1.f);

    VstKeyCode key = {};
    for (unsigned char virt : {VKEY_DOWN, VKEY_LEFT}) {
        key.virt = virt;
        key.modifier = virt == VKEY_LEFT ? MODIFIER_SHIFT : 0;
        EXPECT_EQ(knob->onKeyDown(key), 1);
    }
    EXPECT_FLOAT_EQ(knob->getValue(), 0.5f);
    key.virt = VKEY_UP;
    EXPECT_EQ(knob->onKeyDown(key), 1);
    key.virt = VKEY_RIGHT;
    EXPECT_EQ(knob->onKeyDown(key), 1);
    EXPECT_FLOAT_EQ(knob->getValue(), 1.f);
    knob->setDirty(false);
    log.clear();
    EXPECT_EQ(knob->onKeyDown(key), 1); // at the last position: nothing to report
    EXPECT_TRUE(log.events.empty());
}

TEST_F(KnobTest, DirtyProtocolAndTypes)
{
    EXPECT_FALSE(knob->isDirty());
    knob->setValue(0.3f);
    EXPECT_TRUE(knob->isDirty());
    knob->setDirty(false);
    EXPECT_FALSE(knob->isDirty());
    EXPECT_FLOAT_EQ(knob->getOldValue(), 0.3f);
    knob->setDirty(true);
    EXPECT_TRUE(knob->isDirty());
    knob->setValue(-1.f);
    knob->setDirty(true);
    EXPECT_TRUE(knob->isDirty()); // old value 0, not -1
    knob->setValue(7.f);
    EXPECT_FLOAT_EQ(knob->getValue(), 7.f); // stored unclamped
    knob->bounceValue();
    EXPECT_FLOAT_EQ(knob->getValue(), 1.f);
    EXPECT_TRUE(knob->isTypeOf("CKnob"));
    EXPECT_TRUE(knob->isTypeOf("CControl"));
    EXPECT_TRUE(knob->isTypeOf("CView"));
    EXPECT_FALSE(knob->isTypeOf("CAnimKnob"));
    EXPECT_TRUE(knob->wantsFocus());
}

TEST_F(ControlFixture, AnimKnobFrameIsTheFloorOfValueTimesFramesMinusOne)
{
    CBitmap* strip = makeStrip(4, 100, 101);
    auto* knob = new CAnimKnob(CRect(10, 10, 14, 110), &listener, 2, 101, 100, strip);
    frame->addView(knob);
    struct Case {
        float value;
        int32_t frame;
    } cases[] = {{0.f, 0}, {0.5f, 50}, {0.999f, 99}, {1.f, 100}, {0.00999f, 0}, {0.01f, 1}, {-0.5f, 0}, {2.f, 100}};
    frame->paint();
    for (const Case& c : cases) {
        knob->setValue(c.value);
        EXPECT_EQ(knob->frameTop(), c.frame * 100) << c.value;
        knob->setDirty(true);
        frame->idle();
        EXPECT_EQ(frame->pixel(11, 10), frameColour(c.frame)) << c.value;
        EXPECT_EQ(frame->pixel(13, 109), frameColour(c.frame)) << c.value;
    }
    EXPECT_TRUE(knob->isTypeOf("CAnimKnob"));
    EXPECT_TRUE(knob->isTypeOf("CKnob"));
    strip->release();
}

TEST_F(ControlFixture, AnimKnobIsCleanWhileTheHandlePointStays)
{
    CBitmap* strip = makeStrip(40, 40, 31);
    auto* knob = new CAnimKnob(CRect(0, 0, 40, 40), &listener, 2, 31, 40, strip);
    frame->addView(knob);
    frame->paint();
    knob->setValue(0.5f);
    EXPECT_TRUE(knob->isDirty());
    frame->idle();
    EXPECT_FALSE(knob->isDirty());
    knob->setValue(0.5001f); // the handle point of a 40-pixel knob does not move
    EXPECT_FALSE(knob->isDirty());
    knob->setValue(0.6f);
    EXPECT_TRUE(knob->isDirty());
    strip->release();
}

TEST_F(ControlFixture, OnOffButtonTogglesOnButtonDownByTheIntegerPart)
{
    CBitmap* art = makeBitmap(10, 20, [](int32_t, int32_t y) { return y < 10 ? 0x00ff00u : 0xff0000u; });
    auto* button = new COnOffButton(CRect(20, 20, 30, 30), &listener, 1, art);
    frame->addView(button);
    frame->paint();
    EXPECT_EQ(frame->pixel(25, 25), 0x00ff00u); // off image

    button->setValue(0.7f);
    click(CPoint(25, 25), MouseLeft, {});
    EXPECT_FLOAT_EQ(button->getValue(), 1.f);
    EXPECT_EQ(log.str(), "idle, begin 1, changed 1 1, end 1");
    button->setValue(0.3f);
    click(CPoint(25, 25), MouseLeft, {});
    EXPECT_FLOAT_EQ(button->getValue(), 1.f);
    click(CPoint(25, 25), MouseLeft, {});
    EXPECT_FLOAT_EQ(button->getValue(), 0.f);

    log.clear();
    button->setListenerTiming(COnOffButton::kPreListenerUpdate);
    click(CPoint(25, 25), MouseLeft, {});
    EXPECT_EQ(log.str(), "begin 1, changed 1 1, end 1, idle");
    frame->idle();
    EXPECT_EQ(frame->pixel(25, 25), 0xff0000u); // on image

    log.clear();
    click(CPoint(25, 25), MouseRight, {});
    click(CPoint(25, 25), MouseMiddle, {});
    EXPECT_TRUE(log.events.empty());
    EXPECT_FLOAT_EQ(button->getValue(), 1.f);
    art->release();
}

TEST_F(ControlFixture, KickButtonReportsOneWhilePressedInsideAndAlwaysAFinalZero)
{
    CBitmap* art = makeBitmap(10, 20, [](int32_t, int32_t y) { return y < 10 ? 0x0000ffu : 0xffff00u; });
    auto* button = new CKickButton(CRect(20, 20, 30, 30), &listener, 5, 10, art);
    frame->addView(button);
    frame->paint();
    frame->redrawOnIdle = true;

    // Pressed and released inside: 1 once the pressed image is drawn, then the final 0.
    std::vector<InputStep> inside(4, InputStep{CPoint(25, 25), MouseLeft});
    inside.push_back(InputStep{CPoint(25, 25), 0});
    click(CPoint(25, 25), MouseLeft, inside);
    EXPECT_EQ(log.str(), "begin 5, changed 5 1, idle, idle, idle, idle, changed 5 0, end 5");
    EXPECT_FLOAT_EQ(button->getValue(), 0.f);

    // Pressed inside, moved out (0 on leaving), released outside (final 0).
    frame->idle(); // the editor's idle draws the released button
    log.clear();
    std::vector<InputStep> outside;
    outside.push_back(InputStep{CPoint(29, 29), MouseLeft});
    outside.push_back(InputStep{CPoint(30, 30), MouseLeft}); // edges count as inside
    outside.push_back(InputStep{CPoint(31, 30), MouseLeft});
    outside.push_back(InputStep{CPoint(40, 40), MouseLeft});
    outside.push_back(InputStep{CPoint(40, 40), 0});
    click(CPoint(25, 25), MouseLeft, outside);
    EXPECT_EQ(log.str(), "begin 5, changed 5 1, idle, idle, idle, changed 5 0, idle, changed 5 0, end 5");

    // Without a redraw the 1 is repeated on every pass until drawn.
    frame->idle();
    log.clear();
    frame->redrawOnIdle = false;
    click(CPoint(25, 25), MouseLeft, inside);
    EXPECT_EQ(log.count("changed 5 1"), 4);
    EXPECT_EQ(log.events.back(), "end 5");

    // A click with a modifier held toggles once, without tracking.
    frame->idle();
    log.clear();
    click(CPoint(25, 25), MouseLeft | ModShift, {InputStep{CPoint(25, 25), MouseLeft | ModShift}});
    EXPECT_EQ(log.str(), "modifier 9, begin 5, changed 5 1, changed 5 0, end 5");
    art->release();
}

} // namespace

namespace {

TEST_F(ControlFixture, OddValuesAndRangesDrawWithoutFault)
{
    // An empty range, huge and non-numeric values: the controls draw and toggle sanely.
    auto* knob = new CKnob(CRect(0, 0, 40, 40), &listener, 1, nullptr, nullptr);
    knob->setMin(0.5f);
    knob->setMax(0.5f);
    knob->setStartAngle(knob->getStartAngle());
    knob->setValue(0.5f);
    frame->addView(knob);
    auto* button = new COnOffButton(CRect(50, 0, 60, 10), &listener, 2, nullptr);
    frame->addView(button);
    frame->paint();
    CPoint p;
    knob->valueToPoint(p);
    EXPECT_GE(p.h, 0);
    EXPECT_LE(p.h, 40);

    button->setValue(3e10f);
    click(CPoint(55, 5), MouseLeft, {});
    EXPECT_FLOAT_EQ(button->getValue(), 0.f);
    button->setValue(std::nanf(""));
    click(CPoint(55, 5), MouseLeft, {});
    EXPECT_FLOAT_EQ(button->getValue(), 1.f);
    button->setValue(-1.f);
    click(CPoint(55, 5), MouseLeft, {});
    EXPECT_FLOAT_EQ(button->getValue(), 0.f);
}

} // namespace

namespace {

TEST_F(KnobTest, HandleIsAShadowLineAndALightLineToTheCentre)
{
    knob->setValue(0.5f);
    frame->paint();
    // Shadow from (124, 53) down to the centre (124, 75); the light line one pixel right and up.
    EXPECT_EQ(frame->pixel(124, 53), 0x7f7f7fu);
    EXPECT_EQ(frame->pixel(124, 74), 0x7f7f7fu);
    EXPECT_EQ(frame->pixel(125, 52), 0xffffffu);
    EXPECT_EQ(frame->pixel(125, 73), 0xffffffu);
    EXPECT_NE(frame->pixel(125, 74), 0xffffffu); // the end point is not drawn
    EXPECT_EQ(frame->count(CRect(100, 50, 150, 100), 0xffffffu), 22);

    // A handle bitmap is drawn keyed, centred on the handle point.
    CBitmap* dot = makeBitmap(5, 5, [](int32_t x, int32_t y) { return x == 2 && y == 2 ? 0x00ff00u : 0xffffffu; });
    knob->setHandleBitmap(dot);
    dot->release();
    knob->setDirty(true);
    frame->idle();
    CPoint p;
    knob->valueToPoint(p);
    EXPECT_EQ(p, CPoint(25, 5)); // inset 5 * 0.5 + 2.5 = 5
    EXPECT_EQ(frame->pixel(100 + 25, 50 + 5), 0x00ff00u);
    EXPECT_EQ(frame->count(CRect(100, 50, 150, 100), 0x00ff00u), 1);
    EXPECT_EQ(frame->count(CRect(100, 50, 150, 100), 0xffffffu), 0);
}

TEST_F(ControlFixture, KickButtonShowsThePressedImageOneImageLower)
{
    CBitmap* art = makeBitmap(10, 30,
                              [](int32_t, int32_t y) { return y < 5 ? 0x111111u : (y < 15 ? 0x0000ffu : 0xffff00u); });
    auto* button = new CKickButton(CRect(20, 20, 30, 30), &listener, 5, 10, art, CPoint(0, 5));
    art->release();
    frame->addView(button);
    frame->paint();
    EXPECT_EQ(frame->count(CRect(20, 20, 30, 30), 0x0000ffu), 100);
    button->setValue(1.f);
    frame->idle();
    EXPECT_EQ(frame->count(CRect(20, 20, 30, 30), 0xffff00u), 100);
}

} // namespace
