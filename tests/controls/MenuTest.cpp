// Option menus: entries and markers, current entry with and without separators, insertion and
// removal, the 1024-entry limit, the pop-up tree with its id blocks and flags, choosing an
// entry of a submenu, dismissing, and the button menu.
#include "ControlTestSupport.h"

#include "ScriptedMenuPresenter.h"
#include "cairo/InputState.h"
#include "controls/CButtonMenu.h"
#include "controls/COptionMenu.h"

#include <gtest/gtest.h>

#include <string>

using namespace controls_test;

namespace {

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InputState::current().reset();
        presenter().reset();
        frame = new TestFrame(300, 200, &log);
        context = frame->createDrawContext();
        menu = new COptionMenu(CRect(40, 30, 140, 50), &listener, 6, nullptr, nullptr, 0);
        frame->addView(menu);
    }
    void TearDown() override
    {
        context->release();
        delete frame;
        presenter().reset();
    }
    static ScriptedMenuPresenter& presenter() { return ScriptedMenuPresenter::instance(); }
    std::string entry(COptionMenu* m, int32_t i)
    {
        char text[256] = "?";
        m->getEntry(i, text);
        return text;
    }

    EventLog log;
    RecordingListener listener{&log};
    TestFrame* frame = nullptr;
    CDrawContext* context = nullptr;
    COptionMenu* menu = nullptr;
};

TEST_F(MenuTest, CurrentEntryCountsOrSkipsSeparatorsAndTitles)
{
    EXPECT_EQ(menu->getCurrent(), -1);
    ASSERT_TRUE(menu->addEntry("Plain"));
    EXPECT_EQ(menu->getCurrent(), 0); // the first entry becomes current
    menu->addEntry("-");
    menu->addEntry("-TTitle");
    menu->addEntry("Second");
    EXPECT_EQ(menu->getNbEntries(), 4);

    EXPECT_TRUE(menu->setCurrent(1, false));
    char text[256];
    EXPECT_EQ(menu->getCurrent(text, true), 3);
    EXPECT_STREQ(text, "Second");
    EXPECT_EQ(menu->getCurrent(text, false), 1);

    EXPECT_FALSE(menu->setCurrent(1, true)); // a separator cannot be current
    EXPECT_EQ(menu->getCurrent(), 3);
    EXPECT_TRUE(menu->setCurrent(2, true)); // a title can
    EXPECT_EQ(menu->getCurrent(), 2);
    EXPECT_FALSE(menu->setCurrent(4, true));
    EXPECT_FALSE(menu->setCurrent(-1, false));

    // setValue takes an entry index; outside the entries it changes nothing at all.
    menu->setValue(3.f);
    EXPECT_EQ(menu->getCurrent(), 3);
    EXPECT_FLOAT_EQ(menu->getValue(), 3.f);
    menu->setValue(7.f);
    menu->setValue(-1.f);
    EXPECT_EQ(menu->getCurrent(), 3);
    EXPECT_FLOAT_EQ(menu->getValue(), 3.f);

    EXPECT_EQ(menu->getIndex("-TTitle"), 2);
    EXPECT_EQ(menu->getIndex("Title"), -1);
    EXPECT_EQ(menu->getIndex(nullptr), -1);
}

