#include "CairoSurface.h"

#include "CDrawContext.h"
#include "CFrame.h"
#include "TextUtf8.h"
#include "cairo/CairoBitmap.h"
#include "cairo/CairoFrame.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace VSTGUI {

namespace {

uint32_t pixelOf(const CColor& c)
{
    return 0xff000000u | (uint32_t(c.red) << 16) | (uint32_t(c.green) << 8) | uint32_t(c.blue);
}

uint32_t* row(cairo_surface_t* s, int32_t y)
{
    return reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s));
}

bool isImage(cairo_surface_t* s)
{
    return s != nullptr && cairo_surface_get_type(s) == CAIRO_SURFACE_TYPE_IMAGE &&
        (cairo_image_surface_get_format(s) == CAIRO_FORMAT_RGB24 ||
         cairo_image_surface_get_format(s) == CAIRO_FORMAT_ARGB32);
}

} // namespace

CairoSurface::CairoSurface(cairo_surface_t* t, CairoFrame* frame)
    : target(nullptr), owner(frame != nullptr ? frame->lifeToken() : nullptr)
{
    if (isImage(t)) {
        target = cairo_surface_reference(t);
        width = cairo_image_surface_get_width(t);
        height = cairo_image_surface_get_height(t);
    }
}

CairoSurface::~CairoSurface()
{
    if (owner != nullptr && *owner != nullptr && drawn.width() > 0 && drawn.height() > 0)
        (*owner)->imageChanged(drawn);
    if (target != nullptr)
        cairo_surface_destroy(target);
}

CPoint CairoSurface::getWindowOrigin()
{
    return owner != nullptr && *owner != nullptr ? (*owner)->getWindowOrigin() : CPoint();
}

void CairoSurface::touch(const CRect& r)
{
    if (owner == nullptr || *owner == nullptr)
        return;
    CRect part = r;
    part.bound(getEffectiveClip());
    if (part.width() <= 0 || part.height() <= 0)
        return;
    if (drawn.width() <= 0 || drawn.height() <= 0) {
        drawn = part;
        return;
    }
    drawn = CRect(std::min(drawn.left, part.left), std::min(drawn.top, part.top), std::max(drawn.right, part.right),
                  std::max(drawn.bottom, part.bottom));
}

CRect CairoSurface::getEffectiveClip() const
{
    CRect r(0, 0, width, height);
    if (hasClip)
        r.bound(clip);
    return r;
}

void CairoSurface::setPen(int32_t style, int32_t w, const CColor& color)
{
    penStyle = style;
    penWidth = w;
    penColor = pixelOf(color);
}

void CairoSurface::setFill(const CColor& color)
{
    fillColor = pixelOf(color);
}

void CairoSurface::setTextColor(const CColor& color)
{
    textColor = pixelOf(color);
}

void CairoSurface::setDrawMode(int32_t mode)
{
    rop = mode;
}

void CairoSurface::setFont(const PlatformFont& f)
{
    font = f;
}

void CairoSurface::setClip(const CRect& deviceRect)
{
    clip = deviceRect;
    clip.normalize();
    hasClip = true;
}

void CairoSurface::moveTo(const CPoint& p)
{
    current = p;
    dashPosition = 0;
}

void CairoSurface::plot(int32_t x, int32_t y)
{
    const bool on = penStyle != kPenDot || (dashPosition % 6) < 3;
    dashPosition++;
    if (!on)
        return;
    const CRect c = getEffectiveClip();
    if (x < c.left || x >= c.right || y < c.top || y >= c.bottom)
        return;
    uint32_t& d = row(target, y)[x];
    if (rop == kRopMergePen)
        d = 0xff000000u | (d | penColor);
    else if (rop == kRopNotXorPen)
        d = 0xff000000u | ~(d ^ penColor);
    else
        d = penColor;
}

