// The view tree in a window-less frame: drawing order, partial updates, clicks, wheel, keys,
// focus, modal views, drag dispatch and reference counts.
#include "ToolkitTestSupport.h"

#include "CDragContainer.h"
#include "CDropTarget.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace toolkit_test;

namespace {

class ViewTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        InputState::current().reset();
        frame = new CFrame(CRect(0, 0, 100, 80), nullptr, nullptr);
        frame->setBackgroundColor(colorBlack);
    }
    void TearDown() override
    {
        delete frame;
        InputState::current().reset();
    }
    ProbeView* probe(const CRect& r, const char* name, CColor color = colorRed)
    {
        return new ProbeView(r, &log, name, color);
    }
    void click(int32_t x, int32_t y, int32_t buttons = MouseLeft)
    {
        InputState::current().buttons = buttons;
        CDrawContext* c = frame->createDrawContext();
        CPoint where(x, y);
        frame->mouse(c, where, -1);
        c->release();
    }
    static VstKeyCode key(unsigned char virt, unsigned char modifier = 0)
    {
        VstKeyCode k{};
        k.virt = virt;
        k.modifier = modifier;
        return k;
    }
    CFrame* frame = nullptr;
    std::vector<std::string> log;
};

TEST_F(ViewTree, LastAddedIsDrawnOnTopAndTriedFirst)
{
    ProbeView* a = probe(CRect(10, 10, 40, 40), "a", colorRed);
    ProbeView* b = probe(CRect(30, 30, 60, 60), "b", colorBlue);
    frame->addView(a);
    frame->addView(b);
    CDrawContext* c = frame->createDrawContext();
    frame->draw(c);
    c->release();
    EXPECT_EQ(framePixel(frame, 35, 35), 0x0000ffu);
    EXPECT_EQ(framePixel(frame, 15, 15), 0xff0000u);
    EXPECT_EQ(framePixel(frame, 70, 70), 0x000000u);

    log.clear();
    click(35, 35);
    EXPECT_EQ(joined(log), "mouse b 35,35");
    log.clear();
    click(40, 40); // right and bottom edges of a, inside b
    click(60, 60); // b's right-bottom corner still hits b
    click(10, 10);
    click(61, 61);
    EXPECT_EQ(joined(log), "mouse b 40,40|mouse b 60,60|mouse a 10,10");

    b->setMouseEnabled(false);
    log.clear();
    click(35, 35);
    EXPECT_EQ(joined(log), "mouse a 35,35");
    EXPECT_EQ(a->lastButtons, MouseLeft);
}

TEST_F(ViewTree, NestedContainerGetsLocalCoordinatesAndDrawsOffscreen)
{
    CViewContainer* box = new CViewContainer(CRect(20, 20, 70, 60), frame);
    box->setBackgroundColor(colorGreen);
    ProbeView* inner = probe(CRect(5, 5, 15, 15), "inner");
    frame->addView(box);
    box->addView(inner);
    EXPECT_NE(box->getOffscreen(), nullptr);
    CDrawContext* c = frame->createDrawContext();
    frame->draw(c);
    c->release();
    EXPECT_EQ(framePixel(frame, 30, 30), 0xff0000u); // inner at 25..35
    EXPECT_EQ(framePixel(frame, 50, 50), 0x00ff00u); // box background
    EXPECT_EQ(framePixel(frame, 21, 21), 0x00ff00u);

    click(26, 27);
    EXPECT_EQ(joined(log), "draw inner|mouse inner 6,7");
    EXPECT_EQ(frame->getViewAt(CPoint(26, 27), false), box);
    EXPECT_EQ(frame->getViewAt(CPoint(26, 27), true), inner);
    CPoint p(26, 27);
    inner->frameToLocal(p);
    EXPECT_EQ(p, CPoint(6, 7));
    inner->localToFrame(p);
    EXPECT_EQ(p, CPoint(26, 27));

    // The pointer as the inner view sees it: in its parent's coordinates.
    InputState::current().position = CPoint(31, 33);
    CDrawContext* d = frame->createDrawContext();
    inner->getMouseLocation(d, p);
    EXPECT_EQ(p, CPoint(11, 13));
    EXPECT_EQ(d->getOffset(), CPoint(0, 0));
    d->release();
    EXPECT_EQ(box->getCurrentView(), inner);
}