TEST_F(MenuTest, InsertAndRemoveMoveTheCurrentEntryAlong)
{
    for (const char* t : {"A", "B", "C", "D"})
        menu->addEntry(t);
    menu->setCurrent(2);
    menu->checkEntry(3, true);
    ASSERT_TRUE(menu->addEntry("X", 0));
    EXPECT_EQ(entry(menu, 0), "X");
    EXPECT_EQ(entry(menu, 3), "C");
    EXPECT_EQ(menu->getCurrent(), 3);
    EXPECT_TRUE(menu->isCheckEntry(4)); // the check mark moved with "D"
    EXPECT_FALSE(menu->isCheckEntry(0));
    ASSERT_TRUE(menu->addEntry("Y", 99)); // past the end: appended
    EXPECT_EQ(entry(menu, 5), "Y");

    EXPECT_TRUE(menu->removeEntry(3)); // the current entry: the previous one becomes current
    EXPECT_EQ(menu->getCurrent(), 2);
    EXPECT_EQ(entry(menu, 3), "D");
    EXPECT_TRUE(menu->isCheckEntry(3));
    EXPECT_FALSE(menu->removeEntry(5));
    EXPECT_FALSE(menu->removeEntry(-1));
    menu->setCurrent(0);
    EXPECT_TRUE(menu->removeEntry(0));
    EXPECT_EQ(menu->getCurrent(), -1);
    while (menu->getNbEntries() > 0)
        menu->removeEntry(0);
    EXPECT_EQ(menu->getCurrent(), -1);

    EXPECT_TRUE(menu->setEntry(-1, "Z") == false);
    menu->addEntry("A");
    EXPECT_TRUE(menu->setEntry(0, "Z"));
    EXPECT_EQ(entry(menu, 0), "Z");
    EXPECT_TRUE(menu->checkEntryAlone(0));
    EXPECT_FALSE(menu->checkEntry(1, true));
    EXPECT_FALSE(menu->isCheckEntry(1));
}

TEST_F(MenuTest, TheLimitIs1024EntriesAndTextsAreCutAt255)
{
    for (int32_t i = 0; i < 1024; ++i)
        ASSERT_TRUE(menu->addEntry(std::to_string(i).c_str()));
    EXPECT_FALSE(menu->addEntry("one too many"));
    EXPECT_FALSE(menu->addEntry("one too many", 0));
    auto* sub = new COptionMenu(CRect(), nullptr, 0);
    EXPECT_FALSE(menu->addEntry(sub, "sub"));
    sub->release();
    EXPECT_EQ(menu->getNbEntries(), 1024);
    EXPECT_EQ(entry(menu, 0), "0");
    EXPECT_EQ(entry(menu, 1023), "1023");

    menu->removeAllEntry();
    const std::string longText(400, 'x');
    menu->addEntry(longText.c_str());
    EXPECT_EQ(entry(menu, 0), std::string(255, 'x'));
    menu->setEntry(0, longText.c_str());
    EXPECT_EQ(entry(menu, 0), std::string(255, 'x'));
    menu->addEntry(static_cast<const char*>(nullptr));
    EXPECT_EQ(entry(menu, 1), "");
}

TEST_F(MenuTest, PrefixNumbersAreStoredAndSkippedWhenDrawn)
{
    menu->setPrefixNumbers(3);
    menu->addEntry("First");
    menu->addEntry("Second");
    auto* sub = new COptionMenu(CRect(), nullptr, 0);
    menu->addEntry(sub, "Sub");
    sub->release();
    EXPECT_EQ(entry(menu, 0), "01 First");
    EXPECT_EQ(entry(menu, 1), "02 Second");
    EXPECT_EQ(entry(menu, 2), "-M03 Sub");
    menu->setPrefixNumbers(2);
    menu->addEntry("Third", 0);
    EXPECT_EQ(entry(menu, 0), "1 Third");
}

// A top menu "A", "-", "-GGrey", "-TTitle", Sub1, Sub2, "B", with two submenus of 2 and 3.
class NestedMenuTest : public MenuTest {
protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        sub1 = new COptionMenu(CRect(), nullptr, 61);
        sub2 = new COptionMenu(CRect(), nullptr, 62);
        sub1->addEntry("one");
        sub1->addEntry("two");
        sub2->addEntry("red");
        sub2->addEntry("green");
        sub2->addEntry("blue");
        menu->setStyle(StyleCheck);
        menu->addEntry("A");
        menu->addEntry("-");
        menu->addEntry("-GGrey");
        menu->addEntry("-TTitle");
        menu->addEntry(sub1, "Sub1");
        menu->addEntry(sub2, "Sub2");
        menu->addEntry("B");
        sub1->release(); // the menu holds them now
        sub2->release();
        menu->setCurrent(6);
    }
    COptionMenu* sub1 = nullptr;
    COptionMenu* sub2 = nullptr;
};

