// orvanne-artwork: draws every picture of the editor with Cairo and writes them into a folder
// as <id>.png (opaque RGB), optionally also as 24-bit uncompressed <id>.bmp.
//
//   usage: orvanne-artwork [--bmp] [--preview FILE] OUTPUT_FOLDER
//
// Style: a matte charcoal panel with a fine horizontal grain, light-grey engraved lettering
// (187, 187, 187, the colour of the editor's text), one amber accent for pointers, lamps and the
// gain-reduction needle; the output meters light green, yellow and red.
//
// Every control picture is made from the background: each frame starts with a copy of the panel
// under the control's rectangle, and only the moving part is drawn over it, so the controls sit
// seamlessly on the panel. Both level knobs share one film strip, so the panel under their two
// rectangles must be identical; the program checks that and fails otherwise.
//
// The output is deterministic: no clock, no unseeded randomness (the grain comes from a fixed
// linear congruential sequence), fonts from the machine's fontconfig (Liberation Sans).
#include "EditorLayout.h"
#include "PictureWriter.h"

#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
// The window and its control rectangles, as the editor lays them out.
using namespace layout;
constexpr int kWidth = kWindowWidth;
constexpr int kHeight = kWindowHeight;

// The LED column of each output meter, centred under its over lamp (x in meter coordinates).
constexpr double kMeterLeftColumn = 12.0;
constexpr double kMeterRightColumn = 15.0;

// Panel bands.
constexpr int kTopBarBottom = 22;
constexpr int kNamePlateTop = 214;

struct Rgb {
    double r, g, b;
};

constexpr Rgb kText{187 / 255.0, 187 / 255.0, 187 / 255.0};
constexpr Rgb kTextDim{120 / 255.0, 122 / 255.0, 126 / 255.0};
constexpr Rgb kAccent{1.0, 0.62, 0.20};
constexpr Rgb kAccentDeep{0.80, 0.38, 0.06};

void setColour(cairo_t* cr, Rgb c, double alpha = 1.0)
{
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

void setGrey(cairo_t* cr, double level, double alpha = 1.0)
{
    cairo_set_source_rgba(cr, level, level, level, alpha);
}

struct GradientStop {
    double offset, r, g, b, a;
};

// Fills (or strokes) the current path with a gradient running down from y0 to y1.
void paintDownwards(cairo_t* cr, double y0, double y1, std::initializer_list<GradientStop> stops, bool stroke = false)
{
    cairo_pattern_t* pattern = cairo_pattern_create_linear(0, y0, 0, y1);
    for (const GradientStop& stop : stops)
        cairo_pattern_add_color_stop_rgba(pattern, stop.offset, stop.r, stop.g, stop.b, stop.a);
    cairo_set_source(cr, pattern);
    if (stroke)
        cairo_stroke(cr);
    else
        cairo_fill(cr);
    cairo_pattern_destroy(pattern);
}

// Fixed-seed sequence for the panel grain.
struct Lcg {
    uint32_t state;
    double next()
    {
        state = state * 1664525u + 1013904223u;
        return double(state >> 8) / double(1u << 24);
    }
};

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
    cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
    cairo_arc(cr, x + r, y + r, r, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

// ---------------------------------------------------------------------------------------------
// Lettering

enum class Align { Left, Centre, Right };

struct Font {
    double size;
    bool bold;
    double tracking; // extra pixels between letters
};

constexpr Font kLabelFont{8.0, true, 1.2};
constexpr Font kScaleFont{7.5, false, 0.2};
constexpr Font kSmallFont{6.5, true, 0.9};

void selectFont(cairo_t* cr, const Font& font)
{
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL,
                           font.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, font.size);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

double textWidth(cairo_t* cr, const std::string& text, const Font& font)
{
    selectFont(cr, font);
    double width = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char glyph[2] = {text[i], 0};
        cairo_text_extents_t e;
        cairo_text_extents(cr, glyph, &e);
        width += e.x_advance;
        if (i + 1 < text.size())
            width += font.tracking;
    }
    return width;
}

void drawLetters(cairo_t* cr, const std::string& text, double x, double y, const Font& font)
{
    for (size_t i = 0; i < text.size(); ++i) {
        const char glyph[2] = {text[i], 0};
        cairo_text_extents_t e;
        cairo_text_extents(cr, glyph, &e);
        cairo_move_to(cr, x, y);
        cairo_show_text(cr, glyph);
        x += e.x_advance + font.tracking;
    }
}

// Text with its baseline at y; `engraved` adds the dark lip above and the faint light lip below
// that make lettering look cut into the panel.
void text(cairo_t* cr, const std::string& s, double x, double y, const Font& font, Align align, Rgb colour = kText,
          bool engraved = true, double alpha = 1.0)
{
    const double w = textWidth(cr, s, font);
    if (align == Align::Centre)
        x -= w / 2;
    else if (align == Align::Right)
        x -= w;
    if (engraved) {
        cairo_set_source_rgba(cr, 0, 0, 0, 0.75 * alpha);
        drawLetters(cr, s, x, y - 1, font);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.07 * alpha);
        drawLetters(cr, s, x, y + 1, font);
    }
    setColour(cr, colour, alpha);
    drawLetters(cr, s, x, y, font);
    cairo_new_path(cr); // show_text leaves a current point behind
}

// ---------------------------------------------------------------------------------------------
// Panel

// Tone of the panel row y: a soft vertical gradient with a fine brushed grain. It depends on y
// only, so equal rectangles at equal heights look the same everywhere.
double panelTone(int y, const std::vector<double>& grain)
{
    const double t = double(y) / kHeight;
    return 0.180 - 0.045 * t + grain[size_t(y)];
}

