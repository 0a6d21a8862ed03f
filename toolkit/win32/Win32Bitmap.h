// A picture as a GDI bitmap: a BITMAP resource of the module or one made from pixels.
#pragma once

#include "../platform/PlatformBitmap.h"

#include <windows.h>

namespace VSTGUI {

class Win32Bitmap : public PlatformBitmap {
public:
    // Takes ownership of a loaded bitmap handle.
    Win32Bitmap(HBITMAP handle, int32_t width, int32_t height);
    ~Win32Bitmap() override;

    int32_t getWidth() const override { return width; }
    int32_t getHeight() const override { return height; }
    HBITMAP getHandle() const { return handle; }

private:
    HBITMAP handle;
    int32_t width;
    int32_t height;
};

} // namespace VSTGUI