TEST_F(ViewTree, IdleRedrawsOnlyDirtyViewsWithinTheirRectangles)
{
    ProbeView* a = probe(CRect(10, 10, 30, 30), "a", colorRed);
    ProbeView* b = probe(CRect(50, 10, 70, 30), "b", colorBlue);
    frame->addView(a);
    frame->addView(b);
    frame->idle();
    EXPECT_EQ(a->draws, 0) << "nothing is drawn before the first paint";

    CDrawContext* c = frame->createDrawContext();
    frame->draw(c);
    c->release();
    EXPECT_FALSE(frame->isDirty());
    frame->idle();
    EXPECT_EQ(a->draws, 1);
    EXPECT_EQ(b->draws, 1);

    // Scribble on the window picture; only the dirty view's rectangle is painted again.

    CDrawContext* w = frame->createDrawContext();
    w->setFillColor(colorWhite);
    w->drawRect(CRect(0, 0, 100, 80), kDrawFilled);
    w->release();
    b->color = colorYellow;
    b->setDirty(true);
    frame->idle();
    EXPECT_EQ(a->draws, 1);
    EXPECT_EQ(b->draws, 2);
    EXPECT_EQ(framePixel(frame, 60, 20), 0xffff00u);
    EXPECT_EQ(framePixel(frame, 20, 20), 0xffffffu);
    EXPECT_EQ(framePixel(frame, 49, 20), 0xffffffu);
    EXPECT_EQ(framePixel(frame, 70, 20), 0xffffffu);
    EXPECT_FALSE(frame->isDirty());

    // Updates can be held back; a dirty frame is drawn whole.
    EXPECT_FALSE(frame->setUpdatesDisabled(true));
    a->setDirty(true);
    frame->idle();
    EXPECT_EQ(a->draws, 1);
    EXPECT_TRUE(frame->setUpdatesDisabled(false));
    frame->setDirty(true);
    frame->idle();
    EXPECT_EQ(a->draws, 2);
    EXPECT_EQ(b->draws, 3);
    EXPECT_EQ(framePixel(frame, 5, 5), 0x000000u);
}

TEST_F(ViewTree, PartlyVisibleChildStaysDirty)
{
    CViewContainer* box = new CViewContainer(CRect(0, 0, 50, 50), frame);
    ProbeView* half = probe(CRect(40, 40, 60, 60), "half");
    frame->addView(box);
    box->addView(half);
    CDrawContext* c = frame->createDrawContext();
    frame->drawRect(c, CRect(0, 0, 100, 80));
    c->release();
    EXPECT_EQ(half->draws, 1);
    EXPECT_TRUE(half->isDirty());
    // A dirty child entirely outside its container does not make the container dirty.
    ProbeView* outside = probe(CRect(60, 60, 70, 70), "outside");
    box->addView(outside);
    half->setDirty(false);
    EXPECT_FALSE(box->isDirty());
}

TEST_F(ViewTree, FrameInvalidateMarksOverlappingChildren)
{
    ProbeView* a = probe(CRect(10, 10, 20, 20), "a");
    ProbeView* b = probe(CRect(50, 50, 60, 60), "b");
    frame->addView(a);
    frame->addView(b);
    a->setDirty(false);
    b->setDirty(false);
    frame->invalidate(CRect(20, 20, 30, 30)); // touches a's corner only
    EXPECT_TRUE(a->isDirty());
    EXPECT_FALSE(b->isDirty());
}

TEST_F(ViewTree, WheelGoesToTheViewUnderThePointer)
{
    CViewContainer* box = new CViewContainer(CRect(20, 20, 70, 60), frame);
    ProbeView* inner = probe(CRect(5, 5, 15, 15), "inner");
    ProbeView* top = probe(CRect(0, 0, 10, 10), "top");
    frame->addView(box);
    box->addView(inner);
    frame->addView(top);
    EXPECT_TRUE(frame->onWheel(nullptr, CPoint(30, 30), 1.0f));
    EXPECT_TRUE(frame->onWheel(nullptr, CPoint(10, 10), -1.0f));
    EXPECT_FALSE(frame->onWheel(nullptr, CPoint(90, 5), 1.0f));
    EXPECT_EQ(joined(log), "wheel inner 10,10 1|wheel top 10,10 -1");

    // The editor base's entry point reads the pointer itself.
    log.clear();
    InputState::current().position = CPoint(5, 6);
    EXPECT_TRUE(frame->onWheelAtMousePosition(nullptr, 2.0f));
    EXPECT_EQ(joined(log), "wheel top 5,6 2");
}

