// A picture whose pixels live in a shared-memory segment that the X server has attached: the
// window is drawn from it with a short request instead of sending every pixel through the
// connection. Used for the frame's back buffer when the display is on this machine and has the
// shared-memory extension; elsewhere (a remote display, no extension, no segment to be had) the
// pictures stay plain and are sent as they are.
#pragma once

#include "X11Display.h"

#include <cairo.h>
#include <memory>

namespace VSTGUI {
namespace x11shared {

// An RGB24 image of width x height in a segment attached to display's server, or null when
// that cannot be had. The segment goes with the image (detached from the server while its
// connection is still open).
cairo_surface_t* createImage(const std::shared_ptr<X11Display>& display, int32_t width, int32_t height);

// Copies the part r of image (made by createImage on display) to the drawable. False when the
// image is not a shared one of display: it is then sent the ordinary way.
bool put(X11Display& display, cairo_surface_t* image, Drawable drawable, GC gc, const CRect& r);

} // namespace x11shared
} // namespace VSTGUI