void CairoSurface::lineTo(const CPoint& p)
{
    const CPoint from = current;
    current = p;
    if (target == nullptr || penWidth < 0)
        return;
    const int32_t reach = penWidth / 2 + 1;
    touch(CRect(std::min(from.h, p.h) - reach, std::min(from.v, p.v) - reach, std::max(from.h, p.h) + reach,
                std::max(from.v, p.v) + reach));
    if (penWidth > 1) {
        // Wide pens: a stroke with round ends, not antialiased.
        cairo_t* cr = cairo_create(target);
        const CRect c = getEffectiveClip();
        cairo_rectangle(cr, c.left, c.top, c.width(), c.height());
        cairo_clip(cr);
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        cairo_set_source_rgb(cr, ((penColor >> 16) & 0xff) / 255.0, ((penColor >> 8) & 0xff) / 255.0,
                             (penColor & 0xff) / 255.0);
        cairo_set_line_width(cr, penWidth);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_move_to(cr, from.h + 0.5, from.v + 0.5);
        cairo_line_to(cr, p.h + 0.5, p.v + 0.5);
        cairo_stroke(cr);
        cairo_destroy(cr);
        return;
    }
    cairo_surface_flush(target);
    // One pixel per step along the major axis, the end point left out. Exact half-pixel
    // ties go the way GDI takes them: lines heading into the lower half-plane of their
    // major axis (octants 3, 5, 6 and 8, counted counter-clockwise from +x with y down)
    // step on a tie, the others do not.
    int32_t x = from.h;
    int32_t y = from.v;
    const int32_t dx = std::abs(p.h - from.h);
    const int32_t dy = std::abs(p.v - from.v);
    const int32_t sx = p.h > from.h ? 1 : -1;
    const int32_t sy = p.v > from.v ? 1 : -1;
    const bool xMajor = dx >= dy;
    const bool right = p.h >= from.h;
    const bool down = p.v >= from.v;
    // Octant 3: left, down, y-major; 5: left, up, x-major; 6: left, up, y-major; 8: right, up, x-major.
    const bool bias = (!right && down && !xMajor) || (!right && !down) || (right && !down && xMajor);
    const int32_t major = xMajor ? dx : dy;
    const int32_t minor = xMajor ? dy : dx;
    int32_t err = 2 * minor - major;
    for (int32_t i = 0; i < major; ++i) {
        plot(x, y);
        if (err + (bias ? 1 : 0) > 0) {
            if (xMajor)
                y += sy;
            else
                x += sx;
            err += 2 * minor - 2 * major;
        } else {
            err += 2 * minor;
        }
        if (xMajor)
            x += sx;
        else
            y += sy;
    }
    cairo_surface_mark_dirty(target);
}

void CairoSurface::fillRect(const CRect& r)
{
    if (target == nullptr)
        return;
    CRect area = r;
    area.bound(getEffectiveClip());
    if (area.isEmpty())
        return;
    touch(area);
    cairo_surface_flush(target);
    for (int32_t y = area.top; y < area.bottom; ++y) {
        uint32_t* line = row(target, y);
        for (int32_t x = area.left; x < area.right; ++x)
            line[x] = fillColor;
    }
    cairo_surface_mark_dirty(target);
}

