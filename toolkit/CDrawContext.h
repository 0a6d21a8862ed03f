// One drawing target (a window, a device context or an off-screen surface) with its pen,
// fill, font and clip state. Coordinates passed in are translated by the offset.
#pragma once

#include "CColor.h"
#include "CRect.h"
#include "CReferenceCounter.h"
#include "MouseButtons.h"

#include <cstdint>

namespace VSTGUI {

class CFrame;
class PlatformSurface;

enum : int32_t {
    kSystemFont = 0,
    kVeryBigFont,
    kBigFont,
    kNormalFont,
    kSmallFont,
    kSmallerFont,
    kVerySmallFont,
    kSymbolFont,
    kNumFonts
};

enum : int32_t { kBoldFace = 1, kItalicFace = 2, kUnderlineFace = 4 };
enum : int32_t { kSolidLine = 0, kDottedLine = 1 };
enum : int32_t { kCopyMode = 0, kOrMode = 1, kXorMode = 2 };
enum : int32_t { kDrawOutline = 0, kDrawFilled = 1, kDrawFilledAndOutlined = 2 };
enum : int32_t { kLeftText = 0, kCenterText = 1, kRightText = 2 };
// Added to an alignment: a text wider than its rectangle shows its beginning, from the
// rectangle's left edge, and ends in an ellipsis instead of being cut at both sides.
enum : int32_t { kEndEllipsisText = 0x100 };

// One entry of the font table, indexed by font id.
struct FontTableEntry {
    const char* face;
    int32_t defaultSize;
    bool alwaysBold;
    bool decorative;
};
const FontTableEntry& fontTableEntry(int32_t fontId);

class CDrawContext : public CReferenceCounter {
public:
    // A context on deviceContext (native, may be null) and/or window (native, may be null).
    CDrawContext(CFrame* frame, void* deviceContext, void* window);
    ~CDrawContext() override;

    void setFrameColor(const CColor& color);
    CColor getFrameColor() const { return frameColor; }
    void setFillColor(const CColor& color);
    CColor getFillColor() const { return fillColor; }
    void setFontColor(const CColor& color);
    CColor getFontColor() const { return fontColor; }
    void setLineStyle(int32_t style);
    int32_t getLineStyle() const { return lineStyle; }
    void setLineWidth(int32_t width);
    int32_t getLineWidth() const { return lineWidth; }
    void setDrawMode(int32_t mode);
    int32_t getDrawMode() const { return drawMode; }
    // size 0 takes the table's default size; ids outside the table mean font 0.
    void setFont(int32_t fontId, int32_t size = 0, int32_t style = 0);
    int32_t getFont() const { return fontId; }
    int32_t getFontSize() const { return fontSize; }
    int32_t getFontStyle() const { return fontStyle; }
    void setClipRect(const CRect& clip);
    // The clip rectangle in the coordinates of the current offset.
    CRect& getClipRect(CRect& clip) const;

    void moveTo(const CPoint& p);
    void lineTo(const CPoint& p);
    void drawRect(const CRect& rect, int32_t style = kDrawOutline);
    // Fills the rectangle without its left column and top row.
    void fillRect(const CRect& rect);
    void drawString(const char* text, const CRect& rect, bool opaque = false, int32_t alignment = kCenterText);

    int32_t getMouseButtons();
    // The pointer relative to the window's top-left corner.
    void getMouseLocation(CPoint& point);

    CPoint& getOffset() { return offset; }
    void setOffset(const CPoint& p) { offset = p; }
    CPoint& getWindowOrigin() { return windowOrigin; }
    void setWindowOrigin(const CPoint& p) { windowOrigin = p; }
    void* getDeviceContext() const { return deviceContext; }
    void* getWindow() const { return window; }
    CFrame* getFrame() const { return frame; }
    PlatformSurface* getSurface() const { return surface; }

protected:
    // For off-screen contexts: draws into a surface made by the caller (owned from now on).
    CDrawContext(CFrame* frame, PlatformSurface* surface, const CRect& clip);

    CPoint windowOrigin;
    CPoint offset;
    void* deviceContext = nullptr;
    void* window = nullptr;
    CFrame* frame = nullptr;
    int32_t fontSize = -1;
    int32_t fontStyle = 0;
    int32_t fontId = kNumFonts;
    CColor fontColor;
    int32_t lineWidth = 1;
    CColor frameColor;
    CColor fillColor;
    int32_t lineStyle = 1;
    int32_t drawMode = 3;
    CRect clipRect;
    int32_t penStyle = 0;
    PlatformSurface* surface = nullptr;

private:
    void setUpState();
    void updatePen();
};

} // namespace VSTGUI
