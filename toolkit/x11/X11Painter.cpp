#include "X11Painter.h"

#include "TextUtf8.h"

#include <cstring>
#include <string>

namespace VSTGUI {
namespace x11paint {

namespace {

void source(cairo_t* cr, uint32_t colour)
{
    cairo_set_source_rgb(cr, ((colour >> 16) & 0xff) / 255.0, ((colour >> 8) & 0xff) / 255.0, (colour & 0xff) / 255.0);
}

void font(cairo_t* cr, bool bold)
{
    cairo_select_font_face(cr, "Arial", CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, kFontSize);
}

// Cairo measures and draws nothing of a text that is not valid UTF-8.
std::string drawable(const char* s)
{
    const size_t length = std::strlen(s);
    return utf8::valid(s, length) ? std::string(s, length) : utf8::displayable(s, length);
}

} // namespace

void fill(cairo_t* cr, double x, double y, double w, double h, uint32_t colour)
{
    source(cr, colour);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

void frameRect(cairo_t* cr, double x, double y, double w, double h, uint32_t colour)
{
    source(cr, colour);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, x + 0.5, y + 0.5, w - 1, h - 1);
    cairo_stroke(cr);
}

void text(cairo_t* cr, const char* s, double x, double y, double h, uint32_t colour, bool bold)
{
    font(cr, bold);
    cairo_font_extents_t fe;
    cairo_font_extents(cr, &fe);
    source(cr, colour);
    cairo_move_to(cr, x, y + (h - (fe.ascent + fe.descent)) / 2 + fe.ascent);
    cairo_show_text(cr, drawable(s).c_str());
}

double textWidth(cairo_t* cr, const char* s, bool bold)
{
    font(cr, bold);
    cairo_text_extents_t te;
    cairo_text_extents(cr, drawable(s).c_str(), &te);
    return te.x_advance;
}

} // namespace x11paint
} // namespace VSTGUI
