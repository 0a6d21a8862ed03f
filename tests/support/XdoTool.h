// The real pointer and keyboard on a (virtual) X display, driven by xdotool while the test's
// main thread idles an editor as a host's event loop does.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace test_support {

// Runs xdotool with args (on any thread), then waits settleMs for the editor to answer. False
// when xdotool could not be run or failed.
bool xdotool(const std::vector<std::string>& args, int settleMs = 300);

// Runs script on a second thread while this one calls idleStep again and again (menus and
// dialogs run their own loops inside the editor's idle), then idles settleMs more. A menu or
// dialog that the script leaves open would hold the idle forever: it is dismissed with Escape,
// and the answer is then false.
bool driveWhileIdling(const std::function<void()>& script, const std::function<void(int milliseconds)>& idleFor,
                      int settleMs = 200);

} // namespace test_support
