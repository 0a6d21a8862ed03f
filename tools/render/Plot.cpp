#include "Plot.h"

#include "RenderError.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace render {

namespace {

constexpr int width = 1400;
constexpr int height = 860;
constexpr double left = 80, right = 24;
constexpr double plotWidth = width - left - right;

struct Panel {
    double top, height;
};

void text(cairo_t* cr, double x, double y, const std::string& s, double size = 12, bool bold = false,
          double alignX = 0.0)
{
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, s.c_str(), &extents);
    cairo_move_to(cr, x - alignX * extents.x_advance, y);
    cairo_show_text(cr, s.c_str());
}

std::string format(const char* pattern, double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, pattern, value);
    return buffer;
}

// A tick step of 1, 2 or 5 times a power of ten giving about `count` ticks over `span`.
double niceStep(double span, int count)
{
    const double raw = span / count;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * power >= raw)
            return m * power;
    }
    return 10.0 * power;
}

void frame(cairo_t* cr, const Panel& p, const std::string& title)
{
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_rectangle(cr, left, p.top, plotWidth, p.height);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    text(cr, left, p.top - 8, title, 13, true);
}

void border(cairo_t* cr, const Panel& p)
{
    cairo_set_source_rgb(cr, 0.3, 0.3, 0.3);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, left + 0.5, p.top + 0.5, plotWidth - 1, p.height - 1);
    cairo_stroke(cr);
}

void timeGrid(cairo_t* cr, const Panel& p, double seconds, bool labels)
{
    const double step = niceStep(std::max(seconds, 1e-3), 10);
    cairo_set_line_width(cr, 1);
    for (double t = 0; t <= seconds + 1e-9; t += step) {
        const double x = std::floor(left + t / seconds * plotWidth) + 0.5;
        cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
        cairo_move_to(cr, x, p.top);
        cairo_line_to(cr, x, p.top + p.height);
        cairo_stroke(cr);
        if (labels) {
            cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
            text(cr, x, p.top + p.height + 16, format(step < 0.1 ? "%.2f s" : (step < 1 ? "%.1f s" : "%.0f s"), t), 11,
                 false, 0.5);
        }
    }
}

// Waveform panel: amplitude axis -scale..scale with lines at full scale.
void waveform(cairo_t* cr, const Panel& p, const Envelope& e, int64_t frames, double seconds, double scale,
              const std::string& title)
{
    frame(cr, p, title);
    timeGrid(cr, p, seconds, false);
    auto yOf = [&](double v) { return p.top + p.height * 0.5 * (1.0 - v / scale); };
    cairo_set_line_width(cr, 1);
    for (double v : {-1.0, -0.5, 0.0, 0.5, 1.0}) {
        const double y = std::floor(yOf(v)) + 0.5;
        if (std::fabs(v) == 1.0)
            cairo_set_source_rgb(cr, 0.85, 0.3, 0.3);
        else
            cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
        cairo_move_to(cr, left, y);
        cairo_line_to(cr, left + plotWidth, y);
        cairo_stroke(cr);
        cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
        text(cr, left - 6, y + 4, format("%+.1f", v), 10, false, 1.0);
    }
    const double colors[2][4] = {{0.12, 0.35, 0.75, 0.75}, {0.9, 0.5, 0.1, 0.55}};
    const size_t bins = e.low[0].size();
    for (int c = 0; c < 2; ++c) {
        cairo_set_source_rgba(cr, colors[c][0], colors[c][1], colors[c][2], colors[c][3]);
        // One vertical stroke per pixel column, from the bins that fall into it.
        for (int column = 0; column < static_cast<int>(plotWidth); ++column) {
            const int64_t f0 = frames * column / static_cast<int64_t>(plotWidth);
            const int64_t f1 = std::max(f0 + 1, frames * (column + 1) / static_cast<int64_t>(plotWidth));
            size_t b0 = static_cast<size_t>(f0 / e.binFrames), b1 = static_cast<size_t>((f1 - 1) / e.binFrames);
            if (b0 >= bins)
                break;
            b1 = std::min(b1, bins - 1);
            float low = e.low[c][b0], high = e.high[c][b0];
            for (size_t b = b0 + 1; b <= b1; ++b) {
                low = std::min(low, e.low[c][b]);
                high = std::max(high, e.high[c][b]);
            }
            const double x = left + column + 0.5;
            const double y0 = std::max(p.top, yOf(high)), y1 = std::min(p.top + p.height, yOf(low));
            cairo_move_to(cr, x, y0);
            cairo_line_to(cr, x, std::max(y1, y0 + 1));
        }
        cairo_stroke(cr);
    }
    border(cr, p);
}

} // namespace

