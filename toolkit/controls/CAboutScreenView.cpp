#include "controls/CAboutScreenView.h"

#include "CDrawContext.h"
#include "CFrame.h"
#include "controls/CAboutScreen.h"

namespace VSTGUI {

CAboutScreenView::CAboutScreenView(const CRect& size, CAboutScreen* owner) : CView(size), ownerScreen(owner)
{
    setBackground(owner->getBackground());
    setTransparency(owner->getTransparency());
}

void CAboutScreenView::draw(CDrawContext* context)
{
    ownerScreen->drawPicture(context, size);
    setDirty(false);
}

void CAboutScreenView::mouse(CDrawContext* context, CPoint& where, int32_t buttons)
{
    (void)where;
    if (buttons == -1 && context != nullptr)
        buttons = context->getMouseButtons();
    if ((buttons & MouseLeft) == 0)
        return;
    ownerScreen->hideOverlay(context);
    ownerScreen->overlayViewClosed();
    CFrame* frame = parentFrame;
    if (frame != nullptr) {
        frame->setDirty(true);
        frame->setModalView(nullptr);
    }
    release();
}

} // namespace VSTGUI
