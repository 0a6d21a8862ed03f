#include "Win32Bitmap.h"

#include "Win32System.h"

#include <cstdlib>
#include <cstring>

namespace VSTGUI {

Win32Bitmap::Win32Bitmap(HBITMAP handle, int32_t width, int32_t height) : handle(handle), width(width), height(height)
{
}

Win32Bitmap::~Win32Bitmap()
{
    if (handle != nullptr)
        DeleteObject(handle);
}

PlatformBitmap* PlatformBitmap::loadResource(int32_t resourceId)
{
    if (resourceId <= 0 || resourceId > 0xffff)
        return nullptr;
    HBITMAP handle = LoadBitmapA(win32::moduleInstance(), MAKEINTRESOURCEA(resourceId));
    if (handle == nullptr)
        return nullptr;
    BITMAP info = {};
    if (GetObjectA(handle, sizeof(info), &info) != int(sizeof(info)) || info.bmWidth <= 0 || info.bmHeight <= 0) {
        DeleteObject(handle);
        return nullptr;
    }
    return new Win32Bitmap(handle, info.bmWidth, info.bmHeight);
}

bool PlatformBitmap::resourceSize(int32_t resourceId, int32_t& width, int32_t& height)
{
    if (resourceId <= 0 || resourceId > 0xffff)
        return false;
    // A BITMAP resource is a DIB without its file header: it starts with the info header.
    HMODULE module = win32::moduleInstance();
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(2)); // RT_BITMAP
    if (found == nullptr || SizeofResource(module, found) < sizeof(BITMAPINFOHEADER))
        return false;
    HGLOBAL loaded = LoadResource(module, found);
    const auto* header = static_cast<const BITMAPINFOHEADER*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    if (header == nullptr || header->biSize < sizeof(BITMAPINFOHEADER))
        return false;
    width = header->biWidth;
    height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
    return width > 0 && height > 0;
}

PlatformBitmap* PlatformBitmap::createFromPixels(int32_t width, int32_t height, const uint32_t* pixels)
{
    if (width <= 0 || height <= 0 || pixels == nullptr || width > 0x7fff || height > 0x7fff)
        return nullptr;
    HDC screen = GetDC(nullptr);
    if (screen == nullptr)
        return nullptr;
    HBITMAP handle = CreateCompatibleBitmap(screen, width, height);
    if (handle != nullptr) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height; // rows top to bottom
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        // 0x00RRGGBB words are exactly the 32-bit DIB's blue, green, red, unused bytes.
        if (SetDIBits(screen, handle, 0, UINT(height), pixels, &info, DIB_RGB_COLORS) != height) {
            DeleteObject(handle);
            handle = nullptr;
        }
    }
    ReleaseDC(nullptr, screen);
    return handle != nullptr ? new Win32Bitmap(handle, width, height) : nullptr;
}

} // namespace VSTGUI
