// Small drawing helpers shared by the X11 layer's menus and dialogs: text and boxes in the
// editor's colours on an RGB24 picture.
#pragma once

#include <cairo.h>
#include <cstdint>

namespace VSTGUI {
namespace x11paint {

constexpr uint32_t kBackground = 0x2e3033;
constexpr uint32_t kText = 0xdcdcdc;
constexpr uint32_t kDimmed = 0x7a7c80;
constexpr uint32_t kHighlight = 0x4a6f9a;
constexpr uint32_t kHighlightText = 0xffffff;
constexpr uint32_t kBorder = 0x8a8c90;
constexpr uint32_t kField = 0x15161a;
constexpr int32_t kFontSize = 12;

void fill(cairo_t* cr, double x, double y, double w, double h, uint32_t colour);
void frameRect(cairo_t* cr, double x, double y, double w, double h, uint32_t colour);
// Text with its left end at x, vertically centred in [y, y + h).
void text(cairo_t* cr, const char* s, double x, double y, double h, uint32_t colour, bool bold = false);
double textWidth(cairo_t* cr, const char* s, bool bold = false);

} // namespace x11paint
} // namespace VSTGUI