TEST_F(NestedMenuTest, ThePopupTreeHasOneIdBlockPerMenuAndTheFlags)
{
    PopupMenu tree;
    int32_t counter = 0;
    ASSERT_TRUE(menu->buildPopupMenu(tree, counter));
    EXPECT_EQ(counter, 7 + 2 + 3);
    ASSERT_EQ(tree.items.size(), 7u);
    EXPECT_EQ(tree.items[0].id, 0);
    EXPECT_EQ(tree.items[0].flags, 0u);
    EXPECT_EQ(tree.items[1].flags, uint32_t(kMenuItemSeparator));
    EXPECT_EQ(tree.items[2].flags, uint32_t(kMenuItemGrayed));
    EXPECT_EQ(tree.items[2].text, "Grey");
    EXPECT_EQ(tree.items[3].flags, uint32_t(kMenuItemDisabled));
    EXPECT_EQ(tree.items[3].text, "Title");
    EXPECT_EQ(tree.items[4].flags, uint32_t(kMenuItemPopup));
    EXPECT_EQ(tree.items[4].text, "Sub1");
    ASSERT_TRUE(tree.items[4].submenu);
    EXPECT_EQ(tree.items[4].submenu->items[0].id, 7); // right after the top menu's block
    EXPECT_EQ(tree.items[4].submenu->items[1].id, 8);
    EXPECT_EQ(tree.items[5].submenu->items[0].id, 9);
    EXPECT_EQ(tree.items[5].submenu->items[2].id, 11);
    EXPECT_EQ(tree.items[6].id, 6);
    EXPECT_EQ(tree.items[6].flags, uint32_t(kMenuItemChecked)); // StyleCheck: the current entry

    int32_t index = -1;
    EXPECT_EQ(menu->findOwner(10, index), sub2);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(menu->findOwner(2, index), menu);
    EXPECT_EQ(index, 2);
    EXPECT_EQ(menu->findOwner(12, index), nullptr);

    // Column breaks every n entries; multiple check marks.
    menu->setNbItemsPerColumn(3);
    menu->setStyle(StyleMultipleCheck);
    menu->checkEntry(0, true);
    PopupMenu columns;
    counter = 0;
    menu->buildPopupMenu(columns, counter);
    EXPECT_EQ(columns.items[0].flags, uint32_t(kMenuItemChecked));
    EXPECT_EQ(columns.items[3].flags, uint32_t(kMenuItemDisabled | kMenuItemColumnBreak));
    EXPECT_EQ(columns.items[6].flags, uint32_t(kMenuItemColumnBreak));
}

TEST_F(NestedMenuTest, ChoosingAnEntryOfTheSecondSubmenuReportsThatSubmenu)
{
    presenter().chooser = [](const PopupMenu& m, const PopupPlacement&) {
        return ScriptedMenuPresenter::findId(m, {"Sub2", "green"});
    };
    CPoint where(50, 40);
    frame->mouse(context, where, MouseLeft);
    EXPECT_EQ(presenter().popupCount(), 1);
    EXPECT_EQ(menu->getLastResult(), 10);
    EXPECT_EQ(menu->getLastItemMenu(), sub2);
    ASSERT_EQ(listener.controls.size(), 1u);
    EXPECT_EQ(listener.controls[0], sub2);
    EXPECT_EQ(listener.controls[0]->getTag(), 62);
    EXPECT_FLOAT_EQ(sub2->getValue(), 1.f);
    EXPECT_EQ(sub2->getCurrent(), 1);
    EXPECT_EQ(log.str(), "begin 6, changed 62 1, end 6");
    EXPECT_EQ(frame->getFocusView(), nullptr);
    // Opened under the control with the left button.
    EXPECT_EQ(presenter().lastPlacement().position, CPoint(40, 50));
    EXPECT_FALSE(presenter().lastPlacement().rightButton);

    // An entry of the top menu; StylePopup opens at the top edge; right-button tracking.
    log.clear();
    menu->setStyle(StylePopup);
    presenter().queueAnswer(0);
    frame->mouse(context, where, MouseRight);
    EXPECT_EQ(menu->getLastItemMenu(), menu);
    EXPECT_FLOAT_EQ(menu->getValue(), 0.f);
    EXPECT_EQ(menu->getCurrent(), 0);
    EXPECT_EQ(presenter().lastPlacement().position, CPoint(40, 30));
    EXPECT_TRUE(presenter().lastPlacement().rightButton);
    EXPECT_EQ(log.str(), "begin 6, changed 6 0, end 6");
}

