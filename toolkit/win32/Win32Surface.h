// The GDI drawing target behind a context: a borrowed device context (a paint DC), the DC of
// a window obtained here, or a memory DC with an off-screen bitmap. Holds at most one pen,
// one brush and one font of its own and restores what it found at destruction.
#pragma once

#include "../platform/PlatformSurface.h"

#include <windows.h>

namespace VSTGUI {

class Win32Surface : public PlatformSurface {
public:
    // A surface on dc (borrowed, may be null) or, without one, on window's DC.
    Win32Surface(HDC dc, HWND window);
    // An off-screen surface of width x height compatible with window's DC (the screen's when
    // window is null).
    Win32Surface(HWND window, int32_t width, int32_t height);
    ~Win32Surface() override;

    CPoint getWindowOrigin() override;
    void* getNativeContext() override { return dc; }

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

    HDC getDC() const { return dc; }

private:
    void rememberSelection();

    HDC dc = nullptr;
    HWND window = nullptr;
    HDC ownedWindowDC = nullptr; // obtained with GetDC, given back at destruction
    bool memoryDC = false;       // created with CreateCompatibleDC, deleted at destruction
    HBITMAP offscreenBitmap = nullptr;
    HGDIOBJ savedBitmap = nullptr;
    HGDIOBJ savedBrush = nullptr;
    HGDIOBJ savedPen = nullptr;
    HGDIOBJ savedFont = nullptr;
    HBRUSH brush = nullptr;
    HPEN pen = nullptr;
    HFONT font = nullptr;
};

} // namespace VSTGUI
