// The X11 layer's own connection, seen from inside: its errors never reach the process's error
// handler, a check counts only its own requests, and events that name no window do not pile
// up in its queue.
// (GoogleTest before Xlib, whose macros would otherwise rename its identifiers.)
#include <gtest/gtest.h>

#include "CFrame.h"
#include "x11/X11Frame.h"
#include "x11/X11SharedImage.h"

#include <X11/Xlib.h>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

using namespace VSTGUI;

int processErrors = 0;

int countingHandler(Display*, XErrorEvent*)
{
    ++processErrors;
    return 0;
}

constexpr Window kNoWindow = 0x1fffff0;

class X11ConnectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "runs under a virtual X display (xvfb-run)";
        host = XOpenDisplay(nullptr);
        ASSERT_NE(host, nullptr);
        parent = XCreateSimpleWindow(host, DefaultRootWindow(host), 0, 0, 60, 40, 0, 0, 0);
        XMapWindow(host, parent);
        XSync(host, False);
        previous = XSetErrorHandler(countingHandler);
        processErrors = 0;
    }

    void TearDown() override
    {
        XSetErrorHandler(previous);
        if (frame != nullptr)
            delete frame;
        XDestroyWindow(host, parent);
        XCloseDisplay(host);
    }

    X11Frame* openFrame()
    {
        frame = new CFrame(CRect(0, 0, 60, 40), reinterpret_cast<void*>(uintptr_t(parent)), nullptr);
        return dynamic_cast<X11Frame*>(frame->getPlatformFrame());
    }

    Display* host = nullptr;
    Window parent = 0;
    CFrame* frame = nullptr;
    XErrorHandler previous = nullptr;
};

TEST_F(X11ConnectionTest, ErrorsOfTheEditorsConnectionStayThereAndAreCountedByTheirOwnCheck)
{
    X11Frame* x11 = openFrame();
    ASSERT_NE(x11, nullptr);
    X11Display& display = *x11->getDisplay();
    // A failure before the check is not the check's; one inside it is.
    XMapWindow(display.get(), kNoWindow);
    unsigned long mark = display.nextRequest();
    XMapWindow(display.get(), x11->getXWindow());
    EXPECT_FALSE(display.failedSince(mark));
    mark = display.nextRequest();
    XMapWindow(display.get(), kNoWindow);
    EXPECT_TRUE(display.failedSince(mark));
    EXPECT_EQ(processErrors, 0) << "the editor's errors reached the process's handler";
    // Shared memory is not given up for an earlier, unrelated error.
    XMapWindow(display.get(), kNoWindow);
    cairo_surface_t* image = x11shared::createImage(x11->getDisplay(), 16, 16);
    EXPECT_NE(image, nullptr) << "no shared picture after an unrelated error";
    if (image != nullptr)
        cairo_surface_destroy(image);
    // The host's own errors still go to its handler.
    XMapWindow(host, kNoWindow);
    XSync(host, False);
    EXPECT_EQ(processErrors, 1);
}

TEST_F(X11ConnectionTest, AParentThatIsNoWindowIsRefusedWithItsReason)
{
    std::string reason;
    CFrame* windowless = new CFrame(CRect(0, 0, 60, 40), nullptr, nullptr);
    EXPECT_EQ(X11Frame::create(windowless, kNoWindow, 60, 40, &reason), nullptr);
    EXPECT_NE(reason.find(std::to_string(kNoWindow)), std::string::npos) << reason;
    delete windowless;
    EXPECT_EQ(processErrors, 0);
}

TEST_F(X11ConnectionTest, MappingNoticesAreTakenFromTheQueue)
{
    X11Frame* x11 = openFrame();
    ASSERT_NE(x11, nullptr);
    Display* d = x11->getDisplay()->get();
    x11->processEvents();
    // Another client sets the pointer's button mapping (to what it is): every client is told.
    unsigned char buttons[32];
    const int count = XGetPointerMapping(host, buttons, sizeof buttons);
    ASSERT_GT(count, 0);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(XSetPointerMapping(host, buttons, count), MappingSuccess);
    XSync(host, False);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (XEventsQueued(d, QueuedAfterReading) < 3 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_GE(XQLength(d), 3) << "the mapping notices did not come";
    x11->processEvents();
    EXPECT_EQ(XQLength(d), 0) << "events that name no window stay queued";
}

} // namespace
