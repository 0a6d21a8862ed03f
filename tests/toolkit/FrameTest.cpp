// The frame with an editor: edits, idle during tracking, knob mode, resizing, cursor.
#include "ToolkitTestSupport.h"

#include <gtest/gtest.h>

using namespace toolkit_test;

namespace {

class FrameWithEditor : public ::testing::Test {
protected:
    void SetUp() override
    {
        InputState::current().reset();
        effect = new TestEffect;
        editor = new TestEditor(effect);
        frame = new CFrame(CRect(0, 0, 923, 278), nullptr, editor);
        editor->setFrame(frame);
    }
    void TearDown() override
    {
        editor->setFrame(nullptr);
        delete frame;
        delete effect; // deletes the editor
        InputState::current().reset();
    }
    TestEffect* effect = nullptr;
    TestEditor* editor = nullptr;
    CFrame* frame = nullptr;
};

TEST_F(FrameWithEditor, EditsAndIdleGoThroughTheEditor)
{
    EXPECT_EQ(frame->getEditor(), editor);
    frame->beginEdit(3);
    EXPECT_EQ(test_support::recordingHost().count(audioMasterBeginEdit), 1);
    EXPECT_EQ(test_support::recordingHost().lastIndex({audioMasterBeginEdit, audioMasterEndEdit}), 3);
    frame->endEdit(4);
    EXPECT_EQ(test_support::recordingHost().count(audioMasterEndEdit), 1);
    EXPECT_EQ(test_support::recordingHost().lastIndex({audioMasterBeginEdit, audioMasterEndEdit}), 4);

    globalKnobMode = 2;
    EXPECT_EQ(frame->getKnobMode(), 2);
    globalKnobMode = 0;
    EXPECT_EQ(frame->getKnobMode(), 0);

    InputState::current().manualTicks = true;
    InputState::current().ticks = 1234;
    EXPECT_EQ(frame->getTicks(), 1234u);

    // A tracking loop's idle reaches the host's idle.
    const int32_t before = test_support::recordingHost().count(audioMasterIdle);
    frame->doIdleStuff();
    EXPECT_GE(test_support::recordingHost().count(audioMasterIdle), before);

    // Keys arrive through the editor base.
    ProbeView* v = new ProbeView(CRect(0, 0, 10, 10), nullptr, "v");
    v->keyResult = 1;
    frame->addView(v);
    frame->setFocusView(v);
    VstKeyCode k{};
    EXPECT_TRUE(editor->onKeyDown(k));
    v->keyResult = 5;
    EXPECT_FALSE(editor->onKeyUp(k));
}

TEST_F(FrameWithEditor, SetSizeAsksTheHostFirst)
{
    EXPECT_FALSE(frame->setSize(923, 278));
    test_support::recordingHost().canDo.push_back("sizeWindow");
    test_support::recordingHost().answers[audioMasterSizeWindow] = 1;
    EXPECT_TRUE(frame->setSize(400, 200));
    EXPECT_EQ(test_support::recordingHost().count(audioMasterSizeWindow), 1);
    CRect r;
    frame->getViewSize(r);
    EXPECT_EQ(r, CRect(0, 0, 400, 200));
    EXPECT_EQ(cairo_image_surface_get_width(CairoFrame::of(frame)->getImage()), 400);

    // A refusing host: the frame resizes its own window.
    test_support::recordingHost().answers[audioMasterSizeWindow] = 0;
    EXPECT_TRUE(frame->setSize(300, 100));
    EXPECT_EQ(test_support::recordingHost().count(audioMasterSizeWindow), 2);
    frame->getViewSize(r);
    EXPECT_EQ(r, CRect(0, 0, 300, 100));

    // setViewSize goes through setSize; a closed frame changes nothing.
    frame->setViewSize(CRect(0, 0, 200, 100));
    frame->getViewSize(r);
    EXPECT_EQ(r.width(), 200);
    frame->windowDestroyed();
    EXPECT_FALSE(frame->isOpen());
    EXPECT_FALSE(frame->setSize(500, 100));
    int32_t x = 0, y = 0;
    EXPECT_FALSE(frame->getPosition(x, y));
    frame->setOpenFlag(true);
}

TEST(Frame, WithoutEditorOrWindow)
{
    InputState::current().reset();
    CFrame* frame = new CFrame(CRect(0, 0, 50, 40), nullptr, nullptr);
    EXPECT_EQ(frame->getTicks(), 0u);
    EXPECT_EQ(frame->getWindow(), nullptr);
    EXPECT_FALSE(frame->isDropActive());
    EXPECT_FALSE(frame->setDropActive(true)); // no window to accept drops
    EXPECT_TRUE(frame->setDropActive(false));
    EXPECT_FALSE(frame->open());
    EXPECT_FALSE(frame->close());
    EXPECT_FALSE(frame->setPosition(1, 2));
    CRect r;
    EXPECT_FALSE(frame->getSize(r));
    EXPECT_EQ(frame->getFrame(), frame);
    frame->doIdleStuff();
    frame->beginEdit(1);
    frame->endEdit(1);
    EXPECT_TRUE(frame->setSize(60, 40)); // no host to ask: the window itself
    frame->getViewSize(r);
    EXPECT_EQ(r, CRect(0, 0, 60, 40));

    frame->setCursor(kCursorHand);
    EXPECT_EQ(CairoFrame::of(frame)->getCursor(), kCursorHand);

    // drawView draws a direct child, anything else means the whole frame.
    std::vector<std::string> log;
    ProbeView* v = new ProbeView(CRect(0, 0, 10, 10), &log, "v");
    ProbeView* stranger = new ProbeView(CRect(0, 0, 10, 10), &log, "stranger");
    frame->addView(v);
    frame->drawView(v);
    frame->drawView(stranger);
    EXPECT_EQ(joined(log), "draw v|draw v");
    EXPECT_FALSE(frame->isFirstDraw());
    stranger->release();

    InputState::current().position = CPoint(7, 8);
    CPoint where;
    EXPECT_TRUE(frame->getCurrentLocation(where));
    EXPECT_EQ(where, CPoint(7, 8));
    delete frame;
    EXPECT_EQ(CairoFrame::of(nullptr), nullptr);
}

// A new picture is black without being cleared again; a resize keeps what the old one showed.
TEST(Frame, PictureStartsBlackAndKeepsItsPixelsOnResize)
{
    CFrame* frame = new CFrame(CRect(0, 0, 50, 40), nullptr, nullptr);
    CairoFrame* layer = CairoFrame::of(frame);
    for (const CPoint p : {CPoint(0, 0), CPoint(49, 39), CPoint(25, 20)})
        EXPECT_EQ(layer->pixel(p.h, p.v), 0u) << p.h << "," << p.v;
    cairo_t* cr = cairo_create(layer->getImage());
    cairo_set_source_rgb(cr, 1.0, 0.0, 0.0);
    cairo_paint(cr);
    cairo_destroy(cr);
    layer->resizeWindow(70, 60);
    EXPECT_EQ(layer->pixel(49, 39), 0xff0000u);
    EXPECT_EQ(layer->pixel(50, 39), 0u);
    EXPECT_EQ(layer->pixel(69, 59), 0u);
    delete frame;
}

TEST(Frame, DestructionReleasesTheWholeTree)
{
    bool innerGone = false;
    CFrame* frame = new CFrame(CRect(0, 0, 50, 40), nullptr, nullptr);
    CViewContainer* box = new CViewContainer(CRect(0, 0, 20, 20), frame);
    ProbeView* inner = new ProbeView(CRect(0, 0, 5, 5), nullptr, "inner");
    inner->destroyed = &innerGone;
    inner->setWantsFocus(true);
    frame->addView(box);
    box->addView(inner);
    frame->setFocusView(inner);
    // Removing the container takes the focus that lay inside it.
    box->retain();
    frame->removeView(box, true);
    EXPECT_EQ(frame->getFocusView(), nullptr);
    frame->addView(box); // the test's own reference is now the creator's
    delete frame;
    EXPECT_TRUE(innerGone);
}

} // namespace

TEST(Frame, AnX11ButtonPressCarriesItsOwnButtonsAndModifiers)
{
    constexpr uint32_t shift = 1u << 0, control = 1u << 2, alt = 1u << 3, button1 = 1u << 8;
    EXPECT_EQ(buttonsOfPointerPress(1, 0), MouseLeft);
    EXPECT_EQ(buttonsOfPointerPress(3, shift), MouseRight | ModShift);
    EXPECT_EQ(buttonsOfPointerPress(2, control | alt | button1), MouseMiddle | MouseLeft | ModControl | ModAlt);
    EXPECT_EQ(buttonsOfPointerPress(1, control), MouseLeft | ModControl); // the reset gesture
    EXPECT_EQ(buttonsOfPointerPress(4, 0), 0);                            // wheel
    EXPECT_EQ(buttonsOfPointerPress(0, button1), 0);
}