TEST_F(ViewTree, KeysFocusAndTabWalking)
{
    ProbeView* a = probe(CRect(0, 0, 10, 10), "a");
    CViewContainer* box = new CViewContainer(CRect(20, 0, 60, 20), frame);
    ProbeView* b = probe(CRect(0, 0, 10, 10), "b");
    ProbeView* c = probe(CRect(10, 0, 20, 10), "c");
    ProbeView* d = probe(CRect(70, 0, 80, 10), "d");
    for (ProbeView* v : {a, b, c, d})
        v->setWantsFocus(true);
    frame->addView(a);
    frame->addView(box);
    box->addView(b);
    box->addView(c);
    frame->addView(d);

    VstKeyCode tab = key(VKEY_TAB);
    VstKeyCode backTab = key(VKEY_TAB, MODIFIER_SHIFT);
    EXPECT_EQ(frame->onKeyDown(tab), 1);
    EXPECT_EQ(frame->getFocusView(), a);
    EXPECT_EQ(frame->onKeyDown(tab), 1);
    EXPECT_EQ(frame->getFocusView(), b);
    EXPECT_EQ(frame->onKeyDown(tab), 1);
    EXPECT_EQ(frame->getFocusView(), c);
    EXPECT_EQ(frame->onKeyDown(tab), 1);
    EXPECT_EQ(frame->getFocusView(), d);
    EXPECT_EQ(frame->onKeyDown(backTab), 1);
    EXPECT_EQ(frame->getFocusView(), c);
    // Past the end the focus is dropped.
    frame->setFocusView(d);
    EXPECT_EQ(frame->onKeyDown(tab), -1);
    EXPECT_EQ(frame->getFocusView(), nullptr);

    // Keys go to the focus view first; a handled key stops there.
    frame->setFocusView(c);
    log.clear();
    VstKeyCode x = key(0);
    x.character = 'x';
    EXPECT_EQ(frame->onKeyDown(x), -1);
    EXPECT_EQ(frame->onKeyUp(x), -1);
    c->keyResult = 1;
    EXPECT_EQ(frame->onKeyDown(x), 1);
    EXPECT_EQ(joined(log), "keydown c|keyup c|keydown c");
    // Containers ask their children from last to first.
    log.clear();
    b->keyResult = 7;
    c->keyResult = -1;
    EXPECT_EQ(box->onKeyDown(x), 7);
    EXPECT_EQ(joined(log), "keydown c|keydown b");

    // Any click takes the focus away before it is handled.
    log.clear();
    click(95, 75);
    EXPECT_EQ(frame->getFocusView(), nullptr);
    EXPECT_EQ(joined(log), "losefocus c");
}

TEST_F(ViewTree, ModalViewTakesEveryClickAndStopsTab)
{
    ProbeView* under = probe(CRect(0, 0, 100, 80), "under");
    ProbeView* modal = probe(CRect(20, 20, 40, 40), "modal");
    ProbeView* second = probe(CRect(50, 50, 60, 60), "second");
    under->setWantsFocus(true);
    frame->addView(under);
    modal->retain(); // the test keeps its own reference across removal
    EXPECT_TRUE(frame->setModalView(modal));
    EXPECT_FALSE(frame->setModalView(second));
    EXPECT_EQ(frame->getModalView(), modal);
    EXPECT_EQ(frame->getCurrentView(), modal);
    click(30, 30);
    click(5, 5);
    EXPECT_EQ(joined(log), "mouse modal 30,30");
    VstKeyCode tab = key(VKEY_TAB);
    EXPECT_EQ(frame->onKeyDown(tab), -1);
    EXPECT_EQ(frame->onWheel(nullptr, CPoint(5, 5), 1.0f), true);
    EXPECT_EQ(log.back(), "wheel modal 5,5 1");

    EXPECT_TRUE(frame->setModalView(nullptr));
    EXPECT_FALSE(frame->isChild(modal));
    EXPECT_EQ(modal->getNbReference(), 2);
    modal->release();
    modal->release();
    second->release();
    log.clear();
    click(5, 5);
    EXPECT_EQ(joined(log), "mouse under 5,5");
}

