#include "controls/CAnimKnob.h"

#include "CBitmap.h"

#include <cstring>

namespace VSTGUI {

CAnimKnob::CAnimKnob(const CRect& size, CControlListener* listener, int32_t tag, int32_t subPixmaps,
                     int32_t heightOfOneImage, CBitmap* background, const CPoint& offset)
    : CKnob(size, listener, tag, background, nullptr, offset),
      subPixmaps(subPixmaps),
      heightOfOneImage(heightOfOneImage)
{
    inset = 0;
}

CAnimKnob::~CAnimKnob() {}

bool CAnimKnob::isTypeOf(const char* name) const
{
    if (name != nullptr && std::strcmp(name, "CAnimKnob") == 0)
        return true;
    return CKnob::isTypeOf(name);
}

int32_t CAnimKnob::frameTop() const
{
    if (!(value >= 0.f) || heightOfOneImage <= 0 || subPixmaps <= 1)
        return 0;
    const int32_t total = heightOfOneImage * (subPixmaps - 1);
    const float scaled = value * float(total);
    // Values above 1 are not clamped by the editor's callers; the last frame is the limit.
    if (!(scaled < float(total)))
        return total;
    int32_t y = int32_t(scaled);
    for (int32_t r = 0; r <= total; r += heightOfOneImage) {
        if (y < r) {
            y = r - heightOfOneImage;
            break;
        }
    }
    return y < 0 ? 0 : y;
}

void CAnimKnob::draw(CDrawContext* context)
{
    if (background != nullptr) {
        const CPoint where(0, frameTop());
        if (transparency)
            background->drawTransparent(context, size, where);
        else
            background->draw(context, size, where);
    }
    valueToPoint(lastDrawnPoint);
    setDirty(false);
}

bool CAnimKnob::isDirty() const
{
    if (!dirty) {
        CPoint p;
        valueToPoint(p);
        if (p == lastDrawnPoint)
            return false;
    }
    return CKnob::isDirty();
}

} // namespace VSTGUI
