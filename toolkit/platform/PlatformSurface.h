// The drawing target behind a CDrawContext or COffscreenContext, implemented once per
// platform layer (toolkit/win32: a GDI device context; toolkit/cairo: a Cairo image surface).
//
// Contract between the toolkit core and a layer:
// - The core owns the drawing state and its change tests. A layer's state setters are called
//   only when a value really changes, in the order the context's construction and setters
//   make them; a layer creates its platform object for the new state, selects it and frees
//   the previous one, so at most one pen, one brush and one font exist per surface.
// - Every coordinate a layer receives is a device coordinate: the context's offset has
//   already been added. Rectangles are left/top inclusive, right/bottom exclusive.
// - Pixel rules every layer must hold (the Windows and Linux renderings of a scene are
//   compared pixel by pixel outside text):
//   * fillRect (l,t,r,b) paints exactly the pixels x in [l,r), y in [t,b) with the fill colour,
//     whatever the pen and draw mode are.
//   * lineTo draws with the pen from the current position to p, excluding the end point
//     (the system's line rule: one pixel per step along the major axis, Bresenham), then makes
//     p the current position. Width 1 lines are exact; pen styles: kPenSolid, kPenDot (3 pixels
//     on, 3 off, gaps left untouched). Draw modes apply to lines only:
//     kRopCopyPen (pen colour), kRopMergePen (destination OR pen), kRopNotXorPen
//     (NOT (destination XOR pen)), per colour channel.
//   * Clipping: setClip gives one rectangle in device coordinates; nothing outside it changes.
//   * Bitmap draws copy w x h pixels of the bitmap from src to dst (dst's size); the keyed
//     draw skips bitmap pixels whose red, green and blue equal the key's; the blend computes
//     per channel dst + (src - dst) * alpha / 255 (the platform's constant-alpha blend; the
//     layers may differ by 1 per channel).
//   * Text: single line, vertically centred in the rectangle, no prefix processing, horizontally
//     left (0), centred (1) or right (2) within the rectangle as given (the core has already
//     moved the left edge for left alignment). With kEndEllipsisText added to the alignment, a
//     text wider than the rectangle is cut after as many characters as fit with an ellipsis
//     ("...", the system's own) and drawn from the left edge. Opaque text fills the text cell with the fill
//     colour (the background colour of the surface); transparent text leaves it.
// - A surface is used on one thread only and never shared between contexts.
#pragma once

#include "../CColor.h"
#include "../CRect.h"

#include <cstdint>

namespace VSTGUI {

class CFrame;
class PlatformBitmap;

// The font a context asks for (the fields of the system's logical font the toolkit sets).
struct PlatformFont {
    int32_t height = -12; // negative: character height in pixels, as the system's lfHeight
    int32_t weight = 400; // 400 normal, 700 bold
    bool italic = false;
    bool underline = false;
    int32_t pitchAndFamily = 34; // 34 variable pitch, swiss family; 80 decorative family
    const char* face = "Arial";  // static storage
};

enum : int32_t {
    kPenSolid = 0, // the system's PS_SOLID
    kPenDot = 2    // the system's PS_DOT
};

enum : int32_t {
    kRopNotXorPen = 10, // R2_NOTXORPEN
    kRopCopyPen = 13,   // R2_COPYPEN
    kRopMergePen = 15   // R2_MERGEPEN
};

class PlatformSurface {
public:
    // The surface of a context on a window or device context.
    // - deviceContext: a native target handed in by the caller, or null. Win32: an HDC (the
    //   paint DC). Cairo: a cairo_surface_t* image surface (ARGB32 or RGB24) the caller keeps alive.
    // - window: a native window handle (Win32: HWND) or null. With a window but no device
    //   context the surface obtains the window's DC itself and gives it back at destruction.
    // - frame: the owning frame or null. Cairo: with neither device context nor window the
    //   surface draws into the window-less frame's own image (see CairoFrame).
    // With nothing to draw into the surface still exists and draws nothing.
    // Initial state: transparent background mode; the core then sets pen, line style, width,
    // fill, text colour, font and draw mode.
    static PlatformSurface* createForContext(CFrame* frame, void* deviceContext, void* window);

    // An off-screen surface of width x height compatible with the frame's window (or the
    // screen without one). Its content is undefined until drawn; the core paints it at once.
    static PlatformSurface* createOffscreen(CFrame* frame, int32_t width, int32_t height);

    // Restores what was selected in a borrowed device context, frees the surface's own pen,
    // brush, font and region, gives back a DC it obtained, frees an off-screen bitmap.
    virtual ~PlatformSurface() {}

    // Screen position of the window's top-left corner; (0,0) without a window.
    virtual CPoint getWindowOrigin() = 0;
    // The native target: Win32 HDC, Cairo the cairo_surface_t* drawn into; may be null.
    virtual void* getNativeContext() = 0;

    // State, called only on a real change.
    virtual void setPen(int32_t penStyle, int32_t width, const CColor& color) = 0; // RGB used
    virtual void setFill(const CColor& color) = 0;                                 // brush and background colour (RGB)
    virtual void setTextColor(const CColor& color) = 0;                            // RGB
    virtual void setDrawMode(int32_t rop) = 0;                                     // kRop...
    virtual void setFont(const PlatformFont& font) = 0;
    virtual void setClip(const CRect& deviceRect) = 0;

    // Drawing, device coordinates.
    virtual void moveTo(const CPoint& p) = 0;
    virtual void lineTo(const CPoint& p) = 0;
    virtual void fillRect(const CRect& r) = 0;
    virtual void drawText(const char* text, const CRect& r, bool opaque, int32_t alignment) = 0;

    // Bitmaps: dst is the destination rectangle (its size is the copied size), src the
    // top-left pixel in the bitmap. A null bitmap or an empty dst draws nothing; only the part
    // whose source pixels lie inside the bitmap is drawn, the rest of dst stays unchanged.
    virtual void drawBitmap(PlatformBitmap* bitmap, const CRect& dst, const CPoint& src) = 0;
    virtual void drawBitmapKeyed(PlatformBitmap* bitmap, const CRect& dst, const CPoint& src, const CColor& key) = 0;
    // Does nothing when the platform has no constant-alpha blend.
    virtual void drawBitmapBlend(PlatformBitmap* bitmap, const CRect& dst, const CPoint& src, uint8_t alpha) = 0;

    // Copies dst's size of pixels from src in this surface to dst in the destination surface
    // (one block copy), within the destination's clip and both surfaces' bounds.
    virtual void copyTo(PlatformSurface* destination, const CRect& dst, const CPoint& src) = 0;
};

} // namespace VSTGUI
