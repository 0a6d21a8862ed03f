// An invisible hot spot over the background: a left click shows the About picture over the
// whole window (through a modal CAboutScreenView); a left click on the picture hides it.
// The value is the state: 0 hidden, 1 shown.
#pragma once

#include "controls/CControl.h"

namespace VSTGUI {

class CAboutScreen : public CControl {
public:
    CAboutScreen(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
                 const CRect& overlayRect, const CPoint& overlayOffset);
    ~CAboutScreen() override;

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where, int32_t buttons = -1) override;
    // Left clicks inside the mouse area, edges included.
    bool hitTest(const CPoint& where, int32_t buttons = -1) override;
    bool isTypeOf(const char* name) const override;
    // Takes a picture that is still shown out of the frame.
    bool removed(CView* parent) override;

    // Hides the picture and tells the listener; nothing when it is hidden already.
    virtual void hideOverlay(CDrawContext* context);

    bool isOverlayShown() const { return overlayShown; }
    const CRect& getOverlayRect() const { return overlayRect; }
    const CPoint& getOverlayOffset() const { return overlayOffset; }
    uint8_t getOverlayAlpha() const { return overlayAlpha; }
    void setOverlayAlpha(uint8_t alpha) { overlayAlpha = alpha; }

    // Draws the picture into rect from the overlay offset as the settings say.
    void drawPicture(CDrawContext* context, const CRect& rect);
    // The overlay view is going away by itself.
    void overlayViewClosed() { overlayView = nullptr; }

protected:
    bool overlayShown = false;
    CRect overlayRect;
    CPoint overlayOffset;
    uint8_t overlayAlpha = 255;
    // The view showing the picture, while it exists (it holds its own reference).
    CView* overlayView = nullptr;

private:
    void closeOverlayView();
};

} // namespace VSTGUI