void CairoSurface::drawText(const char* text, const CRect& r, bool opaque, int32_t alignment)
{
    if (target == nullptr || text == nullptr || text[0] == 0)
        return;
    // Cairo draws nothing of a text that is not valid UTF-8 (a name cut in a character).
    std::string repaired;
    const size_t length = std::strlen(text);
    if (!utf8::valid(text, length)) {
        repaired = utf8::displayable(text, length);
        text = repaired.c_str();
    }
    CRect area = r;
    area.bound(getEffectiveClip());
    if (area.isEmpty())
        return;
    touch(area);
    cairo_t* cr = cairo_create(target);
    cairo_rectangle(cr, area.left, area.top, area.width(), area.height());
    cairo_clip(cr);
    cairo_select_font_face(cr, font.face != nullptr ? font.face : "Arial",
                           font.italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                           font.weight >= 600 ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, std::abs(font.height));
    cairo_font_extents_t fe;
    cairo_font_extents(cr, &fe);
    cairo_text_extents_t te;
    cairo_text_extents(cr, text, &te);
    std::string cut;
    if ((alignment & kEndEllipsisText) != 0 && te.x_advance > r.width()) {
        // The longest beginning that fits with the ellipsis, cut between characters.
        const char* const kEllipsis = "\xe2\x80\xa6";
        size_t keep = std::strlen(text);
        for (;;) {
            while (keep > 0 && (static_cast<unsigned char>(text[keep]) & 0xc0u) == 0x80u)
                --keep;
            cut.assign(text, keep);
            cut += kEllipsis;
            cairo_text_extents(cr, cut.c_str(), &te);
            if (keep == 0 || te.x_advance <= r.width())
                break;
            --keep;
        }
        text = cut.c_str();
        alignment = 0;
    }
    alignment &= ~kEndEllipsisText;
    const int32_t ascent = int32_t(std::ceil(fe.ascent));
    const int32_t cell = ascent + int32_t(std::ceil(fe.descent));
    const int32_t textWidth = int32_t(std::lround(te.x_advance));
    int32_t x = r.left;
    if (alignment == 1)
        x = r.left + (r.width() - textWidth) / 2;
    else if (alignment == 2)
        x = r.right - textWidth;
    const int32_t y = r.top + (r.height() - cell) / 2;
    if (opaque) {
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        cairo_set_source_rgb(cr, ((fillColor >> 16) & 0xff) / 255.0, ((fillColor >> 8) & 0xff) / 255.0,
                             (fillColor & 0xff) / 255.0);
        cairo_rectangle(cr, x, y, textWidth, cell);
        cairo_fill(cr);
    }
    const double red = ((textColor >> 16) & 0xff) / 255.0;
    const double green = ((textColor >> 8) & 0xff) / 255.0;
    const double blue = (textColor & 0xff) / 255.0;
    cairo_set_source_rgb(cr, red, green, blue);
    cairo_move_to(cr, x, y + ascent);
    cairo_show_text(cr, text);
    if (font.underline) {
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        cairo_rectangle(cr, x, y + ascent + 1, textWidth, 1);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
}

void CairoSurface::blit(cairo_surface_t* source, const CRect& dst, const CPoint& src, BlitMode mode, uint32_t key,
                        uint32_t alpha)
{
    if (target == nullptr || source == nullptr || dst.width() <= 0 || dst.height() <= 0)
        return;
    // Destination area limited by the clip and by the source picture's extent.
    const int32_t sw = cairo_image_surface_get_width(source);
    const int32_t sh = cairo_image_surface_get_height(source);
    CRect area = dst;
    area.bound(CRect(dst.left - src.h, dst.top - src.v, dst.left - src.h + sw, dst.top - src.v + sh));
    area.bound(getEffectiveClip());
    if (area.isEmpty())
        return;
    touch(area);
    cairo_surface_flush(source);
    cairo_surface_flush(target);
    const bool same = source == target;
    for (int32_t i = 0; i < area.height(); ++i) {
        // A copy within one surface must not read what it has already written.
        const int32_t y = (same && src.v < dst.top) ? area.bottom - 1 - i : area.top + i;
        const uint32_t* s = row(source, y - dst.top + src.v) + (area.left - dst.left + src.h);
        uint32_t* d = row(target, y) + area.left;
        const int32_t n = area.width();
        if (mode == BlitMode::Copy) {
            if (same && src.h < dst.left && src.v == dst.top) {
                for (int32_t x = n - 1; x >= 0; --x)
                    d[x] = 0xff000000u | s[x];
            } else {
                for (int32_t x = 0; x < n; ++x)
                    d[x] = 0xff000000u | s[x];
            }
        } else if (mode == BlitMode::Keyed) {
            for (int32_t x = 0; x < n; ++x)
                if ((s[x] & 0x00ffffffu) != key)
                    d[x] = 0xff000000u | s[x];
        } else {
            for (int32_t x = 0; x < n; ++x) {
                uint32_t out = 0xff000000u;
                for (int shift = 0; shift < 24; shift += 8) {
                    const uint32_t sc = (s[x] >> shift) & 0xff;
                    const uint32_t dc = (d[x] >> shift) & 0xff;
                    out |= ((sc * alpha + dc * (255 - alpha) + 127) / 255) << shift;
                }
                d[x] = out;
            }
        }
    }
    cairo_surface_mark_dirty(target);
}

void CairoSurface::drawBitmap(PlatformBitmap* bitmap, const CRect& dst, const CPoint& src)
{
    if (bitmap != nullptr)
        blit(static_cast<CairoBitmap*>(bitmap)->getSurface(), dst, src, BlitMode::Copy, 0, 255);
}

void CairoSurface::drawBitmapKeyed(PlatformBitmap* bitmap, const CRect& dst, const CPoint& src, const CColor& key)
{
    if (bitmap != nullptr)
        blit(static_cast<CairoBitmap*>(bitmap)->getSurface(), dst, src, BlitMode::Keyed, pixelOf(key) & 0x00ffffffu,
             255);
}

void CairoSurface::drawBitmapBlend(PlatformBitmap* bitmap, const CRect& dst, const CPoint& src, uint8_t alpha)
{
    if (bitmap != nullptr)
        blit(static_cast<CairoBitmap*>(bitmap)->getSurface(), dst, src, BlitMode::Blend, 0, alpha);
}

void CairoSurface::copyTo(PlatformSurface* destination, const CRect& dst, const CPoint& src)
{
    if (destination == nullptr || target == nullptr)
        return;
    static_cast<CairoSurface*>(destination)->blit(target, dst, src, BlitMode::Copy, 0, 255);
}

PlatformSurface* PlatformSurface::createForContext(CFrame* frame, void* deviceContext, void* window)
{
    (void)window;
    if (deviceContext != nullptr)
        return new CairoSurface(static_cast<cairo_surface_t*>(deviceContext));
    if (frame != nullptr && frame->getPlatformFrame() != nullptr) {
        CairoFrame* owner = static_cast<CairoFrame*>(frame->getPlatformFrame());
        return new CairoSurface(owner->getImage(), owner);
    }
    return new CairoSurface(nullptr);
}

PlatformSurface* PlatformSurface::createOffscreen(CFrame* frame, int32_t width, int32_t height)
{
    (void)frame;
    cairo_surface_t* image = nullptr;
    if (width > 0 && height > 0) {
        image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
        if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(image);
            image = nullptr;
        }
    }
    CairoSurface* surface = new CairoSurface(image);
    if (image != nullptr)
        cairo_surface_destroy(image); // the surface holds its own reference
    return surface;
}

} // namespace VSTGUI
