// A picture loaded by integer resource id, drawn opaque, colour-keyed or alpha-blended.
// Bitmaps of the same resource id share one decoded picture (PictureStore.h); the
// transparent colour stays each bitmap's own.
#pragma once

#include "CColor.h"
#include "CRect.h"
#include "CReferenceCounter.h"

#include <cstdint>

namespace VSTGUI {

class CDrawContext;
class PlatformBitmap;

class CBitmap : public CReferenceCounter {
public:
    explicit CBitmap(int32_t resourceId);
    // A bitmap from pixels (rows top to bottom, 0x00RRGGBB); resource id 0.
    CBitmap(int32_t width, int32_t height, const uint32_t* pixels);
    ~CBitmap() override;

    // The size of the picture with this resource id, read without decoding it; false when
    // there is none.
    static bool resourceSize(int32_t resourceId, int32_t& width, int32_t& height);

    virtual void draw(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint());
    virtual void drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint());
    virtual void drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint(),
                                uint8_t alpha = 128);
    virtual void dispose();
    virtual bool loadFromResource(int32_t resourceId);
    // Loading from files is not supported: disposes and answers false.
    virtual bool loadFromPath(const void* path);

    int32_t getResourceId() const { return resourceId; }
    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }
    void setTransparentColor(const CColor& color) { transparentColor = color; }
    CColor getTransparentColor() const { return transparentColor; }
    bool isLoaded() const { return image != nullptr; }
    PlatformBitmap* getPlatformBitmap() const { return image; }

protected:
    int32_t resourceId = 0;
    int32_t width = 0;
    int32_t height = 0;
    CColor transparentColor;
    PlatformBitmap* image = nullptr;
    // image is the store's shared picture (loaded by id), not the bitmap's own.
    bool shared = false;
};

} // namespace VSTGUI
