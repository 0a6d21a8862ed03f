// The Cairo layer's drawing surface: draws into a Cairo image surface. Rectangles, lines,
// bitmaps and copies are written pixel by pixel so that they land exactly where the toolkit's
// rules say; text goes through Cairo's toy font interface (fontconfig resolves the faces).
#pragma once

#include <memory>

#include "platform/PlatformSurface.h"

#include <cairo.h>

namespace VSTGUI {

class CairoFrame;

class CairoSurface : public PlatformSurface {
public:
    // Draws into target (referenced; may be null: then nothing is drawn). With an owner (the
    // frame whose picture target is) the area drawn is reported to it when the surface goes.
    explicit CairoSurface(cairo_surface_t* target, CairoFrame* owner = nullptr);
    ~CairoSurface() override;

    CPoint getWindowOrigin() override;
    void* getNativeContext() override { return target; }

    void setPen(int32_t penStyle, int32_t width, const CColor& color) override;
    void setFill(const CColor& color) override;
    void setTextColor(const CColor& color) override;
    void setDrawMode(int32_t rop) override;
    void setFont(const PlatformFont& font) override;
    void setClip(const CRect& deviceRect) override;

    void moveTo(const CPoint& p) override;
    void lineTo(const CPoint& p) override;
    void fillRect(const CRect& r) override;
    void drawText(const char* text, const CRect& r, bool opaque, int32_t alignment) override;

    void drawBitmap(PlatformBitmap* bitmap, const CRect& dst, const CPoint& src) override;
    void drawBitmapKeyed(PlatformBitmap* bitmap, const CRect& dst, const CPoint& src, const CColor& key) override;
    void drawBitmapBlend(PlatformBitmap* bitmap, const CRect& dst, const CPoint& src, uint8_t alpha) override;
    void copyTo(PlatformSurface* destination, const CRect& dst, const CPoint& src) override;

    cairo_surface_t* getTarget() const { return target; }
    // The clip in effect: the last clip rectangle bounded by the surface.
    CRect getEffectiveClip() const;

private:
    enum class BlitMode { Copy, Keyed, Blend };
    void blit(cairo_surface_t* source, const CRect& dst, const CPoint& src, BlitMode mode, uint32_t key,
              uint32_t alpha);
    void plot(int32_t x, int32_t y);
    // Adds r (within the clip) to the area drawn.
    void touch(const CRect& r);

    cairo_surface_t* target;
    // The frame whose picture target is; null once that frame is gone.
    std::shared_ptr<CairoFrame*> owner;
    CRect drawn;
    int32_t width = 0;
    int32_t height = 0;
    CRect clip;
    bool hasClip = false;
    CPoint current;
    int32_t penStyle = kPenSolid;
    int32_t penWidth = 1;
    uint32_t penColor = 0;
    uint32_t fillColor = 0;
    uint32_t textColor = 0;
    int32_t rop = kRopCopyPen;
    PlatformFont font;
    int32_t dashPosition = 0;
};

} // namespace VSTGUI
