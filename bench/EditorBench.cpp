// Cost of one editor idle (frame redraw of what is dirty, meters, read-out) on the Linux layer
// in its 923 x 278 window:
//  - meters moving: between idles (outside the timing) a block of loud, changing audio runs
//    through the effect, so the two output meters, the two over lamps and the gain-reduction
//    meter all take new values and are redrawn;
//  - nothing changing: no audio, the pointer over empty background.
// Both run once without a window (the picture only) and once in a real X11 window of a host
// (skipped without a display; run under xvfb-run), where the idle also sends what changed.
// The goal is under 0.2 ms per idle with the meters moving. The reference is one plain copy
// of a whole window picture (memcpy), so the results also read as ratios against it.
#include "CDrawContext.h"
#include "CFrame.h"
#include "CVSTEditor.h"
#include "HostCallbacks.h"
#include "PluginFactory.h"
#include "cairo/InputState.h"

#include <X11/Xlib.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// A host's top-level window on its own connection, for the editor to open in; one for the
// whole run, as a host keeps its window while the benchmark reopens the editor.
struct HostWindow {
    Display* display = XOpenDisplay(nullptr);
    Window window = 0;

    HostWindow()
    {
        if (display == nullptr)
            return;
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 923, 278, 0, 0, 0);
        XMapWindow(display, window);
        XSync(display, False);
    }
    ~HostWindow()
    {
        if (display == nullptr)
            return;
        XDestroyWindow(display, window);
        XCloseDisplay(display);
    }
    static HostWindow& shared()
    {
        static HostWindow window;
        return window;
    }
};

struct OpenEditor {
    CTarvelleVST* effect;
    CVSTEditor* editor;
    std::vector<float> left, right, outLeft, outRight;
    long t = 0;

    // parent: the host's window id, or null for no window.
    explicit OpenEditor(void* parent = nullptr)
    {
        // Preset folders in a throw-away place.
        setenv("XDG_DATA_HOME", "/tmp", 1);
        VSTGUI::InputState::current().position = VSTGUI::CPoint(460, 240);
        effect = static_cast<CTarvelleVST*>(createEffectInstance(test_support::quietHost));
        editor = static_cast<CVSTEditor*>(effect->getEditor());
        int none = 0;
        editor->open(parent != nullptr ? parent : &none);
        VSTGUI::CDrawContext* context = editor->getToolkitFrame()->createDrawContext();
        editor->getToolkitFrame()->draw(context);
        context->release();
        left.resize(1470);
        right.resize(1470);
        outLeft.resize(1470);
        outRight.resize(1470);
        editor->idle();
        editor->idle();
    }
    ~OpenEditor()
    {
        editor->close();
        delete effect;
    }
    // One 30th of a second of audio whose level swells and falls.
    void play()
    {
        for (size_t i = 0; i < left.size(); ++i, ++t) {
            const double s = double(t) / 44100.0;
            const double level = 0.4 + 1.2 * std::fabs(std::sin(M_PI * 0.7 * s));
            left[i] = float(level * std::sin(2 * M_PI * 110 * s));
            right[i] = float(0.9 * level * std::sin(2 * M_PI * 165 * s));
        }
        float* inputs[2] = {left.data(), right.data()};
        float* outputs[2] = {outLeft.data(), outRight.data()};
        effect->getAeffect()->processReplacing(effect->getAeffect(), inputs, outputs, int(left.size()));
    }
};

void IdleWithFiveMetersMoving(benchmark::State& state)
{
    OpenEditor open;
    for (auto _ : state) {
        state.PauseTiming();
        open.play();
        open.editor->updateMeters(); // the readings are in the meters; this idle draws them
        state.ResumeTiming();
        open.editor->idle();
    }
}
BENCHMARK(IdleWithFiveMetersMoving)->Unit(benchmark::kMicrosecond);

void IdleWithNothingChanging(benchmark::State& state)
{
    OpenEditor open;
    for (auto _ : state)
        open.editor->idle();
}
BENCHMARK(IdleWithNothingChanging)->Unit(benchmark::kMicrosecond);

void X11WindowIdleWithFiveMetersMoving(benchmark::State& state)
{
    HostWindow& host = HostWindow::shared();
    if (host.display == nullptr) {
        state.SkipWithError("no X display (run under xvfb-run)");
        return;
    }
    OpenEditor open(reinterpret_cast<void*>(uintptr_t(host.window)));
    for (auto _ : state) {
        state.PauseTiming();
        open.play();
        open.editor->updateMeters();
        XSync(host.display, False); // the server has taken the last idle's pictures
        state.ResumeTiming();
        open.editor->idle();
    }
}
BENCHMARK(X11WindowIdleWithFiveMetersMoving)->Unit(benchmark::kMicrosecond);

void X11WindowIdleWithNothingChanging(benchmark::State& state)
{
    HostWindow& host = HostWindow::shared();
    if (host.display == nullptr) {
        state.SkipWithError("no X display (run under xvfb-run)");
        return;
    }
    OpenEditor open(reinterpret_cast<void*>(uintptr_t(host.window)));
    for (auto _ : state)
        open.editor->idle();
}
BENCHMARK(X11WindowIdleWithNothingChanging)->Unit(benchmark::kMicrosecond);

void ReferenceCopyOfOneWindowPicture(benchmark::State& state)
{
    std::vector<uint32_t> from(size_t(923) * 278, 0x123456u);
    std::vector<uint32_t> to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * sizeof(uint32_t));
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(ReferenceCopyOfOneWindowPicture)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
