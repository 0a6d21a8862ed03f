#include "XdoTool.h"

#include "ChildProcess.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace test_support {

bool xdotool(const std::vector<std::string>& args)
{
    std::vector<std::string> command{"xdotool"};
    command.insert(command.end(), args.begin(), args.end());
    return runToEnd(command, 10000) == 0;
}

bool driveWhileIdling(const std::function<void()>& script, const std::function<void(int milliseconds)>& idleFor)
{
    std::atomic<bool> finished(false);
    std::atomic<bool> idleReturned(false);
    bool leftOpen = false;
    std::thread driver([&]() {
        script();
        finished = true;
        // The idle running now returns within its 10 ms unless a menu or dialog holds it.
        if (waitUntil([&]() { return idleReturned.load(); }, std::chrono::seconds(2), 5))
            return;
        leftOpen = true;
        for (int i = 0; i < 20; ++i) {
            xdotool({"key", "Escape"});
            if (waitUntil([&]() { return idleReturned.load(); }, std::chrono::milliseconds(250), 5))
                return;
        }
        std::fprintf(stderr, "driveWhileIdling: a menu or dialog stayed open after 20 Escapes; giving up\n");
        std::fflush(stderr);
        std::_Exit(3);
    });
    while (!finished)
        idleFor(10);
    idleReturned = true;
    driver.join();
    return !leftOpen;
}

bool dragUp(XObserver& observer, Window window, const Area& area, int x, int y, const std::vector<int>& upBy,
            std::string& why, bool release)
{
    const std::string column = std::to_string(x);
    if (!xdotool({"mousemove", column, std::to_string(y), "mousedown", "1"})) {
        why = "xdotool could not press";
        return false;
    }
    int top = y;
    for (int by : upBy) {
        const std::vector<uint32_t> before = observer.grab(window, area);
        top -= by;
        if (!xdotool({"mousemove", column, std::to_string(top)})) {
            why = "xdotool could not move";
            return false;
        }
        if (!waitUntil([&]() { return observer.grab(window, area) != before; }, std::chrono::seconds(5), 5)) {
            why = "the move to y " + std::to_string(top) + " did not show within 5 s";
            xdotool({"mouseup", "1"});
            return false;
        }
    }
    if (release && !xdotool({"mouseup", "1"})) {
        why = "xdotool could not let go";
        return false;
    }
    return true;
}

} // namespace test_support
