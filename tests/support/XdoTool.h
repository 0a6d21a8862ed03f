// The real pointer and keyboard on a (virtual) X display, driven by xdotool while the test's
// main thread idles an editor as a host's event loop does. Nothing here waits for time: what
// follows an action waits for what the action shows (XObserver), each wait bounded.
#pragma once

#include "XObserver.h"

#include <functional>
#include <string>
#include <vector>

namespace test_support {

// Runs xdotool with args (on any thread) to its end, within 10 s. False when xdotool could not
// be run, failed or hung.
bool xdotool(const std::vector<std::string>& args);

// Runs script on a second thread while this one calls idleFor again and again (menus and
// dialogs run their own loops inside the editor's idle) until the script has finished. A menu
// or dialog that the script leaves open would hold the idle: it is sent Escape up to 20 times,
// 250 ms apart, and the answer is then false; one that stays open after that ends the test
// program with a message (it could only hang).
bool driveWhileIdling(const std::function<void()>& script, const std::function<void(int milliseconds)>& idleFor);

// A user's drag straight up from (x, y) on the screen: the press, then a move up by each of
// upBy in turn, each one waited for (up to 5 s) until the pixels of area in window show it, then
// the release unless held. False, with why set, when xdotool failed or a move did not show.
bool dragUp(XObserver& observer, Window window, const Area& area, int x, int y, const std::vector<int>& upBy,
            std::string& why, bool release = true);

} // namespace test_support
