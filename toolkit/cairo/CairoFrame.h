// The Cairo layer's frame window. Without a system window the frame draws into an image of
// its own size, which can be read back or written as a PNG file; the X11 frame (toolkit/x11)
// uses that image as the back buffer of a real window.
#pragma once

#include "platform/PlatformFrame.h"

#include <cairo.h>
#include <memory>

namespace VSTGUI {

class CairoFrame : public PlatformFrame {
public:
    CairoFrame(CFrame* frame, int32_t width, int32_t height);
    ~CairoFrame() override;

    // A context on the picture is done and has drawn (at most) the area r.
    virtual void imageChanged(const CRect& r) { (void)r; }

    void* getWindow() override { return nullptr; }
    CPoint getWindowOrigin() override { return CPoint(); }
    void resizeWindow(int32_t width, int32_t height) override;
    bool resizeWindowChain(int32_t width, int32_t height) override;
    bool getPosition(int32_t& x, int32_t& y) override;
    bool getSize(CRect& rect) override;
    void setCursor(int32_t type) override { cursor = type; }
    void registerDropTarget(CDropTarget* target) override { dropTarget = target; }
    void revokeDropTarget() override { dropTarget = nullptr; }

    // The frame's picture (RGB24); null when the frame has no area.
    cairo_surface_t* getImage() const { return image; }
    // 0x00RRGGBB of one pixel of the picture; 0 outside it.
    uint32_t pixel(int32_t x, int32_t y) const;
    bool writePNG(const char* path) const;
    int32_t getCursor() const { return cursor; }
    CDropTarget* getDropTarget() const { return dropTarget; }

    // The layer of a frame (every frame of this build has one).
    static CairoFrame* of(CFrame* frame);
    // Points at this frame while it lives and at null after: a drawing context may outlive
    // the frame it was made for (a host or a test releases it after the editor closed).
    std::shared_ptr<CairoFrame*> lifeToken() const { return alive; }

protected:
    // A frame whose picture the derived frame makes (makeImage) once it can.
    explicit CairoFrame(CFrame* frame);
    void makeImage(int32_t width, int32_t height);
    // A new RGB24 picture for makeImage, every pixel black (null when there is none to be had).
    // Cairo clears the pixels it allocates, and a new shared segment is zero-filled.
    virtual cairo_surface_t* createImage(int32_t width, int32_t height);

    CFrame* frame;
    cairo_surface_t* image = nullptr;
    int32_t cursor = 0;
    CDropTarget* dropTarget = nullptr;
    std::shared_ptr<CairoFrame*> alive = std::make_shared<CairoFrame*>(this);
};

} // namespace VSTGUI
