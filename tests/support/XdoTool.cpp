#include "XdoTool.h"

#include <atomic>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace test_support {

bool xdotool(const std::vector<std::string>& args, int settleMs)
{
    std::vector<std::string> copy = args;
    std::string program = "xdotool";
    std::vector<char*> argv;
    argv.push_back(&program[0]);
    for (std::string& a : copy)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawnp(&child, "xdotool", nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    waitpid(child, &status, 0);
    usleep(useconds_t(settleMs) * 1000);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool driveWhileIdling(const std::function<void()>& script, const std::function<void(int milliseconds)>& idleFor,
                      int settleMs)
{
    std::atomic<bool> finished(false);
    std::atomic<bool> idleReturned(false);
    bool leftOpen = false;
    std::thread driver([&]() {
        script();
        finished = true;
        for (int i = 0; i < 50 && !idleReturned; ++i)
            usleep(100000);
        while (!idleReturned) {
            leftOpen = true;
            xdotool({"key", "Escape"});
        }
    });
    while (!finished)
        idleFor(10);
    idleReturned = true;
    driver.join();
    idleFor(settleMs);
    return !leftOpen;
}

} // namespace test_support