void drawPanelBase(cairo_t* cr)
{
    std::vector<double> grain(kHeight);
    Lcg lcg{0x4f52564eu};
    double smooth = 0;
    for (int y = 0; y < kHeight; ++y) {
        const double n = lcg.next() - 0.5;
        smooth = smooth * 0.35 + n * 0.65;
        grain[size_t(y)] = smooth * 0.012 + n * 0.006;
    }
    for (int y = 0; y < kHeight; ++y) {
        setGrey(cr, panelTone(y, grain));
        cairo_rectangle(cr, 0, y, kWidth, 1);
        cairo_fill(cr);
    }
    // A soft light from above on the main face.
    cairo_pattern_t* sheen = cairo_pattern_create_linear(0, kTopBarBottom, 0, kNamePlateTop);
    cairo_pattern_add_color_stop_rgba(sheen, 0, 1, 1, 1, 0.045);
    cairo_pattern_add_color_stop_rgba(sheen, 0.5, 1, 1, 1, 0.0);
    cairo_pattern_add_color_stop_rgba(sheen, 1, 0, 0, 0, 0.06);
    cairo_set_source(cr, sheen);
    cairo_rectangle(cr, 0, kTopBarBottom, kWidth, kNamePlateTop - kTopBarBottom);
    cairo_fill(cr);
    cairo_pattern_destroy(sheen);

    // Top bar: a darker recessed strip carrying the preset bar and the read-out.
    cairo_pattern_t* bar = cairo_pattern_create_linear(0, 0, 0, kTopBarBottom);
    cairo_pattern_add_color_stop_rgb(bar, 0, 0.085, 0.088, 0.095);
    cairo_pattern_add_color_stop_rgb(bar, 1, 0.110, 0.113, 0.120);
    cairo_set_source(cr, bar);
    cairo_rectangle(cr, 0, 0, kWidth, kTopBarBottom);
    cairo_fill(cr);
    cairo_pattern_destroy(bar);
    setGrey(cr, 0.0, 0.8);
    cairo_rectangle(cr, 0, kTopBarBottom, kWidth, 1);
    cairo_fill(cr);
    setGrey(cr, 1.0, 0.07);
    cairo_rectangle(cr, 0, kTopBarBottom + 1, kWidth, 1);
    cairo_fill(cr);

    // Name plate at the bottom: slightly darker, with an amber hairline on top.
    cairo_pattern_t* plate = cairo_pattern_create_linear(0, kNamePlateTop, 0, kHeight);
    cairo_pattern_add_color_stop_rgba(plate, 0, 0, 0, 0, 0.30);
    cairo_pattern_add_color_stop_rgba(plate, 1, 0, 0, 0, 0.45);
    cairo_set_source(cr, plate);
    cairo_rectangle(cr, 0, kNamePlateTop, kWidth, kHeight - kNamePlateTop);
    cairo_fill(cr);
    cairo_pattern_destroy(plate);
    setGrey(cr, 0.0, 0.7);
    cairo_rectangle(cr, 0, kNamePlateTop - 1, kWidth, 1);
    cairo_fill(cr);
    setColour(cr, kAccentDeep, 0.55);
    cairo_rectangle(cr, 0, kNamePlateTop, kWidth, 1);
    cairo_fill(cr);

    // Outer edge of the window: a thin dark frame.
    setGrey(cr, 0.0, 0.6);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, 0.5, 0.5, kWidth - 1, kHeight - 1);
    cairo_stroke(cr);

    // Section grooves between the input, metering and output sections.
    for (double x : {341.0, 584.0}) {
        cairo_pattern_t* fade = cairo_pattern_create_linear(0, 34, 0, 204);
        cairo_pattern_add_color_stop_rgba(fade, 0, 0, 0, 0, 0);
        cairo_pattern_add_color_stop_rgba(fade, 0.15, 0, 0, 0, 0.55);
        cairo_pattern_add_color_stop_rgba(fade, 0.85, 0, 0, 0, 0.55);
        cairo_pattern_add_color_stop_rgba(fade, 1, 0, 0, 0, 0);
        cairo_set_source(cr, fade);
        cairo_rectangle(cr, x, 34, 1, 170);
        cairo_fill(cr);
        cairo_pattern_destroy(fade);
        cairo_pattern_t* lit = cairo_pattern_create_linear(0, 34, 0, 204);
        cairo_pattern_add_color_stop_rgba(lit, 0, 1, 1, 1, 0);
        cairo_pattern_add_color_stop_rgba(lit, 0.15, 1, 1, 1, 0.06);
        cairo_pattern_add_color_stop_rgba(lit, 0.85, 1, 1, 1, 0.06);
        cairo_pattern_add_color_stop_rgba(lit, 1, 1, 1, 1, 0);
        cairo_set_source(cr, lit);
        cairo_rectangle(cr, x + 1, 34, 1, 170);
        cairo_fill(cr);
        cairo_pattern_destroy(lit);
    }
}

// A recess cut into the panel: dark fill, shadow on the top edge, light lip at the bottom.
void recess(cairo_t* cr, double x, double y, double w, double h, double radius, double fill)
{
    roundedRect(cr, x - 1, y - 1, w + 2, h + 2, radius + 1);
    paintDownwards(cr, y - 1, y + h + 1, {{0, 0, 0, 0, 0.8}, {1, 1, 1, 1, 0.12}});
    roundedRect(cr, x, y, w, h, radius);
    setGrey(cr, fill);
    cairo_fill(cr);
}

// A raised button cap.
void buttonCap(cairo_t* cr, double x, double y, double w, double h, bool pressed)
{
    roundedRect(cr, x, y, w, h, 2.5);
    setGrey(cr, 0.02);
    cairo_fill(cr);
    roundedRect(cr, x + 1, y + 1, w - 2, h - 2, 1.8);
    cairo_pattern_t* face = cairo_pattern_create_linear(0, y, 0, y + h);
    if (pressed) {
        cairo_pattern_add_color_stop_rgb(face, 0, 0.13, 0.135, 0.145);
        cairo_pattern_add_color_stop_rgb(face, 1, 0.19, 0.195, 0.205);
    } else {
        cairo_pattern_add_color_stop_rgb(face, 0, 0.29, 0.295, 0.31);
        cairo_pattern_add_color_stop_rgb(face, 1, 0.19, 0.195, 0.205);
    }
    cairo_set_source(cr, face);
    cairo_fill(cr);
    cairo_pattern_destroy(face);
    if (!pressed) {
        setGrey(cr, 1.0, 0.16);
        cairo_rectangle(cr, x + 2, y + 1, w - 4, 1);
        cairo_fill(cr);
    }
}

// ---------------------------------------------------------------------------------------------
// Knob geometry: value 0 at 225 degrees (lower left), 1 at -45 degrees (lower right), clockwise
// through the top; angles counter-clockwise from the positive x axis, screen y downwards.

double knobAngle(double value)
{
    return (225.0 - 270.0 * value) * kPi / 180.0;
}

void polar(double cx, double cy, double angle, double radius, double& x, double& y)
{
    x = cx + std::cos(angle) * radius;
    y = cy - std::sin(angle) * radius;
}

void radialLine(cairo_t* cr, double cx, double cy, double angle, double r0, double r1)
{
    double x, y;
    polar(cx, cy, angle, r0, x, y);
    cairo_move_to(cr, x, y);
    polar(cx, cy, angle, r1, x, y);
    cairo_line_to(cr, x, y);
}

// The scale ring printed around a level knob: ticks every 1 dB, long ticks every 5 dB and the
// numbers -20 ... +20 outside the knob's rectangle corners.
void drawLevelScaleAt(cairo_t* cr, double cx, double cy)
{
    // The track the value arc runs in.
    cairo_set_line_width(cr, 3.0);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_arc(cr, cx, cy, 40.5, -knobAngle(0.0), -knobAngle(1.0));
    setGrey(cr, 0.0, 0.55);
    cairo_stroke(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    for (int db = -20; db <= 20; ++db) {
        const double a = knobAngle((db + 20) / 40.0);
        const bool major = db % 5 == 0;
        cairo_set_line_width(cr, major ? 1.3 : 0.8);
        radialLine(cr, cx, cy, a, 44.0, major ? 49.0 : 46.5);
        setColour(cr, kText, major ? 0.9 : 0.45);
        cairo_stroke(cr);
    }
    for (int db = -20; db <= 20; db += 5) {
        const double a = knobAngle((db + 20) / 40.0);
        double x, y;
        polar(cx, cy, a, 58.5, x, y);
        char label[16];
        if (db > 0)
            std::snprintf(label, sizeof label, "+%d", db);
        else
            std::snprintf(label, sizeof label, "%d", db);
        const bool strong = db % 10 == 0;
        text(cr, label, x, y + 2.8, kScaleFont, Align::Centre, strong ? kText : kTextDim, false);
    }
}

// The scale is drawn once on its own layer and laid onto the panel at whole-pixel offsets, so
// both knobs get bit-identical scales (the knobs share one film strip).
void drawLevelScale(cairo_t* cr, const Box& knob)
{
    const int half = 80;
    cairo_surface_t* layer = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 2 * half, 2 * half);
    cairo_t* lc = cairo_create(layer);
    drawLevelScaleAt(lc, half, half);
    cairo_destroy(lc);
    cairo_set_source_surface(cr, layer, knob.left + knob.width() / 2 - half, knob.top + knob.height() / 2 - half);
    cairo_paint(cr);
    cairo_surface_destroy(layer);
}