TEST_F(NestedMenuTest, DismissingCallsNoListenerButClosesTheEdit)
{
    presenter().queueAnswer(-1);
    CPoint where(50, 40);
    frame->mouse(context, where, MouseLeft);
    EXPECT_EQ(menu->getLastResult(), -1);
    EXPECT_EQ(menu->getLastItemMenu(), nullptr);
    EXPECT_EQ(log.str(), "begin 6, end 6");
    EXPECT_EQ(frame->getFocusView(), nullptr);

    // Ids nobody owns are ignored.
    log.clear();
    presenter().queueAnswer(500);
    frame->mouse(context, where, MouseLeft);
    EXPECT_EQ(menu->getLastResult(), -1);
    EXPECT_EQ(log.str(), "begin 6, end 6");

    // The middle button opens nothing.
    log.clear();
    frame->mouse(context, where, MouseMiddle);
    EXPECT_EQ(presenter().popupCount(), 2);
    EXPECT_TRUE(log.events.empty());
}

TEST_F(NestedMenuTest, RemovingASubmenuEntryKeepsTheOthersPaired)
{
    // Dropping the first submenu's entry drops that submenu; "Sub2" still opens sub2.
    menu->removeEntry(4);
    EXPECT_EQ(menu->getNbSubMenus(), 1);
    EXPECT_EQ(menu->getSubMenu(0), sub2);
    PopupMenu tree;
    int32_t counter = 0;
    menu->buildPopupMenu(tree, counter);
    EXPECT_EQ(tree.items[4].text, "Sub2");
    EXPECT_EQ(tree.items[4].submenu->items.size(), 3u);
    int32_t index = -1;
    EXPECT_EQ(menu->findOwner(ScriptedMenuPresenter::findId(tree, {"Sub2", "blue"}), index), sub2);
    EXPECT_EQ(index, 2);

    // A menu that contains itself is not followed forever.
    menu->addEntry(menu, "Self");
    PopupMenu looped;
    counter = 0;
    EXPECT_TRUE(menu->buildPopupMenu(looped, counter));
    menu->removeAllEntry(); // gives the self-reference back
    EXPECT_EQ(menu->getNbSubMenus(), 0);
}

TEST_F(MenuTest, TheCurrentEntryIsDrawnWithoutItsNumber)
{
    auto* numbered = new COptionMenu(CRect(40, 60, 140, 80), nullptr, 0);
    numbered->setPrefixNumbers(3);
    numbered->addEntry("WWW");
    menu->addEntry("WWW");
    frame->addView(numbered);
    auto* empty = new COptionMenu(CRect(40, 90, 140, 110), nullptr, 0);
    frame->addView(empty);
    frame->paint();
    const CRect plain = frame->boxWhere(CRect(41, 31, 139, 49), whitish);
    const CRect skipped = frame->boxWhere(CRect(41, 61, 139, 79), whitish);
    ASSERT_FALSE(plain.isEmpty());
    EXPECT_EQ(skipped.width(), plain.width());
    EXPECT_EQ(skipped.left, plain.left);
    EXPECT_TRUE(frame->boxWhere(CRect(41, 91, 139, 109), whitish).isEmpty()); // no entry: no text
}

TEST_F(MenuTest, ButtonMenuDrawsOnlyItsBitmapAndStillOpens)
{
    auto* button = new CButtonMenu(CRect(200, 100, 240, 120), &listener, 10, nullptr, nullptr, StylePopup);
    button->addEntry("About");
    frame->addView(button);
    frame->setBackgroundColor(makeColor(10, 20, 30));
    frame->paint();
    EXPECT_EQ(frame->count(CRect(200, 100, 240, 120), 0x0a141e), 40 * 20);
    EXPECT_TRUE(button->isTypeOf("COptionMenu"));

    presenter().queueAnswer(0);
    CPoint where(210, 110);
    frame->mouse(context, where, MouseLeft);
    EXPECT_EQ(presenter().popupCount(), 1);
    EXPECT_EQ(log.str(), "begin 10, changed 10 0, end 10");
    frame->idle();
    EXPECT_EQ(frame->count(CRect(200, 100, 240, 120), 0x0a141e), 40 * 20);
}

} // namespace