namespace {

void drawPlot(const std::string& path, const LevelTrace& trace, const PlotText& labels)
{
    std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)> surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height), cairo_surface_destroy);
    std::unique_ptr<cairo_t, void (*)(cairo_t*)> context(cairo_create(surface.get()), cairo_destroy);
    cairo_t* cr = context.get();
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS)
        throw RenderError("cannot draw the plot: " + std::string(cairo_status_to_string(cairo_status(cr))));

    cairo_set_source_rgb(cr, 0.95, 0.95, 0.94);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0.05, 0.05, 0.05);
    text(cr, left, 28, labels.title, 16, true);
    cairo_set_source_rgb(cr, 0.3, 0.3, 0.3);
    text(cr, left, 48, labels.detail, 12);

    const int64_t frames = trace.frames();
    const double seconds = static_cast<double>(frames) / trace.rate();

    // The amplitude scale covers the larger peak of both signals, at least full scale.
    double peak = 1.0;
    for (const Envelope* e : {&trace.inputEnvelope(), &trace.outputEnvelope()}) {
        for (int c = 0; c < 2; ++c) {
            for (float v : e->high[c])
                peak = std::max(peak, static_cast<double>(v));
            for (float v : e->low[c])
                peak = std::max(peak, -static_cast<double>(v));
        }
    }
    const double scale = std::ceil(peak * 1.05 * 4.0) / 4.0;

    const Panel input{80, 250}, output{370, 250}, reduction{660, 150};
    waveform(cr, input, trace.inputEnvelope(), frames, seconds, scale,
             "Input (blue left, orange right; red lines at 0 dBFS)");
    waveform(cr, output, trace.outputEnvelope(), frames, seconds, scale, "Output, aligned by the latency");

    // Gain reduction: 0 dB at the top, growing downwards.
    const std::vector<double> gr = trace.gainReductionDb();
    double most = 0.0;
    for (double g : gr)
        most = std::max(most, g);
    const double span = std::max(3.0, std::ceil(most * 1.1));
    frame(cr, reduction, "Gain reduction (input peak minus output peak per 10 ms)");
    timeGrid(cr, reduction, seconds, true);
    const double step = niceStep(span, 4);
    cairo_set_line_width(cr, 1);
    for (double d = 0; d <= span + 1e-9; d += step) {
        const double y = std::floor(reduction.top + d / span * reduction.height) + 0.5;
        cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
        cairo_move_to(cr, left, y);
        cairo_line_to(cr, left + plotWidth, y);
        cairo_stroke(cr);
        cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
        text(cr, left - 6, y + 4, format(d == 0 ? "0 dB" : "-%g dB", d), 10, false, 1.0);
    }
    cairo_set_source_rgb(cr, 0.75, 0.15, 0.15);
    cairo_set_line_width(cr, 1.5);
    bool drawing = false;
    const double windowSeconds = static_cast<double>(trace.windowFrames()) / trace.rate();
    for (size_t w = 0; w < gr.size(); ++w) {
        if (gr[w] < 0) {
            drawing = false;
            continue;
        }
        const double x = left + (w + 0.5) * windowSeconds / seconds * plotWidth;
        const double y = reduction.top + std::min(gr[w], span) / span * reduction.height;
        if (drawing)
            cairo_line_to(cr, x, y);
        else
            cairo_move_to(cr, x, y);
        drawing = true;
    }
    cairo_stroke(cr);
    border(cr, reduction);
    cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
    text(cr, left + plotWidth / 2, height - 12, "time", 12, false, 0.5);

    cairo_surface_flush(surface.get());
    const cairo_status_t status = cairo_surface_write_to_png(surface.get(), path.c_str());
    if (status != CAIRO_STATUS_SUCCESS)
        throw RenderError("cannot write plot '" + path + "': " + cairo_status_to_string(status));
}

} // namespace

void writePlot(const std::string& path, const LevelTrace& trace, const PlotText& labels)
{
    // Cairo and fontconfig keep font caches for the life of the process; the plot is drawn
    // once, so release them afterwards (the leak checker would otherwise report them).
    struct ReleaseCaches {
        ~ReleaseCaches()
        {
            cairo_debug_reset_static_data();
            FcFini();
        }
    } release;
    drawPlot(path, trace, labels);
}

} // namespace render
