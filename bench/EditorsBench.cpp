// Many instances with their editors open in one process, as in a large session: the resident
// memory each instance adds with its editor closed and with it open, and the time each editor
// takes to open (the first one, and the 2nd..Nth, which find the pictures already decoded).
// By default the editors draw into their own pictures only; with --x11 (run under xvfb-run)
// each opens in a real X11 window of its own. One layer per process, so that what one run
// freed does not lower the other's figures.
//
//   editors-bench [instances] [--x11]   (default 20 instances)
#include "CDrawContext.h"
#include "CFrame.h"
#include "CVSTEditor.h"
#include "HostCallbacks.h"
#include "PluginFactory.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace {

double residentMegabytes()
{
    long pages = 0, resident = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (f == nullptr)
        return 0.0;
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
        resident = 0;
    std::fclose(f);
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

struct Run {
    double closedPerInstance;
    double openPerEditor;
    double firstOpen;
    double laterOpenMedian;
    double laterOpenMax;
    double laterPaintedMedian;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// Opens n editors (in windows of the display when there is one), each drawn once.
Run measure(int n, Display* display)
{
    std::vector<CTarvelleVST*> effects;
    std::vector<Window> windows;
    std::vector<double> openTimes, paintedTimes;
    int none = 0;
    // One instance first, so that what every process pays once is not counted per instance.
    effects.push_back(static_cast<CTarvelleVST*>(createEffectInstance(test_support::quietHost)));
    const double base = residentMegabytes();
    for (int i = 1; i < n; ++i)
        effects.push_back(static_cast<CTarvelleVST*>(createEffectInstance(test_support::quietHost)));
    const double closed = residentMegabytes();
    double firstOpenRss = 0.0;
    for (int i = 0; i < n; ++i) {
        void* parent = &none;
        if (display != nullptr) {
            windows.push_back(XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 923, 278, 0, 0, 0));
            XMapWindow(display, windows.back());
            XSync(display, False);
            parent = reinterpret_cast<void*>(uintptr_t(windows.back()));
        }
        auto* editor = static_cast<CVSTEditor*>(effects[size_t(i)]->getEditor());
        const auto start = std::chrono::steady_clock::now();
        editor->open(parent);
        openTimes.push_back(millisecondsSince(start));
        VSTGUI::CDrawContext* context = editor->getToolkitFrame()->createDrawContext();
        editor->getToolkitFrame()->draw(context);
        context->release();
        paintedTimes.push_back(millisecondsSince(start));
        editor->idle();
        if (i == 0)
            firstOpenRss = residentMegabytes();
    }
    if (display != nullptr)
        XSync(display, False);
    const double open = residentMegabytes();
    for (CTarvelleVST* effect : effects) {
        effect->getEditor()->close();
        delete effect;
    }
    if (display != nullptr) {
        for (Window w : windows)
            XDestroyWindow(display, w);
        XSync(display, False);
    }
    Run run{};
    run.closedPerInstance = n > 1 ? (closed - base) / (n - 1) : 0.0;
    run.openPerEditor = n > 1 ? (open - firstOpenRss) / (n - 1) : 0.0;
    run.firstOpen = openTimes.front();
    std::vector<double> later(openTimes.begin() + 1, openTimes.end());
    std::sort(later.begin(), later.end());
    run.laterOpenMedian = later.empty() ? 0.0 : later[later.size() / 2];
    run.laterOpenMax = later.empty() ? 0.0 : later.back();
    run.laterPaintedMedian = median(std::vector<double>(paintedTimes.begin() + 1, paintedTimes.end()));
    return run;
}

void report(const char* where, int n, const Run& run)
{
    std::printf("%s, %d instances:\n", where, n);
    std::printf("  resident memory per instance, editor closed:      %6.2f MB\n", run.closedPerInstance);
    std::printf("  resident memory per additional open editor:       %6.2f MB\n", run.openPerEditor);
    std::printf("  open time, first editor:                          %6.2f ms\n", run.firstOpen);
    std::printf("  open time, 2nd..%dth editor: median %.2f ms, max %.2f ms\n", n, run.laterOpenMedian,
                run.laterOpenMax);
    std::printf("  open and first full draw, 2nd..%dth editor: median %.2f ms\n", n, run.laterPaintedMedian);
}

} // namespace

int main(int argc, char** argv)
{
    int n = 20;
    bool x11 = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--x11") == 0)
            x11 = true;
        else
            n = std::max(2, std::atoi(argv[i]));
    }
    setenv("XDG_DATA_HOME", "/tmp", 1); // preset folders in a throw-away place
    if (!x11) {
        report("No window (pictures only)", n, measure(n, nullptr));
        return 0;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "editors-bench --x11: no X display (run under xvfb-run)\n");
        return 1;
    }
    report("X11 windows", n, measure(n, display));
    XCloseDisplay(display);
    return 0;
}