// A machined knob: soft shadow, knurled skirt, dark anodised cap with a conical sheen, amber
// pointer line.
void drawKnobBody(cairo_t* cr, double cx, double cy, double radius, double angle, bool longPointer)
{
    // Shadow.
    cairo_pattern_t* shadow = cairo_pattern_create_radial(cx, cy + 3, radius * 0.7, cx, cy + 3, radius + 5);
    cairo_pattern_add_color_stop_rgba(shadow, 0, 0, 0, 0, 0.65);
    cairo_pattern_add_color_stop_rgba(shadow, 1, 0, 0, 0, 0);
    cairo_set_source(cr, shadow);
    cairo_arc(cr, cx, cy + 3, radius + 5, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(shadow);

    // Skirt.
    cairo_arc(cr, cx, cy, radius, 0, 2 * kPi);
    paintDownwards(cr, cy - radius, cy + radius,
                   {{0, 0.30, 0.305, 0.32, 1}, {0.5, 0.14, 0.145, 0.155, 1}, {1, 0.06, 0.062, 0.068, 1}});

    // Knurling, turning with the knob.
    const double capRadius = radius * 0.78;
    const int ridges = radius > 30 ? 60 : 36;
    cairo_set_line_width(cr, radius > 30 ? 1.1 : 1.0);
    for (int i = 0; i < ridges; ++i) {
        const double a = angle + 2 * kPi * i / ridges;
        // Ridges facing the light (upper left) are brighter.
        const double facing = std::cos(a - 2.2);
        radialLine(cr, cx, cy, a, capRadius + 1.0, radius - 0.6);
        setGrey(cr, facing > 0 ? 1.0 : 0.0, facing > 0 ? 0.05 + 0.10 * facing : 0.25 - 0.2 * facing);
        cairo_stroke(cr);
    }
    // Rim light.
    cairo_set_line_width(cr, 1.0);
    cairo_arc(cr, cx, cy, radius - 0.5, 0, 2 * kPi);
    paintDownwards(cr, cy - radius, cy + radius, {{0, 1, 1, 1, 0.30}, {0.55, 1, 1, 1, 0.0}, {1, 0, 0, 0, 0.5}}, true);

    // Cap: a step down from the skirt, then the spun face with a conical sheen (fixed to the
    // light, not to the knob).
    cairo_arc(cr, cx, cy, capRadius + 0.8, 0, 2 * kPi);
    setGrey(cr, 0.03, 0.9);
    cairo_fill(cr);
    const int wedges = 180;
    for (int i = 0; i < wedges; ++i) {
        const double a0 = 2 * kPi * i / wedges, a1 = 2 * kPi * (i + 1) / wedges + 0.004;
        const double mid = (a0 + a1) / 2;
        const double sheen = 0.5 + 0.5 * std::cos(2 * (mid - 2.25));
        const double level = 0.115 + 0.085 * sheen * sheen + 0.02 * std::sin(mid * 7.0);
        cairo_move_to(cr, cx, cy);
        cairo_arc(cr, cx, cy, capRadius, a0, a1);
        cairo_close_path(cr);
        setGrey(cr, level);
        cairo_fill(cr);
    }
    // Concentric spinning marks.
    cairo_set_line_width(cr, 0.5);
    for (double r = 2.0; r < capRadius; r += 1.6) {
        cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
        setGrey(cr, std::fmod(r * 7.3, 2.0) < 1.0 ? 1.0 : 0.0, 0.035);
        cairo_stroke(cr);
    }
    // Edge chamfer.
    cairo_set_line_width(cr, 1.2);
    cairo_arc(cr, cx, cy, capRadius - 0.6, 0, 2 * kPi);
    paintDownwards(cr, cy - capRadius, cy + capRadius, {{0, 1, 1, 1, 0.28}, {0.5, 1, 1, 1, 0.05}, {1, 0, 0, 0, 0.35}},
                   true);

    // Pointer: an amber line with a faint glow, from near the centre onto the skirt.
    const double inner = capRadius * (longPointer ? 0.30 : 0.25);
    const double outer = radius - 2.0;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, radius > 30 ? 5.0 : 4.0);
    radialLine(cr, cx, cy, angle, inner, outer);
    setColour(cr, kAccent, 0.18);
    cairo_stroke(cr);
    cairo_set_line_width(cr, radius > 30 ? 2.6 : 2.2);
    radialLine(cr, cx, cy, angle, inner, outer);
    setColour(cr, kAccent);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 0.8);
    radialLine(cr, cx, cy, angle, inner + 0.5, outer - 0.5);
    cairo_set_source_rgba(cr, 1, 0.93, 0.80, 0.7);
    cairo_stroke(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

// One frame of a level knob: the value arc from 0 dB to the value, then the knob.
void drawLevelKnob(cairo_t* cr, double cx, double cy, double value)
{
    const double a = knobAngle(value);
    if (std::fabs(value - 0.5) > 1e-9) {
        cairo_set_line_width(cr, 2.0);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        if (value > 0.5)
            cairo_arc(cr, cx, cy, 40.5, -kPi / 2, -a);
        else
            cairo_arc(cr, cx, cy, 40.5, -a, -kPi / 2);
        setColour(cr, kAccent, 0.85);
        cairo_stroke(cr);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    }
    cairo_arc(cr, cx, cy - 40.5, 1.2, 0, 2 * kPi);
    setColour(cr, kAccent, 0.9);
    cairo_fill(cr);
    drawKnobBody(cr, cx, cy, 34.0, a, true);
}

// ---------------------------------------------------------------------------------------------
// Recovery selector

const char* const kModeNames[5] = {"ULTRA-FAST", "FAST", "MEDIUM", "SLOW", "ULTRA-SLOW"};
constexpr double kSelectorDotRadius = 27.0;

double modeAngle(int mode)
{
    return knobAngle(mode / 4.0);
}

void drawSelectorScale(cairo_t* cr, const Box& knob)
{
    const double cx = knob.cx(), cy = knob.cy();
    for (int m = 0; m < 5; ++m) {
        double x, y;
        polar(cx, cy, modeAngle(m), kSelectorDotRadius, x, y);
        cairo_arc(cr, x, y, 2.0, 0, 2 * kPi);
        setGrey(cr, 0.0, 0.7);
        cairo_fill(cr);
        cairo_arc(cr, x, y + 0.4, 1.3, 0, 2 * kPi);
        setGrey(cr, 0.33);
        cairo_fill(cr);
    }
    const Font f = kSmallFont;
    const double lead = 8.0;
    // Lower left and lower right names take two lines to stay clear of their neighbours.
    double x, y;
    polar(cx, cy, modeAngle(0), kSelectorDotRadius + 5, x, y);
    text(cr, "ULTRA-", x + 2, y + 6, f, Align::Right);
    text(cr, "FAST", x + 2, y + 6 + lead, f, Align::Right);
    polar(cx, cy, modeAngle(1), kSelectorDotRadius + 5, x, y);
    text(cr, "FAST", x, y + 2.5, f, Align::Right);
    polar(cx, cy, modeAngle(2), kSelectorDotRadius + 5, x, y);
    text(cr, "MEDIUM", x, y - 1, f, Align::Centre);
    polar(cx, cy, modeAngle(3), kSelectorDotRadius + 5, x, y);
    text(cr, "SLOW", x, y + 2.5, f, Align::Left);
    polar(cx, cy, modeAngle(4), kSelectorDotRadius + 5, x, y);
    text(cr, "ULTRA-", x - 2, y + 6, f, Align::Left);
    text(cr, "SLOW", x - 2, y + 6 + lead, f, Align::Left);
}

void drawSelectorFrame(cairo_t* cr, double cx, double cy, int mode)
{
    double x, y;
    polar(cx, cy, modeAngle(mode), kSelectorDotRadius, x, y);
    cairo_pattern_t* glow = cairo_pattern_create_radial(x, y, 0, x, y, 5);
    cairo_pattern_add_color_stop_rgba(glow, 0, kAccent.r, kAccent.g, kAccent.b, 0.55);
    cairo_pattern_add_color_stop_rgba(glow, 1, kAccent.r, kAccent.g, kAccent.b, 0);
    cairo_set_source(cr, glow);
    cairo_arc(cr, x, y, 5, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(glow);
    cairo_arc(cr, x, y, 1.6, 0, 2 * kPi);
    setColour(cr, kAccent);
    cairo_fill(cr);
    drawKnobBody(cr, cx, cy, 21.0, modeAngle(mode), false);
}

// ---------------------------------------------------------------------------------------------
// Output meters: segment geometry shared by the lit and unlit pictures.

constexpr int kMeterLedPitch = 3;

// The fraction of the meter height lit for an output peak of `db` dBFS (the effect's reading is
// peak^0.24 raised by 0.5 dB).
double meterFraction(double db)
{
    return std::pow(10.0, (0.24 * db + 0.5) / 20.0);
}

Rgb ledColour(double fraction)
{
    // Red from about -4.5 dBFS, yellow from -12 dBFS, green below.
    if (fraction >= meterFraction(-4.5))
        return {1.0, 0.20, 0.14};
    if (fraction >= meterFraction(-12.0))
        return {1.0, 0.80, 0.16};
    return {0.30, 0.92, 0.36};
}

void drawMeterSlot(cairo_t* cr, const Box& meter, double column)
{
    recess(cr, meter.left + column - 7, meter.top, 14, meter.height(), 2.0, 0.035);
}

void drawMeterLeds(cairo_t* cr, const Box& meter, double column, bool lit)
{
    const double x0 = meter.left + column - 5;
    const double h = meter.height();
    for (int top = 2; top + 2 <= meter.height() - 1; top += kMeterLedPitch) {
        const double fraction = 1.0 - (top + 1.0) / h;
        const Rgb c = ledColour(fraction);
        const double y = meter.top + top;
        if (lit) {
            cairo_rectangle(cr, x0 - 1, y - 0.5, 12, 3);
            setColour(cr, c, 0.25);
            cairo_fill(cr);
            cairo_rectangle(cr, x0, y, 10, 2);
            setColour(cr, c);
            cairo_fill(cr);
            cairo_rectangle(cr, x0 + 1, y, 8, 1);
            cairo_set_source_rgba(cr, 1, 1, 1, 0.35);
            cairo_fill(cr);
        } else {
            cairo_rectangle(cr, x0, y, 10, 2);
            cairo_set_source_rgb(cr, 0.06 + c.r * 0.15, 0.06 + c.g * 0.15, 0.06 + c.b * 0.15);
            cairo_fill(cr);
        }
    }
}

void drawMeterScale(cairo_t* cr, const Box& meter, double column, bool numbersRight)
{
    const int marks[] = {3, 6, 10, 15, 20, 30, 40, 60};
    const double tickX = numbersRight ? meter.left + column + 9 : meter.left + column - 12;
    const double numberX = numbersRight ? meter.right + 14 : meter.left - 14;
    cairo_set_line_width(cr, 1.0);
    for (int db : marks) {
        const double y = std::floor(meter.top + (1.0 - meterFraction(-db)) * meter.height()) + 0.5;
        cairo_move_to(cr, tickX, y);
        cairo_line_to(cr, tickX + 3, y);
        setColour(cr, kText, 0.7);
        cairo_stroke(cr);
        char label[16];
        std::snprintf(label, sizeof label, "%d", db);
        text(cr, label, numberX, y + 2.7, kScaleFont, Align::Centre, kText, false, 0.9);
    }
    text(cr, "dB", numberX, meter.bottom + 1, kScaleFont, Align::Centre, kTextDim, false);
}

// Over indicator: level 0 dark, 5 fully lit.
void drawOverLamp(cairo_t* cr, const Box& lamp, int level)
{
    const double x = lamp.cx() - 8, y = lamp.top + 1.5, w = 16, h = 5;
    roundedRect(cr, x - 1, y - 1, w + 2, h + 2, 2);
    setGrey(cr, 0.0, 0.85);
    cairo_fill(cr);
    const double k = level / 5.0;
    if (level > 0) {
        cairo_pattern_t* glow = cairo_pattern_create_radial(lamp.cx(), lamp.cy(), 2, lamp.cx(), lamp.cy(), 15);
        cairo_pattern_add_color_stop_rgba(glow, 0, 1, 0.15, 0.1, 0.35 * k);
        cairo_pattern_add_color_stop_rgba(glow, 1, 1, 0.15, 0.1, 0);
        cairo_set_source(cr, glow);
        cairo_rectangle(cr, lamp.left, lamp.top, lamp.width(), lamp.height());
        cairo_fill(cr);
        cairo_pattern_destroy(glow);
    }
    roundedRect(cr, x, y, w, h, 1.5);
    cairo_set_source_rgb(cr, 0.16 + 0.84 * k, 0.03 + 0.17 * k * k, 0.03 + 0.11 * k * k);
    cairo_fill(cr);
    roundedRect(cr, x + 1, y + 0.5, w - 2, 1.5, 0.7);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.08 + 0.35 * k);
    cairo_fill(cr);
}

// ---------------------------------------------------------------------------------------------
// Gain-reduction meter: a needle over a dark face. The reading for a gain reduction of d dB is
// ((1 - 10^(-d/20)) * 1.025)^1.85 raised by 0.5 dB; frame i of the strip shows the reading i/100.

constexpr double kNeedleSpan = 50.0 * kPi / 180.0; // each side of vertical
constexpr double kPivotY = 64.0;                   // below the face, in meter coordinates
constexpr double kScaleRadius = 44.0;

double reductionReading(double db)
{
    const double reduction = 1.0 - std::pow(10.0, -db / 20.0);
    return std::min(1.0, std::pow(reduction * 1.025, 1.85) * std::pow(10.0, 1.0 / 40.0));
}

// Angle from vertical for a reading in [0, 1].
double needleAngle(double reading)
{
    return -kNeedleSpan + 2 * kNeedleSpan * reading;
}

void needlePoint(double angle, double radius, double& x, double& y)
{
    x = kReduction.left + kReduction.width() / 2.0 + std::sin(angle) * radius;
    y = kReduction.top + kPivotY - std::cos(angle) * radius;
}

void drawReductionShroud(cairo_t* cr);

void drawReductionFace(cairo_t* cr)
{
    const Box& b = kReduction;
    // Bezel around the face.
    recess(cr, b.left, b.top, b.width(), b.height(), 3.0, 0.04);
    cairo_save(cr);
    roundedRect(cr, b.left, b.top, b.width(), b.height(), 3.0);
    cairo_clip(cr);
    cairo_pattern_t* face = cairo_pattern_create_linear(0, b.top, 0, b.bottom);
    cairo_pattern_add_color_stop_rgb(face, 0, 0.075, 0.078, 0.085);
    cairo_pattern_add_color_stop_rgb(face, 1, 0.035, 0.036, 0.04);
    cairo_set_source(cr, face);
    cairo_paint(cr);
    cairo_pattern_destroy(face);
    // Scale arc and ticks.
    const double px = b.left + b.width() / 2.0, py = b.top + kPivotY;
    cairo_set_line_width(cr, 0.8);
    cairo_arc(cr, px, py, kScaleRadius, -kPi / 2 - kNeedleSpan, -kPi / 2 + kNeedleSpan);
    setColour(cr, kText, 0.45);
    cairo_stroke(cr);
    // Heavy reduction zone beyond 10 dB.
    cairo_set_line_width(cr, 2.0);
    cairo_arc(cr, px, py, kScaleRadius + 1.5, -kPi / 2 + needleAngle(reductionReading(10)), -kPi / 2 + kNeedleSpan);
    setColour(cr, kAccentDeep, 0.9);
    cairo_stroke(cr);
    const double minor[] = {1, 2, 4, 5, 8, 15};
    for (double db : minor) {
        const double a = needleAngle(reductionReading(db));
        double x0, y0, x1, y1;
        needlePoint(a, kScaleRadius, x0, y0);
        needlePoint(a, kScaleRadius + 3, x1, y1);
        cairo_move_to(cr, x0, y0);
        cairo_line_to(cr, x1, y1);
        cairo_set_line_width(cr, 0.8);
        setColour(cr, kText, 0.55);
        cairo_stroke(cr);
    }
    const int major[] = {0, 3, 6, 10, 20};
    for (int db : major) {
        const double a = needleAngle(reductionReading(db));
        double x0, y0, x1, y1;
        needlePoint(a, kScaleRadius - 1, x0, y0);
        needlePoint(a, kScaleRadius + 4.5, x1, y1);
        cairo_move_to(cr, x0, y0);
        cairo_line_to(cr, x1, y1);
        cairo_set_line_width(cr, 1.2);
        setColour(cr, kText, 0.95);
        cairo_stroke(cr);
        double tx, ty;
        needlePoint(a, kScaleRadius + 10, tx, ty);
        char label[16];
        std::snprintf(label, sizeof label, "%d", db);
        text(cr, label, tx, ty + 2.6, Font{7.0, true, 0.0}, Align::Centre, kText, false);
    }
    drawReductionShroud(cr);
    cairo_restore(cr);
}

// The cover along the bottom of the face that hides the needle's pivot.
void drawReductionShroud(cairo_t* cr)
{
    const Box& b = kReduction;
    const double top = b.bottom - 8;
    cairo_new_path(cr);
    cairo_rectangle(cr, b.left, top, b.width(), b.bottom - top);
    paintDownwards(cr, top, b.bottom, {{0, 0.15, 0.155, 0.165, 1}, {1, 0.08, 0.082, 0.088, 1}});
    setGrey(cr, 1.0, 0.12);
    cairo_rectangle(cr, b.left, top, b.width(), 1);
    cairo_fill(cr);
    text(cr, "dB", b.cx(), b.bottom - 1.5, Font{6.0, true, 0.8}, Align::Centre, kTextDim, false);
}

void drawReductionNeedle(cairo_t* cr, double reading)
{
    const Box& b = kReduction;
    cairo_save(cr);
    // Inside the face's outermost pixels, which stay exactly as the panel has them.
    roundedRect(cr, b.left + 1, b.top + 1, b.width() - 2, b.height() - 2, 2.0);
    cairo_clip(cr);
    const double a = needleAngle(reading);
    double x0, y0, x1, y1;
    needlePoint(a, 16, x0, y0);
    needlePoint(a, kScaleRadius + 5, x1, y1);
    // Shadow on the face, then the needle.
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, x0 + 1.2, y0 + 1.5);
    cairo_line_to(cr, x1 + 1.2, y1 + 1.5);
    cairo_set_line_width(cr, 2.0);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
    cairo_stroke(cr);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_set_line_width(cr, 3.0);
    setColour(cr, kAccent, 0.15);
    cairo_stroke(cr);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_set_line_width(cr, 1.3);
    setColour(cr, kAccent);
    cairo_stroke(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    drawReductionShroud(cr);
    // Glass reflection.
    cairo_pattern_t* glass = cairo_pattern_create_linear(0, b.top, 0, b.top + b.height() * 0.55);
    cairo_pattern_add_color_stop_rgba(glass, 0, 1, 1, 1, 0.07);
    cairo_pattern_add_color_stop_rgba(glass, 1, 1, 1, 1, 0.0);
    cairo_set_source(cr, glass);
    cairo_rectangle(cr, b.left, b.top, b.width(), b.height() * 0.55);
    cairo_fill(cr);
    cairo_restore(cr);
}

// ---------------------------------------------------------------------------------------------
// Power: toggle switch (up while processing, down for bypass) and its jewel lamp.

void drawToggle(cairo_t* cr, const Box& box, bool up)
{
    const double cx = box.cx(), cy = box.cy();
    // Mounting plate.
    roundedRect(cr, box.left + 3, box.top + 2, box.width() - 6, box.height() - 4, 4);
    cairo_pattern_t* plate = cairo_pattern_create_linear(0, box.top, 0, box.bottom);
    cairo_pattern_add_color_stop_rgb(plate, 0, 0.25, 0.255, 0.27);
    cairo_pattern_add_color_stop_rgb(plate, 1, 0.12, 0.125, 0.135);
    cairo_set_source(cr, plate);
    cairo_fill_preserve(cr);
    setGrey(cr, 0.0, 0.8);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    // Hex nut and bushing.
    cairo_new_path(cr);
    for (int i = 0; i < 6; ++i) {
        const double a = kPi / 6 + i * kPi / 3;
        cairo_line_to(cr, cx + 9 * std::cos(a), cy + 9 * std::sin(a));
    }
    cairo_close_path(cr);
    cairo_pattern_t* nut = cairo_pattern_create_linear(cx - 9, cy - 9, cx + 9, cy + 9);
    cairo_pattern_add_color_stop_rgb(nut, 0, 0.62, 0.63, 0.65);
    cairo_pattern_add_color_stop_rgb(nut, 1, 0.25, 0.255, 0.27);
    cairo_set_source(cr, nut);
    cairo_fill(cr);
    cairo_arc(cr, cx, cy, 5.5, 0, 2 * kPi);
    setGrey(cr, 0.05);
    cairo_fill(cr);
    // Lever: a tapered bat seen from the front, with a rounded tip.
    const double dir = up ? -1.0 : 1.0;
    const double tipY = cy + dir * 16.0;
    cairo_move_to(cr, cx - 3.0, cy);
    cairo_line_to(cr, cx - 2.2, tipY);
    cairo_line_to(cr, cx + 2.2, tipY);
    cairo_line_to(cr, cx + 3.0, cy);
    cairo_close_path(cr);
    cairo_pattern_t* lever = cairo_pattern_create_linear(cx - 3, 0, cx + 3, 0);
    cairo_pattern_add_color_stop_rgb(lever, 0, 0.45, 0.46, 0.48);
    cairo_pattern_add_color_stop_rgb(lever, 0.4, 0.92, 0.93, 0.95);
    cairo_pattern_add_color_stop_rgb(lever, 1, 0.35, 0.36, 0.38);
    cairo_set_source(cr, lever);
    cairo_fill(cr);
    cairo_arc(cr, cx, tipY, 3.6, 0, 2 * kPi);
    cairo_pattern_t* tip = cairo_pattern_create_radial(cx - 1.2, tipY - 1.2, 0.3, cx, tipY, 3.6);
    cairo_pattern_add_color_stop_rgb(tip, 0, 1, 1, 1);
    cairo_pattern_add_color_stop_rgb(tip, 1, 0.40, 0.41, 0.43);
    cairo_set_source(cr, tip);
    cairo_fill(cr);
    // The lever's shadow on the plate, on the side away from the light.
    cairo_arc(cr, cx, cy, 3.2, 0, 2 * kPi);
    setGrey(cr, 0.0, 0.5);
    cairo_fill(cr);
}

void drawLamp(cairo_t* cr, const Box& box, bool lit)
{
    const double cx = box.cx(), cy = box.cy();
    if (lit) {
        cairo_pattern_t* glow = cairo_pattern_create_radial(cx, cy, 8, cx, cy, 17.5);
        cairo_pattern_add_color_stop_rgba(glow, 0, kAccent.r, kAccent.g, kAccent.b, 0.35);
        cairo_pattern_add_color_stop_rgba(glow, 1, kAccent.r, kAccent.g, kAccent.b, 0);
        cairo_set_source(cr, glow);
        cairo_rectangle(cr, box.left, box.top, box.width(), box.height());
        cairo_fill(cr);
        cairo_pattern_destroy(glow);
    }
    // Chrome bezel.
    cairo_arc(cr, cx, cy + 1, 12.5, 0, 2 * kPi);
    setGrey(cr, 0.0, 0.6);
    cairo_fill(cr);
    cairo_arc(cr, cx, cy, 12, 0, 2 * kPi);
    paintDownwards(cr, cy - 12, cy + 12,
                   {{0, 0.75, 0.76, 0.78, 1}, {0.5, 0.30, 0.31, 0.33, 1}, {1, 0.55, 0.56, 0.58, 1}});
    cairo_arc(cr, cx, cy, 9.3, 0, 2 * kPi);
    setGrey(cr, 0.02);
    cairo_fill(cr);
    // Jewel.
    cairo_arc(cr, cx, cy, 8.3, 0, 2 * kPi);
    cairo_pattern_t* jewel = cairo_pattern_create_radial(cx, cy, 0.0, cx, cy, 8.3);
    if (lit) {
        cairo_pattern_add_color_stop_rgb(jewel, 0, 1.0, 0.93, 0.72);
        cairo_pattern_add_color_stop_rgb(jewel, 0.45, kAccent.r, kAccent.g, kAccent.b);
        cairo_pattern_add_color_stop_rgb(jewel, 1, kAccentDeep.r * 0.8, kAccentDeep.g * 0.7, kAccentDeep.b);
    } else {
        cairo_pattern_add_color_stop_rgb(jewel, 0, 0.30, 0.17, 0.06);
        cairo_pattern_add_color_stop_rgb(jewel, 1, 0.10, 0.055, 0.025);
    }
    cairo_set_source(cr, jewel);
    cairo_fill(cr);
    cairo_new_path(cr);
    cairo_pattern_destroy(jewel);
    // Facets and highlight.
    cairo_set_line_width(cr, 0.6);
    for (int i = 0; i < 8; ++i) {
        const double a = i * kPi / 4;
        radialLine(cr, cx, cy, a, 2.5, 8.0);
        cairo_set_source_rgba(cr, 1, 1, 1, lit ? 0.10 : 0.05);
        cairo_stroke(cr);
    }
    cairo_save(cr);
    cairo_translate(cr, cx - 2.8, cy - 3.4);
    cairo_scale(cr, 1.0, 0.6);
    cairo_arc(cr, 0, 0, 3.2, 0, 2 * kPi);
    cairo_restore(cr);
    cairo_set_source_rgba(cr, 1, 1, 1, lit ? 0.55 : 0.22);
    cairo_fill(cr);
}

// ---------------------------------------------------------------------------------------------
// Preset bar

void drawArrowButton(cairo_t* cr, const Box& box, bool next, bool pressed)
{
    const double x = box.left, y = box.top, w = box.width(), h = box.height();
    buttonCap(cr, x, y, w, h, pressed);
    const double cx = x + w / 2 + (pressed ? 0.5 : 0), cy = y + h / 2 + (pressed ? 0.5 : 0);
    const double s = next ? 1 : -1;
    cairo_move_to(cr, cx - 2.5 * s, cy - 4);
    cairo_line_to(cr, cx + 3.0 * s, cy);
    cairo_line_to(cr, cx - 2.5 * s, cy + 4);
    cairo_close_path(cr);
    if (pressed)
        setColour(cr, kAccent);
    else
        setColour(cr, kText);
    cairo_fill(cr);
}

void drawPresetBar(cairo_t* cr)
{
    // Save button.
    buttonCap(cr, kSaveButton.left, kSaveButton.top, kSaveButton.width(), kSaveButton.height(), false);
    text(cr, "SAVE", kSaveButton.cx(), kSaveButton.top + 11.5, kSmallFont, Align::Centre, kText, false);
    // The name field: the name control fills its rectangle grown by one pixel with black.
    recess(cr, kPresetName.left - 1, kPresetName.top - 1, kPresetName.width() + 2, kPresetName.height() + 2, 0, 0.0);
    // Links button.
    buttonCap(cr, kLinksButton.left, kLinksButton.top, kLinksButton.width(), kLinksButton.height(), false);
    text(cr, "INFO", kLinksButton.cx(), kLinksButton.top + 12, kSmallFont, Align::Centre, kText, false);
    // Read-out window: plain and dark, the text is drawn over it.
    recess(cr, kReadout.left, kReadout.top, kReadout.width(), kReadout.height(), 2.0, 0.045);
    // Caption left of the save button: the maker's mark.
    text(cr, "TARVELLE", 14, 15, Font{9.0, true, 2.6}, Align::Left, kText, false, 0.85);
    text(cr, "PRESET", kSaveButton.left - 8, 14.5, kSmallFont, Align::Right, kTextDim, false);
}

// ---------------------------------------------------------------------------------------------
// About badge and name plate

void drawEmblem(cairo_t* cr, double cx, double cy, double radius, double alpha)
{
    // A ring with a levelled wave inside: the product's mark.
    cairo_new_path(cr);
    cairo_set_line_width(cr, radius * 0.13);
    cairo_arc(cr, cx, cy, radius, 0, 2 * kPi);
    setColour(cr, kAccent, alpha);
    cairo_stroke(cr);
    cairo_set_line_width(cr, radius * 0.11);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    const int steps = 48;
    for (int i = 0; i <= steps; ++i) {
        const double t = double(i) / steps;
        const double x = cx - radius * 0.62 + t * radius * 1.24;
        const double envelope = 1.0 - 0.75 * t;
        const double y = cy - std::sin(t * 4.0 * kPi) * radius * 0.42 * envelope;
        if (i == 0)
            cairo_move_to(cr, x, y);
        else
            cairo_line_to(cr, x, y);
    }
    setColour(cr, kText, alpha);
    cairo_stroke(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

void drawScrew(cairo_t* cr, double cx, double cy)
{
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy + 0.8, 4.6, 0, 2 * kPi);
    setGrey(cr, 1.0, 0.08);
    cairo_fill(cr);
    cairo_arc(cr, cx, cy, 4.5, 0, 2 * kPi);
    setGrey(cr, 0.0, 0.8);
    cairo_fill(cr);
    cairo_arc(cr, cx, cy, 3.8, 0, 2 * kPi);
    cairo_pattern_t* head = cairo_pattern_create_linear(cx - 4, cy - 4, cx + 4, cy + 4);
    cairo_pattern_add_color_stop_rgb(head, 0, 0.42, 0.425, 0.44);
    cairo_pattern_add_color_stop_rgb(head, 1, 0.14, 0.145, 0.155);
    cairo_set_source(cr, head);
    cairo_fill(cr);
    cairo_pattern_destroy(head);
    cairo_set_line_width(cr, 1.3);
    for (double a : {0.5, 0.5 + kPi / 2}) {
        cairo_move_to(cr, cx - 2.8 * std::cos(a), cy - 2.8 * std::sin(a));
        cairo_line_to(cr, cx + 2.8 * std::cos(a), cy + 2.8 * std::sin(a));
    }
    setGrey(cr, 0.05, 0.9);
    cairo_stroke(cr);
}

void drawAboutBadge(cairo_t* cr)
{
    const Box& b = kAboutSpot;
    roundedRect(cr, b.left + 0.5, b.top + 0.5, b.width() - 1, b.height() - 1, 4);
    cairo_pattern_t* face = cairo_pattern_create_linear(0, b.top, 0, b.bottom);
    cairo_pattern_add_color_stop_rgb(face, 0, 0.20, 0.205, 0.215);
    cairo_pattern_add_color_stop_rgb(face, 1, 0.13, 0.135, 0.145);
    cairo_set_source(cr, face);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(face);
    cairo_set_line_width(cr, 1.0);
    setGrey(cr, 0.0, 0.8);
    cairo_stroke(cr);
    setGrey(cr, 1.0, 0.10);
    cairo_rectangle(cr, b.left + 3, b.top + 1, b.width() - 6, 1);
    cairo_fill(cr);
    // Screws.
    for (double y : {b.top + 6.0, b.bottom - 6.0}) {
        cairo_arc(cr, b.cx(), y, 2.2, 0, 2 * kPi);
        setGrey(cr, 0.07);
        cairo_fill(cr);
        cairo_move_to(cr, b.cx() - 1.6, y + 0.6);
        cairo_line_to(cr, b.cx() + 1.6, y - 0.6);
        cairo_set_line_width(cr, 0.7);
        setGrey(cr, 0.35);
        cairo_stroke(cr);
    }
    drawEmblem(cr, b.cx(), b.top + 28, 10.5, 1.0);
    // "ABOUT", reading upwards.
    cairo_save(cr);
    cairo_translate(cr, b.cx() + 3, b.bottom - 14);
    cairo_rotate(cr, -kPi / 2);
    text(cr, "ABOUT", 0, 0, kSmallFont, Align::Left, kText, false);
    cairo_restore(cr);
}

void drawNamePlate(cairo_t* cr)
{
    const double base = kNamePlateTop + 38;
    drawEmblem(cr, 36, base - 10, 15, 1.0);
    text(cr, "Orvanne", 62, base, Font{30.0, false, 1.0}, Align::Left, {0.86, 0.86, 0.87}, true);
    text(cr, "STEREO LOOK-AHEAD LEVELER", 64, base + 17, Font{7.5, true, 2.2}, Align::Left, kTextDim, false);
    text(cr, "TARVELLE", kWidth - 22, base - 2, Font{15.0, true, 5.0}, Align::Right, kText, true);
    text(cr, "AUDIO", kWidth - 22, base + 15, Font{7.5, true, 4.0}, Align::Right, kAccent, false, 0.9);
}

// ---------------------------------------------------------------------------------------------
// The background with every static part.

void drawBackground(cairo_t* cr)
{
    drawPanelBase(cr);
    drawPresetBar(cr);

    const double titleY = 52;
    text(cr, "INPUT THRES", kInputKnob.cx(), titleY, kLabelFont, Align::Centre);
    text(cr, "RECOVERY", kRecoveryKnob.cx(), titleY, kLabelFont, Align::Centre);
    text(cr, "OUTPUT", kReduction.cx(), titleY, kLabelFont, Align::Centre);
    text(cr, "POWER", kPowerLamp.cx(), titleY, kLabelFont, Align::Centre);
    text(cr, "OUT CEILING", kCeilingKnob.cx(), titleY, kLabelFont, Align::Centre);

    drawLevelScale(cr, kInputKnob);
    drawLevelScale(cr, kCeilingKnob);
    drawSelectorScale(cr, kRecoveryKnob);

    drawMeterSlot(cr, kMeterLeft, kMeterLeftColumn);
    drawMeterSlot(cr, kMeterRight, kMeterRightColumn);
    drawMeterScale(cr, kMeterLeft, kMeterLeftColumn, true);
    drawMeterScale(cr, kMeterRight, kMeterRightColumn, false);
    text(cr, "L", kMeterLeft.left + kMeterLeftColumn, kMeterLeft.bottom + 11, kLabelFont, Align::Centre);
    text(cr, "R", kMeterRight.left + kMeterRightColumn, kMeterRight.bottom + 11, kLabelFont, Align::Centre);
    text(cr, "OVER", kOverLeft.cx(), kOverLeft.top - 4, kSmallFont, Align::Centre, kTextDim, false);
    text(cr, "OVER", kOverRight.cx(), kOverRight.top - 4, kSmallFont, Align::Centre, kTextDim, false);
    drawReductionFace(cr);
    text(cr, "GAIN REDUCTION", kReduction.cx(), kReduction.bottom + 16, kLabelFont, Align::Centre);

    text(cr, "ON", kPowerSwitch.cx(), kPowerSwitch.top - 3, kSmallFont, Align::Centre, kTextDim, false);
    text(cr, "BYPASS", kPowerSwitch.cx(), kPowerSwitch.bottom + 10, kSmallFont, Align::Centre, kTextDim, false);

    drawAboutBadge(cr);
    drawNamePlate(cr);
    drawScrew(cr, kAboutSpot.cx(), 42);
    drawScrew(cr, kWidth - kAboutSpot.cx(), 42);
}

// ---------------------------------------------------------------------------------------------
// About picture

void drawAbout(cairo_t* cr)
{
    cairo_pattern_t* bg = cairo_pattern_create_radial(kWidth * 0.5, kHeight * 0.35, 20, kWidth * 0.5, kHeight * 0.5,
                                                      560);
    cairo_pattern_add_color_stop_rgb(bg, 0, 0.17, 0.175, 0.185);
    cairo_pattern_add_color_stop_rgb(bg, 1, 0.055, 0.057, 0.062);
    cairo_set_source(cr, bg);
    cairo_paint(cr);
    cairo_pattern_destroy(bg);
    setGrey(cr, 0.0, 0.7);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, 0.5, 0.5, kWidth - 1, kHeight - 1);
    cairo_stroke(cr);
    setColour(cr, kAccentDeep, 0.5);
    cairo_rectangle(cr, 6.5, 6.5, kWidth - 13, kHeight - 13);
    cairo_stroke(cr);

    const double cx = kWidth / 2.0;
    drawEmblem(cr, cx, 62, 24, 1.0);
    text(cr, "Orvanne", cx, 138, Font{46.0, false, 2.0}, Align::Centre, {0.90, 0.90, 0.91}, true);
    text(cr, "STEREO LOOK-AHEAD LEVELER", cx, 160, Font{9.0, true, 3.0}, Align::Centre, kTextDim, false);
    text(cr, "Version 1.1", cx, 184, Font{11.0, true, 1.0}, Align::Centre, kAccent, false);
    setGrey(cr, 1.0, 0.12);
    cairo_rectangle(cr, cx - 120, 197, 240, 1);
    cairo_fill(cr);
    text(cr, "Design and DSP: the Orvanne team", cx, 216, Font{10.0, false, 0.5}, Align::Centre, kText, false);
    text(cr, "Tarvelle Audio", cx, 232, Font{10.0, false, 0.5}, Align::Centre, kText, false);
    text(cr, "CLICK ANYWHERE TO CLOSE", cx, 260, Font{6.5, true, 2.0}, Align::Centre, kTextDim, false, 0.8);
}

void drawLogoStrip(cairo_t* cr)
{
    setGrey(cr, 0.07);
    cairo_paint(cr);
    drawEmblem(cr, 9, 8, 5.5, 1.0);
    text(cr, "ORVANNE", 20, 11.5, Font{9.0, true, 3.0}, Align::Left, kText, false);
    text(cr, "TARVELLE AUDIO", 168, 11, Font{6.0, true, 1.2}, Align::Right, kTextDim, false);
}

// ---------------------------------------------------------------------------------------------
// Output

struct Picture {
    int id;
    cairo_surface_t* surface;
};

cairo_surface_t* newSurface(int width, int height)
{
    return cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
}

// A film strip of `frames` frames of the background under `box`, each with `draw` over it. The
// drawing happens in window coordinates.
template <typename Draw>
cairo_surface_t* filmStrip(cairo_surface_t* background, const Box& box, int frames, Draw draw)
{
    cairo_surface_t* strip = newSurface(box.width(), box.height() * frames);
    cairo_t* cr = cairo_create(strip);
    for (int i = 0; i < frames; ++i) {
        cairo_save(cr);
        cairo_rectangle(cr, 0, box.height() * i, box.width(), box.height());
        cairo_clip(cr);
        cairo_translate(cr, -box.left, box.height() * i - box.top);
        cairo_set_source_surface(cr, background, 0, 0);
        cairo_paint(cr);
        draw(cr, i);
        cairo_restore(cr);
    }
    cairo_destroy(cr);
    return strip;
}

bool sameRegion(cairo_surface_t* s, const Box& a, const Box& b)
{
    cairo_surface_flush(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(data + (a.top + y) * stride + a.left * 4, data + (b.top + y) * stride + b.left * 4,
                        size_t(a.width()) * 4) != 0) {
            for (int x = 0; x < a.width(); ++x)
                if (std::memcmp(data + (a.top + y) * stride + (a.left + x) * 4,
                                data + (b.top + y) * stride + (b.left + x) * 4, 4) != 0) {
                    std::fprintf(stderr, "orvanne-artwork: first difference at (%d, %d) of the region\n", x, y);
                    break;
                }
            return false;
        }
    return true;
}

// Draws one frame of a strip (frame `index` of `frames`) at window position `box`.
void blitFrame(cairo_t* cr, cairo_surface_t* strip, const Box& box, int index)
{
    cairo_save(cr);
    cairo_rectangle(cr, box.left, box.top, box.width(), box.height());
    cairo_clip(cr);
    cairo_set_source_surface(cr, strip, box.left, box.top - box.height() * index);
    cairo_paint(cr);
    cairo_restore(cr);
}

const Picture* find(const std::vector<Picture>& pictures, int id)
{
    for (const Picture& p : pictures)
        if (p.id == id)
            return &p;
    return nullptr;
}

// The editor as it looks with the factory setting and some audio on the meters.
bool writePreview(const std::vector<Picture>& pictures, const std::string& path)
{
    cairo_surface_t* out = newSurface(kWidth, kHeight);
    cairo_t* cr = cairo_create(out);
    cairo_set_source_surface(cr, find(pictures, 10001)->surface, 0, 0);
    cairo_paint(cr);
    blitFrame(cr, find(pictures, 10300)->surface, kPreviousArrow, 0);
    blitFrame(cr, find(pictures, 10301)->surface, kNextArrow, 0);
    blitFrame(cr, find(pictures, 10200)->surface, kPowerSwitch, 0);
    blitFrame(cr, find(pictures, 10201)->surface, kPowerLamp, 1);
    blitFrame(cr, find(pictures, 10010)->surface, kInputKnob, 50);
    blitFrame(cr, find(pictures, 10010)->surface, kCeilingKnob, 50);
    blitFrame(cr, find(pictures, 10011)->surface, kRecoveryKnob, 0);
    // Meters: off picture above the lit level, on picture below it.
    auto meter = [&](int offId, int onId, const Box& box, double level) {
        const int split = int(box.height() * (1.0 - level));
        cairo_save(cr);
        cairo_rectangle(cr, box.left, box.top, box.width(), split);
        cairo_clip(cr);
        cairo_set_source_surface(cr, find(pictures, offId)->surface, box.left, box.top);
        cairo_paint(cr);
        cairo_restore(cr);
        cairo_save(cr);
        cairo_rectangle(cr, box.left, box.top + split, box.width(), box.height() - split);
        cairo_clip(cr);
        cairo_set_source_surface(cr, find(pictures, onId)->surface, box.left, box.top);
        cairo_paint(cr);
        cairo_restore(cr);
    };
    meter(30001, 30002, kMeterLeft, meterFraction(-9.0));
    meter(30003, 30004, kMeterRight, meterFraction(-12.5));
    blitFrame(cr, find(pictures, 30005)->surface, kOverLeft, 2);
    blitFrame(cr, find(pictures, 30006)->surface, kOverRight, 0);
    blitFrame(cr, find(pictures, 30000)->surface, kReduction, int(reductionReading(4.5) * 100 + 0.5));
    // The read-out and the preset name, as the editor draws them.
    cairo_rectangle(cr, kPresetName.left - 1, kPresetName.top - 1, kPresetName.width() + 2, kPresetName.height() + 2);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_fill(cr);
    text(cr, "Factory Default", kPresetName.cx(), kPresetName.top + 11, Font{12.0, true, 0.0}, Align::Centre, kText,
         false);
    text(cr, "Input Thres : 0.0 dB", kReadout.left + 2, kReadout.top + 12, Font{10.0, false, 0.0}, Align::Left, kText,
         false);
    cairo_destroy(cr);
    const bool ok = cairo_surface_write_to_png(out, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(out);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    bool bmp = false;
    std::string folder, preview;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--bmp")
            bmp = true;
        else if (arg == "--preview" && i + 1 < argc)
            preview = argv[++i];
        else if (!arg.empty() && arg[0] != '-' && folder.empty())
            folder = arg;
        else {
            std::fprintf(stderr, "usage: orvanne-artwork [--bmp] [--preview FILE] OUTPUT_FOLDER\n");
            return 2;
        }
    }
    if (folder.empty()) {
        std::fprintf(stderr, "usage: orvanne-artwork [--bmp] [--preview FILE] OUTPUT_FOLDER\n");
        return 2;
    }

    std::vector<Picture> pictures;
    cairo_surface_t* background = newSurface(kWidth, kHeight);
    {
        cairo_t* cr = cairo_create(background);
        drawBackground(cr);
        cairo_destroy(cr);
    }
    if (!sameRegion(background, kInputKnob, kCeilingKnob)) {
        std::fprintf(stderr, "orvanne-artwork: the panel differs under the two level knobs\n");
        return 1;
    }
    pictures.push_back({kPictureBackground, background});
    cairo_surface_reference(background);

    {
        cairo_surface_t* about = newSurface(kWidth, kHeight);
        cairo_t* cr = cairo_create(about);
        drawAbout(cr);
        cairo_destroy(cr);
        pictures.push_back({kPictureAbout, about});
    }
    pictures.push_back({kPictureLevelKnob, filmStrip(background, kInputKnob, 101, [](cairo_t* cr, int i) {
                            drawLevelKnob(cr, kInputKnob.cx(), kInputKnob.cy(), i / 100.0);
                        })});
    pictures.push_back({kPictureRecoveryKnob, filmStrip(background, kRecoveryKnob, 5, [](cairo_t* cr, int i) {
                            drawSelectorFrame(cr, kRecoveryKnob.cx(), kRecoveryKnob.cy(), i);
                        })});
    pictures.push_back({kPicturePowerSwitch, filmStrip(background, kPowerSwitch, 2, [](cairo_t* cr, int i) {
                            drawToggle(cr, kPowerSwitch, i == 0);
                        })});
    pictures.push_back({kPicturePowerLamp, filmStrip(background, kPowerLamp, 2, [](cairo_t* cr, int i) {
                            drawLamp(cr, kPowerLamp, i == 1);
                        })});
    pictures.push_back({kPicturePreviousArrow, filmStrip(background, kPreviousArrow, 2, [](cairo_t* cr, int i) {
                            drawArrowButton(cr, kPreviousArrow, false, i == 1);
                        })});
    pictures.push_back({kPictureNextArrow, filmStrip(background, kNextArrow, 2, [](cairo_t* cr, int i) {
                            drawArrowButton(cr, kNextArrow, true, i == 1);
                        })});
    {
        cairo_surface_t* logo = newSurface(171, 16);
        cairo_t* cr = cairo_create(logo);
        drawLogoStrip(cr);
        cairo_destroy(cr);
        pictures.push_back({kPictureLogo, logo});
    }
    pictures.push_back({kPictureReductionMeter, filmStrip(background, kReduction, 101, [](cairo_t* cr, int i) {
                            drawReductionNeedle(cr, i / 100.0);
                        })});
    pictures.push_back({kPictureMeterLeftOff, filmStrip(background, kMeterLeft, 1, [](cairo_t* cr, int) {
                            drawMeterLeds(cr, kMeterLeft, kMeterLeftColumn, false);
                        })});
    pictures.push_back({kPictureMeterLeftOn, filmStrip(background, kMeterLeft, 1, [](cairo_t* cr, int) {
                            drawMeterLeds(cr, kMeterLeft, kMeterLeftColumn, true);
                        })});
    pictures.push_back({kPictureMeterRightOff, filmStrip(background, kMeterRight, 1, [](cairo_t* cr, int) {
                            drawMeterLeds(cr, kMeterRight, kMeterRightColumn, false);
                        })});
    pictures.push_back({kPictureMeterRightOn, filmStrip(background, kMeterRight, 1, [](cairo_t* cr, int) {
                            drawMeterLeds(cr, kMeterRight, kMeterRightColumn, true);
                        })});
    pictures.push_back({kPictureOverLeft, filmStrip(background, kOverLeft, 6, [](cairo_t* cr, int i) {
                            drawOverLamp(cr, kOverLeft, i);
                        })});
    pictures.push_back({kPictureOverRight, filmStrip(background, kOverRight, 6, [](cairo_t* cr, int i) {
                            drawOverLamp(cr, kOverRight, i);
                        })});
    cairo_surface_destroy(background);

    int failures = 0;
    for (const Picture& p : pictures) {
        const std::string base = folder + "/" + std::to_string(p.id);
        if (cairo_surface_write_to_png(p.surface, (base + ".png").c_str()) != CAIRO_STATUS_SUCCESS) {
            std::fprintf(stderr, "orvanne-artwork: cannot write %s.png\n", base.c_str());
            ++failures;
        }
        if (bmp && !pictures::writeBmp24(p.surface, base + ".bmp")) {
            std::fprintf(stderr, "orvanne-artwork: cannot write %s.bmp\n", base.c_str());
            ++failures;
        }
    }
    if (!preview.empty() && !writePreview(pictures, preview)) {
        std::fprintf(stderr, "orvanne-artwork: cannot write %s\n", preview.c_str());
        ++failures;
    }
    for (const Picture& p : pictures)
        cairo_surface_destroy(p.surface);
    return failures == 0 ? 0 : 1;
}
