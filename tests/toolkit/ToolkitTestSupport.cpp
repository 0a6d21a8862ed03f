#include "ToolkitTestSupport.h"

#include <cstring>

namespace toolkit_test {

Image::Image(int32_t width, int32_t height, uint32_t clear)
{
    surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_surface_flush(surface);
    for (int32_t y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface) +
                                                y * cairo_image_surface_get_stride(surface));
        for (int32_t x = 0; x < width; ++x)
            row[x] = 0xff000000u | clear;
    }
    cairo_surface_mark_dirty(surface);
}

Image::~Image()
{
    cairo_surface_destroy(surface);
}

uint32_t Image::pixel(int32_t x, int32_t y) const
{
    cairo_surface_flush(surface);
    const auto* row = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface) +
                                                        y * cairo_image_surface_get_stride(surface));
    return row[x] & 0x00ffffffu;
}

int32_t Image::count(const CRect& r, uint32_t color) const
{
    int32_t n = 0;
    for (int32_t y = r.top; y < r.bottom; ++y)
        for (int32_t x = r.left; x < r.right; ++x)
            if (pixel(x, y) == color)
                n++;
    return n;
}

uint32_t rgb(const CColor& c)
{
    return (uint32_t(c.red) << 16) | (uint32_t(c.green) << 8) | c.blue;
}

uint32_t framePixel(CFrame* frame, int32_t x, int32_t y)
{
    return CairoFrame::of(frame)->pixel(x, y);
}

ProbeView::ProbeView(const CRect& size, std::vector<std::string>* log, const char* name, CColor color)
    : CView(size), log(log), name(name), color(color)
{
}

ProbeView::~ProbeView()
{
    if (destroyed != nullptr)
        *destroyed = true;
}

void ProbeView::draw(CDrawContext* context)
{
    draws++;
    context->setFillColor(color);
    context->drawRect(size, kDrawFilled);
    if (log != nullptr)
        log->push_back("draw " + name);
    setDirty(false);
}

void ProbeView::mouse(CDrawContext*, CPoint& where, int32_t buttons)
{
    lastWhere = where;
    lastButtons = buttons;
    if (log != nullptr)
        log->push_back("mouse " + name + " " + std::to_string(where.h) + "," + std::to_string(where.v));
}

bool ProbeView::onWheel(CDrawContext*, const CPoint& where, float distance)
{
    lastWhere = where;
    if (log != nullptr)
        log->push_back("wheel " + name + " " + std::to_string(where.h) + "," + std::to_string(where.v) + " " +
                       std::to_string(int(distance)));
    return wheelResult;
}

int32_t ProbeView::onKeyDown(VstKeyCode&)
{
    if (log != nullptr)
        log->push_back("keydown " + name);
    return keyResult;
}

int32_t ProbeView::onKeyUp(VstKeyCode&)
{
    if (log != nullptr)
        log->push_back("keyup " + name);
    return keyResult;
}

void ProbeView::loseFocus(CDrawContext*)
{
    if (log != nullptr)
        log->push_back("losefocus " + name);
}

bool ProbeView::onDrop(CDrawContext*, CDragContainer*, const CPoint& where)
{
    if (log != nullptr)
        log->push_back("drop " + name + " " + std::to_string(where.h) + "," + std::to_string(where.v));
    return false;
}

void ProbeView::onDragEnter(CDrawContext*, CDragContainer*, const CPoint& where)
{
    if (log != nullptr)
        log->push_back("enter " + name + " " + std::to_string(where.h) + "," + std::to_string(where.v));
}

void ProbeView::onDragLeave(CDrawContext*, CDragContainer*, const CPoint&)
{
    if (log != nullptr)
        log->push_back("leave " + name);
}

void ProbeView::onDragMove(CDrawContext*, CDragContainer*, const CPoint& where)
{
    if (log != nullptr)
        log->push_back("move " + name + " " + std::to_string(where.h) + "," + std::to_string(where.v));
}

TestEffect::TestEffect() : AudioEffectX(test_support::recordingHostCallback, 1, 5)
{
    test_support::RecordingHost& host = test_support::recordingHost();
    host.reset();
    host.answers[audioMasterBeginEdit] = 1;
    host.answers[audioMasterEndEdit] = 1;
    host.answers[audioMasterIdle] = 1;
}

std::string joined(const std::vector<std::string>& log)
{
    std::string s;
    for (const std::string& e : log) {
        if (!s.empty())
            s += "|";
        s += e;
    }
    return s;
}

} // namespace toolkit_test
