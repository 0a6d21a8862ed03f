// Cost of the frame's idle on the Cairo layer, in the editor's window size (923 x 278):
//  - nothing dirty: should cost next to nothing;
//  - one 29 x 127 view dirty: redraws and copies only that rectangle;
//  - the whole frame dirty: redraws everything.
// The reference is one plain copy of a whole window picture (memcpy), so the results read as
// ratios against it.
#include "CBitmap.h"
#include "CDrawContext.h"
#include "CFrame.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

using namespace VSTGUI;

namespace {

constexpr int32_t kWidth = 923;
constexpr int32_t kHeight = 278;

// A view that paints a bitmap strip and an outline, like a knob or a meter.
class StripView : public CView {
public:
    StripView(const CRect& size, CBitmap* strip) : CView(size) { setBackground(strip); }
    void draw(CDrawContext* context) override
    {
        if (background != nullptr)
            background->draw(context, size, CPoint(0, 0));
        context->setFrameColor(colorWhite);
        context->drawRect(size, kDrawOutline);
        setDirty(false);
    }
};

struct Scene {
    CFrame* frame;
    CView* small;
    Scene()
    {
        frame = new CFrame(CRect(0, 0, kWidth, kHeight), nullptr, nullptr);
        CBitmap* background = new CBitmap(900);
        frame->setBackground(background);
        background->release();
        CBitmap* strip = new CBitmap(902);
        small = nullptr;
        for (int32_t i = 0; i < 24; ++i) {
            const int32_t x = 10 + (i % 12) * 75;
            const int32_t y = 10 + (i / 12) * 135;
            CView* v = new StripView(CRect(x, y, x + 29, y + 127), strip);
            frame->addView(v);
            if (small == nullptr)
                small = v;
        }
        strip->release();
        CDrawContext* c = frame->createDrawContext();
        frame->draw(c);
        c->release();
    }
    ~Scene() { delete frame; }
};

void IdleNothingDirty(benchmark::State& state)
{
    Scene scene;
    for (auto _ : state)
        scene.frame->idle();
}
BENCHMARK(IdleNothingDirty);

void IdleOneSmallViewDirty(benchmark::State& state)
{
    Scene scene;
    for (auto _ : state) {
        scene.small->setDirty(true);
        scene.frame->idle();
    }
}
BENCHMARK(IdleOneSmallViewDirty);

void IdleWholeFrameDirty(benchmark::State& state)
{
    Scene scene;
    for (auto _ : state) {
        scene.frame->setDirty(true);
        scene.frame->idle();
    }
}
BENCHMARK(IdleWholeFrameDirty);

void ReferenceCopyOfOneWindowPicture(benchmark::State& state)
{
    std::vector<uint32_t> from(size_t(kWidth) * kHeight, 0x123456u);
    std::vector<uint32_t> to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * sizeof(uint32_t));
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(ReferenceCopyOfOneWindowPicture);

} // namespace

BENCHMARK_MAIN();
