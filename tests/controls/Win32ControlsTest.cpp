// The controls on the Windows layer under Wine: the control scene painted into a real window
// equals the Linux rendering outside text, and a real pop-up menu with a submenu is operated
// with the keys a person would press (and by posting the menu command).
#include "CDrawContext.h"
#include "CFrame.h"
#include "ControlsScene.h"
#include "SceneImage.h"
#include "Win32MenuPresenter.h"
#include "Win32TestSupport.h"
#include "controls/COptionMenu.h"

#include <gtest/gtest.h>

#include <vector>

using namespace VSTGUI;
using namespace win32_test;

namespace {

scene::Image renderScene()
{
    HostWindow host(controls_scene::kWidth, controls_scene::kHeight);
    auto* frame = new CFrame(CRect(0, 0, controls_scene::kWidth, controls_scene::kHeight), host.get(), nullptr);
    controls_scene::build(frame);
    HWND window = static_cast<HWND>(frame->getWindow());
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    pumpMessages();
    EXPECT_FALSE(frame->isFirstDraw()) << "the window was not painted";
    controls_scene::change(frame);
    frame->idle();
    frame->idle();
    scene::Image image = readWindow(window);
    delete frame;
    return image;
}

struct Choice : CControlListener {
    void valueChanged(CDrawContext*, CControl* control) override
    {
        controls.push_back(control);
        values.push_back(control->getValue());
    }
    std::vector<CControl*> controls;
    std::vector<float> values;
};

// What the timer does while the menu is open: one action per tick.
struct Script {
    HWND window = nullptr;
    std::vector<UINT> keys; // virtual keys posted one per tick
    WPARAM command = 0;     // or: the menu command posted, then the menu closed
    bool useCommand = false;
    size_t next = 0;
    int ticks = 0;
};
Script script;

void CALLBACK onTick(HWND, UINT, UINT_PTR, DWORD)
{
    script.ticks++;
    if (script.ticks < 3)
        return; // let the menu come up
    if (script.useCommand) {
        if (script.next++ == 0) {
            PostMessageA(script.window, WM_COMMAND, script.command, 0);
            EndMenu();
        }
        return;
    }
    if (script.next < script.keys.size()) {
        const UINT key = script.keys[script.next++];
        PostMessageA(script.window, WM_KEYDOWN, key, 1);
        PostMessageA(script.window, WM_KEYUP, key, 0xC0000001);
    } else if (script.ticks > 60) {
        EndMenu(); // never hang the test
    }
}

// A frame with a menu A, Sub1 (one, two), Sub2 (red, green, blue); the menu is opened with a
// click and the script runs while it is up.
struct MenuScene {
    HostWindow host{200, 120};
    CFrame* frame = new CFrame(CRect(0, 0, 200, 120), host.get(), nullptr);
    Choice listener;
    COptionMenu* menu = new COptionMenu(CRect(20, 20, 120, 40), &listener, 6);
    COptionMenu* sub1 = new COptionMenu(CRect(), nullptr, 61);
    COptionMenu* sub2 = new COptionMenu(CRect(), nullptr, 62);

    MenuScene()
    {
        sub1->addEntry("one");
        sub1->addEntry("two");
        sub2->addEntry("red");
        sub2->addEntry("green");
        sub2->addEntry("blue");
        menu->addEntry("A");
        menu->addEntry(sub1, "Sub1");
        menu->addEntry(sub2, "Sub2");
        sub1->release();
        sub2->release();
        frame->addView(menu);
        UpdateWindow(static_cast<HWND>(frame->getWindow()));
        pumpMessages();
    }
    ~MenuScene() { delete frame; }

    void open()
    {
        script.window = static_cast<HWND>(frame->getWindow());
        script.next = 0;
        script.ticks = 0;
        const UINT_PTR timer = SetTimer(nullptr, 0, 40, onTick);
        CDrawContext* context = frame->createDrawContext();
        CPoint where(30, 30);
        frame->mouse(context, where, MouseLeft);
        context->release();
        KillTimer(nullptr, timer);
    }
};

} // namespace

