#include "controls/CMovieBitmap.h"

#include "CBitmap.h"

#include <cstring>

namespace VSTGUI {

CMovieBitmap::CMovieBitmap(const CRect& size, CControlListener* listener, int32_t tag, int32_t subPixmaps,
                           int32_t heightOfOneImage, CBitmap* background, const CPoint& offset)
    : CControl(size, listener, tag, background),
      offset(offset),
      subPixmaps(subPixmaps),
      heightOfOneImage(heightOfOneImage)
{
}

CMovieBitmap::~CMovieBitmap() {}

bool CMovieBitmap::isTypeOf(const char* name) const
{
    if (name != nullptr && std::strcmp(name, "CMovieBitmap") == 0)
        return true;
    return CControl::isTypeOf(name);
}

int32_t CMovieBitmap::frameIndex() const
{
    const float v = value > 1.f ? 1.f : value;
    if (!(v > 0.f) || subPixmaps <= 1)
        return 0;
    return int32_t(float(subPixmaps - 1) * v + 0.5f);
}

void CMovieBitmap::draw(CDrawContext* context)
{
    if (value > 1.f)
        value = 1.f;
    CPoint where = offset;
    where.v += heightOfOneImage * frameIndex();
    if (background != nullptr) {
        if (transparency)
            background->drawTransparent(context, size, where);
        else
            background->draw(context, size, where);
    }
    setDirty(false);
}

} // namespace VSTGUI
