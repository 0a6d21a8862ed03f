// The view that carries the About picture while it is shown: the frame's modal view, so it
// receives every click; a left click anywhere hides the picture and destroys the view.
#pragma once

#include "CView.h"

namespace VSTGUI {

class CAboutScreen;

class CAboutScreenView : public CView {
public:
    CAboutScreenView(const CRect& size, CAboutScreen* owner);

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where, int32_t buttons = -1) override;

    CAboutScreen* getOwner() const { return ownerScreen; }

protected:
    CAboutScreen* ownerScreen;
};

} // namespace VSTGUI