TEST_F(ViewTree, RemovingViewsReleasesThemAsAsked)
{
    bool keptDestroyed = false;
    bool goneDestroyed = false;
    ProbeView* kept = probe(CRect(0, 0, 10, 10), "kept");
    ProbeView* gone = probe(CRect(0, 0, 10, 10), "gone");
    kept->destroyed = &keptDestroyed;
    gone->destroyed = &goneDestroyed;
    frame->addView(kept);
    frame->addView(gone, CRect(0, 0, 5, 5), false);
    EXPECT_EQ(kept->getNbReference(), 2);
    EXPECT_FALSE(gone->getMouseEnabled());
    EXPECT_EQ(frame->getNbViews(), 2);
    EXPECT_EQ(frame->getView(1), gone);
    EXPECT_EQ(frame->getView(2), nullptr);
    EXPECT_EQ(frame->getView(-1), nullptr);
    frame->setFocusView(gone);

    EXPECT_TRUE(frame->removeView(kept, false));
    EXPECT_FALSE(keptDestroyed);
    EXPECT_EQ(kept->getNbReference(), 1);
    EXPECT_TRUE(frame->removeView(gone, true));
    EXPECT_TRUE(goneDestroyed);
    EXPECT_EQ(frame->getFocusView(), nullptr);
    EXPECT_FALSE(frame->removeView(kept, false));
    kept->release();
    EXPECT_TRUE(keptDestroyed);
    EXPECT_FALSE(frame->addView(nullptr));
}

TEST_F(ViewTree, ContainerMessageIsComparedByIdentityAndTypesByName)
{
    CViewContainer* box = new CViewContainer(CRect(0, 0, 10, 10), frame);
    char copy[32];
    std::strcpy(copy, kMsgCheckIfViewContainer);
    EXPECT_EQ(box->notify(nullptr, kMsgCheckIfViewContainer), 1);
    EXPECT_EQ(box->notify(nullptr, copy), 0);
    EXPECT_TRUE(box->isTypeOf("CView"));
    EXPECT_TRUE(box->isTypeOf("CViewContainer"));
    EXPECT_FALSE(box->isTypeOf("CFrame"));
    EXPECT_FALSE(box->isTypeOf("CViewCont"));
    EXPECT_TRUE(frame->isTypeOf("CFrame"));
    EXPECT_TRUE(frame->isTypeOf("CView"));
    box->release();
}

TEST_F(ViewTree, DragEventsReachTheViewUnderThePointer)
{
    ProbeView* a = probe(CRect(0, 0, 20, 20), "a");
    ProbeView* b = probe(CRect(50, 0, 70, 20), "b");
    frame->addView(a);
    frame->addView(b);
    CDropTarget target(frame);
    CairoDragData data;
    data.itemCount = 3;
    InputState::current().position = CPoint(5, 5);
    EXPECT_EQ(target.dragEnter(&data), CDropTarget::kDropMove);
    ASSERT_NE(CDropTarget::currentDrag(), nullptr);
    EXPECT_EQ(CDropTarget::currentDrag()->getCount(), 3);
    InputState::current().position = CPoint(6, 6);
    target.dragOver();
    InputState::current().position = CPoint(55, 5);
    target.dragOver();
    target.drop();
    EXPECT_EQ(CDropTarget::currentDrag(), nullptr);
    EXPECT_EQ(joined(log), "enter a 5,5|move a 6,6|leave a|enter b 55,5|drop b 55,5|leave b");

    log.clear();
    EXPECT_EQ(target.dragEnter(nullptr), CDropTarget::kDropNone);
    EXPECT_EQ(target.dragEnter(&data), CDropTarget::kDropMove);
    target.dragLeave();
    EXPECT_EQ(joined(log), "enter b 55,5|leave b");
    EXPECT_EQ(CDropTarget::currentDrag(), nullptr);
}

} // namespace
