// editors-bench for the Windows DLL (run under Wine): N instances of the plug-in loaded as a
// host loads them, each editor opened in a window of its own; the working set each instance
// adds with its editor closed and with it open, and the time each editor takes to open (the
// first one, and the 2nd..Nth, which find the pictures already decoded), without and with its
// first full paint.
//
//   editors-bench-win PLUGIN.dll [instances (20)]
#include "PluginHost.h"

#include <windows.h>

// After windows.h, whose types it uses.
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

double workingSetMegabytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return 0.0;
    return double(counters.WorkingSetSize) / (1024.0 * 1024.0);
}

double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

void pumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: editors-bench-win PLUGIN.dll [instances (20)]\n");
        return 2;
    }
    const int n = argc > 2 ? std::max(2, std::atoi(argv[2])) : 20;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "EditorsBenchHost";
    RegisterClassA(&windowClass);

    std::vector<std::unique_ptr<vsthost::PluginHost>> hosts;
    auto load = [&]() {
        std::string error;
        hosts.push_back(vsthost::PluginHost::load(argv[1], error));
        if (!hosts.back()) {
            std::fprintf(stderr, "editors-bench-win: %s: %s\n", argv[1], error.c_str());
            std::exit(1);
        }
        hosts.back()->open();
    };
    // One instance first, so that what every process pays once is not counted per instance.
    load();
    const double base = workingSetMegabytes();
    for (int i = 1; i < n; ++i)
        load();
    const double closed = workingSetMegabytes();

    std::vector<HWND> windows;
    std::vector<double> openTimes, paintedTimes;
    double firstOpen = 0.0;
    for (int i = 0; i < n; ++i) {
        windows.push_back(CreateWindowExA(0, "EditorsBenchHost", "editor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 960,
                                          320, nullptr, nullptr, windowClass.hInstance, nullptr));
        pumpMessages();
        const auto start = std::chrono::steady_clock::now();
        hosts[size_t(i)]->dispatch(effEditOpen, 0, 0, windows.back());
        openTimes.push_back(millisecondsSince(start));
        // The first full paint, now rather than when the message loop comes to it.
        RedrawWindow(windows.back(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        paintedTimes.push_back(millisecondsSince(start));
        hosts[size_t(i)]->dispatch(effEditIdle);
        pumpMessages();
        if (i == 0)
            firstOpen = workingSetMegabytes();
    }
    const double open = workingSetMegabytes();
    for (size_t i = 0; i < hosts.size(); ++i) {
        hosts[i]->dispatch(effEditClose);
        DestroyWindow(windows[i]);
    }
    pumpMessages();
    hosts.clear();

    const std::vector<double> later(openTimes.begin() + 1, openTimes.end());
    std::printf("Windows DLL, %d instances:\n", n);
    std::printf("  working set per instance, editor closed:          %6.2f MB\n", (closed - base) / (n - 1));
    std::printf("  working set per additional open editor:           %6.2f MB\n", (open - firstOpen) / (n - 1));
    std::printf("  open time, first editor:                          %6.2f ms\n", openTimes.front());
    std::printf("  open time, 2nd..%dth editor: median %.2f ms, max %.2f ms\n", n, median(later),
                *std::max_element(later.begin(), later.end()));
    std::printf("  open and first full paint, 2nd..%dth editor: median %.2f ms\n", n,
                median(std::vector<double>(paintedTimes.begin() + 1, paintedTimes.end())));
    return 0;
}
