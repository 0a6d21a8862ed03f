#include "CBitmap.h"

#include "CDrawContext.h"
#include "PictureStore.h"
#include "platform/PlatformBitmap.h"
#include "platform/PlatformSurface.h"

namespace VSTGUI {

CBitmap::CBitmap(int32_t resourceId) : resourceId(resourceId)
{
    loadFromResource(resourceId);
    transparentColor = colorTransparent;
}

CBitmap::CBitmap(int32_t width, int32_t height, const uint32_t* pixels)
{
    image = PlatformBitmap::createFromPixels(width, height, pixels);
    if (image != nullptr) {
        this->width = image->getWidth();
        this->height = image->getHeight();
    }
    transparentColor = colorTransparent;
}

CBitmap::~CBitmap()
{
    dispose();
}

void CBitmap::dispose()
{
    if (shared)
        picture_store::release(image);
    else
        delete image;
    image = nullptr;
    shared = false;
    width = height = 0;
}

bool CBitmap::loadFromResource(int32_t id)
{
    dispose();
    image = picture_store::acquire(id);
    if (image == nullptr)
        return false;
    shared = true;
    width = image->getWidth();
    height = image->getHeight();
    return true;
}

bool CBitmap::resourceSize(int32_t id, int32_t& width, int32_t& height)
{
    return PlatformBitmap::resourceSize(id, width, height);
}

bool CBitmap::loadFromPath(const void* path)
{
    (void)path;
    dispose();
    return false;
}

namespace {

// The destination in device coordinates, or false when there is nothing to draw into.
bool target(CDrawContext* context, const CRect& rect, CRect& dst)
{
    if (context == nullptr || context->getSurface() == nullptr)
        return false;
    dst = rect;
    dst.offset(context->getOffset().h, context->getOffset().v);
    return true;
}

} // namespace

void CBitmap::draw(CDrawContext* context, const CRect& rect, const CPoint& offset)
{
    CRect dst;
    if (image == nullptr || !target(context, rect, dst))
        return;
    context->getSurface()->drawBitmap(image, dst, offset);
}

void CBitmap::drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& offset)
{
    CRect dst;
    if (image == nullptr || !target(context, rect, dst))
        return;
    context->getSurface()->drawBitmapKeyed(image, dst, offset, transparentColor);
}

void CBitmap::drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& offset, uint8_t alpha)
{
    CRect dst;
    if (image == nullptr || !target(context, rect, dst))
        return;
    context->getSurface()->drawBitmapBlend(image, dst, offset, alpha);
}

} // namespace VSTGUI
