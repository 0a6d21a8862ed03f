#include "ControlTestSupport.h"

#include "cairo/CairoFrame.h"

#include <cstdio>

namespace controls_test {

std::string EventLog::str() const
{
    std::string s;
    for (const std::string& e : events) {
        if (!s.empty())
            s += ", ";
        s += e;
    }
    return s;
}

int32_t EventLog::count(const std::string& prefix) const
{
    int32_t n = 0;
    for (const std::string& e : events)
        n += e.compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
    return n;
}

TestFrame::TestFrame(int32_t width, int32_t height, EventLog* log)
    : CFrame(CRect(0, 0, width, height), nullptr, nullptr), log(log)
{
}

void TestFrame::doIdleStuff()
{
    idles++;
    if (log != nullptr)
        log->add("idle");
    if (redrawOnIdle)
        idle();
}

void TestFrame::beginEdit(int32_t tag)
{
    if (log != nullptr)
        log->add("begin " + std::to_string(tag));
}

void TestFrame::endEdit(int32_t tag)
{
    if (log != nullptr)
        log->add("end " + std::to_string(tag));
}

void TestFrame::paint()
{
    CDrawContext* context = createDrawContext();
    drawRect(context, size);
    context->release();
}

uint32_t TestFrame::pixel(int32_t x, int32_t y) const
{
    return CairoFrame::of(const_cast<TestFrame*>(this))->pixel(x, y);
}

int32_t TestFrame::count(const CRect& r, uint32_t color) const
{
    int32_t n = 0;
    for (int32_t y = r.top; y < r.bottom; ++y)
        for (int32_t x = r.left; x < r.right; ++x)
            n += pixel(x, y) == color ? 1 : 0;
    return n;
}

CRect TestFrame::box(const CRect& r, uint32_t color) const
{
    return boxWhere(r, [color](uint32_t c) { return c == color; });
}

CRect TestFrame::boxWhere(const CRect& r, const std::function<bool(uint32_t)>& f) const
{
    CRect b(r.right, r.bottom, r.left, r.top);
    bool any = false;
    for (int32_t y = r.top; y < r.bottom; ++y)
        for (int32_t x = r.left; x < r.right; ++x)
            if (f(pixel(x, y))) {
                any = true;
                b.left = std::min(b.left, x);
                b.top = std::min(b.top, y);
                b.right = std::max(b.right, x + 1);
                b.bottom = std::max(b.bottom, y + 1);
            }
    return any ? b : CRect();
}

void RecordingListener::valueChanged(CDrawContext* context, CControl* control)
{
    (void)context;
    char text[64];
    std::snprintf(text, sizeof(text), "changed %d %.4g", int(control->getTag()), double(control->getValue()));
    if (log != nullptr)
        log->add(text);
    values.push_back(control->getValue());
    controls.push_back(control);
}

int32_t RecordingListener::controlModifierClicked(CDrawContext* context, CControl* control, int32_t buttons)
{
    (void)context;
    (void)control;
    if (log != nullptr)
        log->add("modifier " + std::to_string(buttons));
    return modifierAnswer;
}

CBitmap* makeBitmap(int32_t w, int32_t h, const std::function<uint32_t(int32_t, int32_t)>& f)
{
    std::vector<uint32_t> pixels(size_t(w) * size_t(h));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            pixels[size_t(y) * size_t(w) + size_t(x)] = f(x, y);
    return new CBitmap(w, h, pixels.data());
}

uint32_t frameColour(int32_t i)
{
    // Distinct, never white (the default key) and never black (the frames' background).
    return 0x010000u * uint32_t((i * 37) % 200 + 20) + 0x000100u * uint32_t((i * 11) % 200 + 30) +
        uint32_t(i % 250 + 1);
}

CBitmap* makeStrip(int32_t w, int32_t frameHeight, int32_t frames)
{
    return makeBitmap(w, frameHeight * frames,
                      [frameHeight](int32_t, int32_t y) { return frameColour(y / frameHeight); });
}

bool whitish(uint32_t c)
{
    return (c >> 16 & 0xff) > 200 && (c >> 8 & 0xff) > 200 && (c & 0xff) > 200;
}

bool reddish(uint32_t c)
{
    return (c >> 16 & 0xff) > 200 && (c >> 8 & 0xff) < 90 && (c & 0xff) < 90;
}

uint32_t rgb(const CColor& c)
{
    return uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | c.blue;
}

} // namespace controls_test
