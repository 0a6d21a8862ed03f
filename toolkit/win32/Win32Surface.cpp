#include "Win32Surface.h"

#include "../CDrawContext.h"
#include "../CFrame.h"
#include "Win32Bitmap.h"
#include "Win32System.h"

#include <cstring>

namespace VSTGUI {

namespace {

COLORREF rgbOf(const CColor& c)
{
    return COLORREF(c.toRGBValue());
}

// The part of a w x h copy from src (in a bitmap of bw x bh) to dst whose source pixels lie
// inside the bitmap. False when nothing is left.
bool clipToBitmap(const CRect& dst, const CPoint& src, int32_t bw, int32_t bh, RECT& outDst, POINT& outSrc)
{
    int32_t x = dst.left, y = dst.top, sx = src.h, sy = src.v;
    int32_t w = dst.right - dst.left, h = dst.bottom - dst.top;
    if (sx < 0) {
        x -= sx;
        w += sx;
        sx = 0;
    }
    if (sy < 0) {
        y -= sy;
        h += sy;
        sy = 0;
    }
    if (sx + w > bw)
        w = bw - sx;
    if (sy + h > bh)
        h = bh - sy;
    if (w <= 0 || h <= 0)
        return false;
    outDst = {x, y, x + w, y + h};
    outSrc = {sx, sy};
    return true;
}

// A memory DC with the bitmap selected, undone at the end of the scope.
class BitmapDC {
public:
    BitmapDC(HDC reference, HBITMAP bitmap)
    {
        dc = CreateCompatibleDC(reference);
        if (dc != nullptr)
            previous = SelectObject(dc, bitmap);
    }
    ~BitmapDC()
    {
        if (dc != nullptr) {
            SelectObject(dc, previous);
            DeleteDC(dc);
        }
    }
    BitmapDC(const BitmapDC&) = delete;
    BitmapDC& operator=(const BitmapDC&) = delete;
    HDC get() const { return dc; }

private:
    HDC dc = nullptr;
    HGDIOBJ previous = nullptr;
};

// Selects a freshly made pen, brush or font into dc and frees the one it replaces; when the
// creation failed the previous object stays selected.
template <typename Handle>
void selectReplacing(HDC dc, Handle made, Handle& current)
{
    if (made == nullptr)
        return;
    SelectObject(dc, made);
    if (current != nullptr)
        DeleteObject(current);
    current = made;
}

} // namespace

PlatformSurface* PlatformSurface::createForContext(CFrame*, void* deviceContext, void* window)
{
    return new Win32Surface(static_cast<HDC>(deviceContext), static_cast<HWND>(window));
}

PlatformSurface* PlatformSurface::createOffscreen(CFrame* frame, int32_t width, int32_t height)
{
    HWND window = frame != nullptr ? static_cast<HWND>(frame->getWindow()) : nullptr;
    return new Win32Surface(window, width, height);
}

Win32Surface::Win32Surface(HDC borrowed, HWND window) : dc(borrowed), window(window)
{
    if (dc == nullptr && window != nullptr) {
        ownedWindowDC = GetDC(window);
        dc = ownedWindowDC;
    }
    rememberSelection();
}

Win32Surface::Win32Surface(HWND window, int32_t width, int32_t height)
{
    HDC reference = GetDC(window);
    dc = CreateCompatibleDC(reference);
    if (dc != nullptr) {
        memoryDC = true;
        offscreenBitmap = CreateCompatibleBitmap(reference, width > 0 ? width : 1, height > 0 ? height : 1);
        if (offscreenBitmap != nullptr)
            savedBitmap = SelectObject(dc, offscreenBitmap);
    }
    if (reference != nullptr)
        ReleaseDC(window, reference);
    rememberSelection();
}

void Win32Surface::rememberSelection()
{
    if (dc == nullptr)
        return;
    savedBrush = GetCurrentObject(dc, OBJ_BRUSH);
    savedPen = GetCurrentObject(dc, OBJ_PEN);
    savedFont = GetCurrentObject(dc, OBJ_FONT);
    SetBkMode(dc, TRANSPARENT);
}

Win32Surface::~Win32Surface()
{
    if (dc != nullptr) {
        if (savedBrush != nullptr)
            SelectObject(dc, savedBrush);
        if (savedPen != nullptr)
            SelectObject(dc, savedPen);
        if (savedFont != nullptr)
            SelectObject(dc, savedFont);
        if (memoryDC) {
            if (savedBitmap != nullptr)
                SelectObject(dc, savedBitmap);
            DeleteDC(dc);
        }
    }
    if (offscreenBitmap != nullptr)
        DeleteObject(offscreenBitmap);
    if (brush != nullptr)
        DeleteObject(brush);
    if (pen != nullptr)
        DeleteObject(pen);
    if (font != nullptr)
        DeleteObject(font);
    if (ownedWindowDC != nullptr)
        ReleaseDC(window, ownedWindowDC);
}

CPoint Win32Surface::getWindowOrigin()
{
    RECT r;
    if (window == nullptr || !GetWindowRect(window, &r))
        return CPoint();
    return CPoint(r.left, r.top);
}

void Win32Surface::setPen(int32_t penStyle, int32_t width, const CColor& color)
{
    if (dc == nullptr)
        return;
    LOGPEN logPen = {};
    logPen.lopnStyle = UINT(penStyle);
    logPen.lopnWidth.x = width;
    logPen.lopnColor = rgbOf(color);
    selectReplacing(dc, CreatePenIndirect(&logPen), pen);
}

void Win32Surface::setFill(const CColor& color)
{
    if (dc == nullptr)
        return;
    SetBkColor(dc, rgbOf(color));
    LOGBRUSH logBrush = {};
    logBrush.lbStyle = BS_SOLID;
    logBrush.lbColor = rgbOf(color);
    selectReplacing(dc, CreateBrushIndirect(&logBrush), brush);
}

void Win32Surface::setTextColor(const CColor& color)
{
    if (dc != nullptr)
        SetTextColor(dc, rgbOf(color));
}

void Win32Surface::setDrawMode(int32_t rop)
{
    if (dc != nullptr)
        SetROP2(dc, rop);
}

void Win32Surface::setFont(const PlatformFont& request)
{
    if (dc == nullptr)
        return;
    LOGFONTA logFont = {};
    logFont.lfHeight = request.height;
    logFont.lfWeight = request.weight;
    logFont.lfItalic = request.italic ? 1 : 0;
    logFont.lfUnderline = request.underline ? 1 : 0;
    logFont.lfCharSet = ANSI_CHARSET;
    logFont.lfOutPrecision = OUT_STRING_PRECIS;
    logFont.lfClipPrecision = CLIP_STROKE_PRECIS;
    logFont.lfQuality = DEFAULT_QUALITY;
    logFont.lfPitchAndFamily = BYTE(request.pitchAndFamily);
    if (request.face != nullptr) {
        std::strncpy(logFont.lfFaceName, request.face, LF_FACESIZE - 1);
        logFont.lfFaceName[LF_FACESIZE - 1] = 0;
    }
    selectReplacing(dc, CreateFontIndirectA(&logFont), font);
}

void Win32Surface::setClip(const CRect& r)
{
    if (dc == nullptr)
        return;
    HRGN region = CreateRectRgn(r.left, r.top, r.right, r.bottom);
    if (region == nullptr)
        return;
    SelectClipRgn(dc, region);
    DeleteObject(region);
}

void Win32Surface::moveTo(const CPoint& p)
{
    if (dc != nullptr)
        MoveToEx(dc, p.h, p.v, nullptr);
}

void Win32Surface::lineTo(const CPoint& p)
{
    if (dc != nullptr)
        LineTo(dc, p.h, p.v);
}

void Win32Surface::fillRect(const CRect& r)
{
    if (dc == nullptr || brush == nullptr)
        return;
    RECT rect = {r.left, r.top, r.right, r.bottom};
    HGDIOBJ previousPen = SelectObject(dc, GetStockObject(NULL_PEN));
    FillRect(dc, &rect, brush);
    SelectObject(dc, previousPen);
}

void Win32Surface::drawText(const char* text, const CRect& r, bool opaque, int32_t alignment)
{
    if (dc == nullptr || text == nullptr || text[0] == 0)
        return;
    SetBkMode(dc, opaque ? OPAQUE : TRANSPARENT);
    RECT rect = {r.left, r.top, r.right, r.bottom};
    UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    if (alignment & kEndEllipsisText) {
        alignment &= ~kEndEllipsisText;
        // The system cuts the text and adds "..." when it does not fit; cut, it fills the
        // rectangle, so its beginning starts at the left edge whatever the alignment.
        flags |= DT_END_ELLIPSIS;
        SIZE extent = {};
        if (GetTextExtentPoint32A(dc, text, lstrlenA(text), &extent) && extent.cx > r.right - r.left)
            alignment = 0;
    }
    if (alignment == 1)
        flags |= DT_CENTER;
    else if (alignment == 2)
        flags |= DT_RIGHT;
    else
        flags |= DT_LEFT;
    DrawTextA(dc, text, -1, &rect, flags);
    SetBkMode(dc, TRANSPARENT);
}

void Win32Surface::drawBitmap(PlatformBitmap* bitmap, const CRect& dst, const CPoint& src)
{
    auto* image = static_cast<Win32Bitmap*>(bitmap);
    RECT d;
    POINT s;
    if (dc == nullptr || image == nullptr || !clipToBitmap(dst, src, image->getWidth(), image->getHeight(), d, s))
        return;
    BitmapDC source(dc, image->getHandle());
    if (source.get() == nullptr)
        return;
    BitBlt(dc, d.left, d.top, d.right - d.left, d.bottom - d.top, source.get(), s.x, s.y, SRCCOPY);
}

void Win32Surface::drawBitmapKeyed(PlatformBitmap* bitmap, const CRect& dst, const CPoint& src, const CColor& key)
{
    auto* image = static_cast<Win32Bitmap*>(bitmap);
    RECT d;
    POINT s;
    if (dc == nullptr || image == nullptr || !clipToBitmap(dst, src, image->getWidth(), image->getHeight(), d, s))
        return;
    BitmapDC source(dc, image->getHandle());
    if (source.get() == nullptr)
        return;
    const int w = d.right - d.left;
    const int h = d.bottom - d.top;
    const COLORREF keyColour = rgbOf(key);
    if (win32::transparentBlt != nullptr) {
        win32::transparentBlt(dc, d.left, d.top, w, h, source.get(), s.x, s.y, w, h, keyColour);
        return;
    }
    // Without TransparentBlt: a one-bit mask of the key pixels, then image XOR, mask AND,
    // image XOR, which leaves the destination where the mask is set.
    HDC maskDC = CreateCompatibleDC(dc);
    HBITMAP mask = CreateBitmap(w, h, 1, 1, nullptr);
    if (maskDC != nullptr && mask != nullptr) {
        HGDIOBJ previousMask = SelectObject(maskDC, mask);
        SetBkColor(source.get(), keyColour);
        BitBlt(maskDC, 0, 0, w, h, source.get(), s.x, s.y, SRCCOPY);
        const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
        const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
        BitBlt(dc, d.left, d.top, w, h, source.get(), s.x, s.y, SRCINVERT);
        BitBlt(dc, d.left, d.top, w, h, maskDC, 0, 0, SRCAND);
        BitBlt(dc, d.left, d.top, w, h, source.get(), s.x, s.y, SRCINVERT);
        SetBkColor(dc, oldBack);
        SetTextColor(dc, oldText);
        SelectObject(maskDC, previousMask);
    }
    if (mask != nullptr)
        DeleteObject(mask);
    if (maskDC != nullptr)
        DeleteDC(maskDC);
}

void Win32Surface::drawBitmapBlend(PlatformBitmap* bitmap, const CRect& dst, const CPoint& src, uint8_t alpha)
{
    auto* image = static_cast<Win32Bitmap*>(bitmap);
    RECT d;
    POINT s;
    if (dc == nullptr || image == nullptr || win32::alphaBlend == nullptr ||
        !clipToBitmap(dst, src, image->getWidth(), image->getHeight(), d, s))
        return;
    BitmapDC source(dc, image->getHandle());
    if (source.get() == nullptr)
        return;
    const int w = d.right - d.left;
    const int h = d.bottom - d.top;
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, alpha, 0};
    if (!win32::blendNeedsSourceCopy) {
        win32::alphaBlend(dc, d.left, d.top, w, h, source.get(), s.x, s.y, w, h, blend);
        return;
    }
    HBITMAP copy = CreateCompatibleBitmap(dc, w, h);
    if (copy == nullptr)
        return;
    {
        BitmapDC copyDC(dc, copy);
        if (copyDC.get() != nullptr) {
            BitBlt(copyDC.get(), 0, 0, w, h, source.get(), s.x, s.y, SRCCOPY);
            win32::alphaBlend(dc, d.left, d.top, w, h, copyDC.get(), 0, 0, w, h, blend);
        }
    }
    DeleteObject(copy);
}

void Win32Surface::copyTo(PlatformSurface* destination, const CRect& dst, const CPoint& src)
{
    auto* target = static_cast<Win32Surface*>(destination);
    if (dc == nullptr || target == nullptr || target->dc == nullptr)
        return;
    BitBlt(target->dc, dst.left, dst.top, dst.right - dst.left, dst.bottom - dst.top, dc, src.h, src.v, SRCCOPY);
}

} // namespace VSTGUI
