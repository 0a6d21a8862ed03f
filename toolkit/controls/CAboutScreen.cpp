#include "controls/CAboutScreen.h"

#include "CBitmap.h"
#include "CDrawContext.h"
#include "CFrame.h"
#include "controls/CAboutScreenView.h"

#include <cstring>

namespace VSTGUI {

CAboutScreen::CAboutScreen(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
                           const CRect& overlayRect, const CPoint& overlayOffset)
    : CControl(size, listener, tag, background), overlayRect(overlayRect), overlayOffset(overlayOffset)
{
}

CAboutScreen::~CAboutScreen()
{
    closeOverlayView();
}

void CAboutScreen::closeOverlayView()
{
    if (overlayView == nullptr)
        return;
    CView* view = overlayView;
    overlayView = nullptr;
    if (parentFrame != nullptr && parentFrame->getModalView() == view)
        parentFrame->setModalView(nullptr);
    view->release();
}

bool CAboutScreen::removed(CView* parent)
{
    closeOverlayView();
    return CControl::removed(parent);
}

bool CAboutScreen::isTypeOf(const char* name) const
{
    if (name != nullptr && std::strcmp(name, "CAboutScreen") == 0)
        return true;
    return CControl::isTypeOf(name);
}

bool CAboutScreen::hitTest(const CPoint& where, int32_t buttons)
{
    return mouseableArea.pointInside(where) && (buttons & MouseLeft) != 0;
}

void CAboutScreen::drawPicture(CDrawContext* context, const CRect& rect)
{
    if (background == nullptr)
        return;
    if (!transparency)
        background->draw(context, rect, overlayOffset);
    else if (overlayAlpha != 0)
        background->drawAlphaBlend(context, rect, overlayOffset, overlayAlpha);
    else
        background->drawTransparent(context, rect, overlayOffset);
}

void CAboutScreen::draw(CDrawContext* context)
{
    if (value != 0.f && background != nullptr) {
        drawPicture(context, overlayRect);
        overlayShown = true;
    }
    setDirty(false);
}

void CAboutScreen::mouse(CDrawContext* context, CPoint& where, int32_t buttons)
{
    (void)where;
    if (!mouseEnabled)
        return;
    if (buttons == -1 && context != nullptr)
        buttons = context->getMouseButtons();
    if (modifierClickConsumed(context, buttons))
        return;
    if ((buttons & MouseLeft) == 0)
        return;
    value = value == 0.f ? 1.f : 0.f;
    if (value == 0.f)
        return;
    auto* view = new CAboutScreenView(overlayRect, this);
    if (parentFrame != nullptr && parentFrame->setModalView(view)) {
        overlayView = view;
        if (listener != nullptr)
            listener->valueChanged(context, this);
    } else {
        // Another modal view is up (or there is no frame): nothing is shown.
        view->release();
        value = 0.f;
    }
    setDirty(true);
}

void CAboutScreen::hideOverlay(CDrawContext* context)
{
    if (value == 0.f)
        return;
    value = 0.f;
    if (listener != nullptr)
        listener->valueChanged(context, this);
    overlayShown = false;
}

} // namespace VSTGUI