TEST(Win32Controls, ScenePixelsMatchTheLinuxRendering)
{
    const scene::Image windows = renderScene();
    ASSERT_EQ(windows.width, controls_scene::kWidth);
    ASSERT_EQ(windows.height, controls_scene::kHeight);
    const std::string output = pathFromEnvironment("ORVANNE_CONTROLS_OUTPUT");
    if (!output.empty()) {
        EXPECT_TRUE(scene::writePpm(windows, output));
    }
    const std::string referencePath = pathFromEnvironment("ORVANNE_CONTROLS_REFERENCE");
    if (referencePath.empty())
        GTEST_SKIP() << "ORVANNE_CONTROLS_REFERENCE is not set";
    scene::Image linux;
    ASSERT_TRUE(scene::readPpm(referencePath, linux)) << "no reference rendering at " << referencePath;
    const scene::Comparison result = scene::compare(linux, windows, controls_scene::regions());
    EXPECT_TRUE(result.same) << result.report;
}

TEST(Win32Menu, KeysChooseAnEntryOfTheSecondSubmenu)
{
    MenuScene s;
    // Down to "A", "Sub1", "Sub2", Right opens it at "red", Down to "green", Return.
    script.useCommand = false;
    script.keys = {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN};
    s.open();
    ASSERT_EQ(s.listener.controls.size(), 1u) << "ticks " << script.ticks << ", keys sent " << script.next;
    EXPECT_EQ(s.listener.controls[0], s.sub2);
    EXPECT_FLOAT_EQ(s.listener.values[0], 1.f);
    EXPECT_EQ(s.menu->getLastItemMenu(), s.sub2);
    EXPECT_EQ(s.menu->getLastResult(), 3 + 2 + 1);
    EXPECT_EQ(s.frame->getFocusView(), nullptr);
}

TEST(Win32Menu, PostedCommandAndEscape)
{
    MenuScene s;
    script.useCommand = true;
    script.command = 3 + 1; // "two" of Sub1
    s.open();
    ASSERT_EQ(s.listener.controls.size(), 1u);
    EXPECT_EQ(s.listener.controls[0], s.sub1);
    EXPECT_FLOAT_EQ(s.listener.values[0], 1.f);

    script.useCommand = false;
    script.keys = {VK_DOWN, VK_ESCAPE};
    s.open();
    EXPECT_EQ(s.listener.controls.size(), 1u);
    EXPECT_EQ(s.menu->getLastResult(), -1);
}

TEST(Win32Menu, NativeMenuCarriesTheFlags)
{
    PopupMenu tree;
    tree.items.resize(4);
    tree.items[0].id = 0;
    tree.items[0].text = "checked";
    tree.items[0].flags = kMenuItemChecked;
    tree.items[1].flags = kMenuItemSeparator;
    tree.items[2].id = 2;
    tree.items[2].text = "grey";
    tree.items[2].flags = kMenuItemGrayed | kMenuItemColumnBreak;
    tree.items[3].text = "sub";
    tree.items[3].flags = kMenuItemPopup;
    tree.items[3].submenu = std::make_shared<PopupMenu>();
    tree.items[3].submenu->items.resize(1);
    tree.items[3].submenu->items[0].id = 4;
    tree.items[3].submenu->items[0].text = "title";
    tree.items[3].submenu->items[0].flags = kMenuItemDisabled;
    HMENU menu = Win32MenuPresenter::createMenu(tree);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 4);
    EXPECT_TRUE(GetMenuState(menu, 0, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(menu, 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_TRUE(GetMenuState(menu, 2, MF_BYPOSITION) & MF_GRAYED);
    EXPECT_TRUE(GetMenuState(menu, 2, MF_BYPOSITION) & MF_MENUBARBREAK);
    EXPECT_EQ(GetMenuItemID(menu, 2), 2u);
    HMENU sub = GetSubMenu(menu, 3);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(GetMenuItemID(sub, 0), 4u);
    EXPECT_TRUE(GetMenuState(sub, 0, MF_BYPOSITION) & MF_DISABLED);
    char text[32] = {};
    GetMenuStringA(menu, 3, text, sizeof(text), MF_BYPOSITION);
    EXPECT_STREQ(text, "sub");
    DestroyMenu(menu);
}
