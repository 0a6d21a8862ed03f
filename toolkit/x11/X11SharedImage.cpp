#include "X11SharedImage.h"

#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace VSTGUI {
namespace x11shared {

namespace {

struct Segment {
    XShmSegmentInfo info = {};
    XImage header = {};
    std::weak_ptr<X11Display> display;
};

const cairo_user_data_key_t kSegmentKey = {};

// The segment was marked for removal once both sides had it: it is gone when the server has
// detached too (at once, or when the connection closes).
void release(void* data)
{
    Segment* segment = static_cast<Segment*>(data);
    if (std::shared_ptr<X11Display> display = segment->display.lock()) {
        XShmDetach(display->get(), &segment->info);
        XFlush(display->get());
    }
    shmdt(segment->info.shmaddr);
    delete segment;
}

} // namespace

cairo_surface_t* createImage(const std::shared_ptr<X11Display>& display, int32_t width, int32_t height)
{
    if (!display || width <= 0 || height <= 0 || !display->sharedMemory())
        return nullptr;
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, width);
    if (stride <= 0)
        return nullptr;
    std::unique_ptr<Segment> segment(new Segment());
    segment->info.shmid = shmget(IPC_PRIVATE, size_t(stride) * size_t(height), IPC_CREAT | 0600);
    if (segment->info.shmid < 0)
        return nullptr;
    void* address = shmat(segment->info.shmid, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) {
        shmctl(segment->info.shmid, IPC_RMID, nullptr);
        return nullptr;
    }
    segment->info.shmaddr = static_cast<char*>(address);
    segment->info.readOnly = True;
    Display* d = display->get();
    // Only this request's failure counts (not an earlier one's on the connection).
    const unsigned long mark = display->nextRequest();
    const bool attached = XShmAttach(d, &segment->info) && !display->failedSince(mark);
    // Both sides have it now (or never will): marked for removal, the segment cannot outlive
    // them, whatever happens to this process.
    shmctl(segment->info.shmid, IPC_RMID, nullptr);
    if (!attached) {
        // A server that has the extension but cannot reach this machine's memory.
        shmdt(address);
        display->refuseSharedMemory();
        return nullptr;
    }
    cairo_surface_t* image = cairo_image_surface_create_for_data(static_cast<unsigned char*>(address),
                                                                 CAIRO_FORMAT_RGB24, width, height, stride);
    XImage& header = segment->header;
    header.width = width;
    header.height = height;
    header.format = ZPixmap;
    header.data = segment->info.shmaddr;
    header.obdata = reinterpret_cast<char*>(&segment->info);
    header.byte_order = LSBFirst;
    header.bitmap_unit = 32;
    header.bitmap_bit_order = LSBFirst;
    header.bitmap_pad = 32;
    header.depth = display->depth();
    header.bytes_per_line = stride;
    header.bits_per_pixel = 32;
    header.red_mask = 0xff0000;
    header.green_mask = 0xff00;
    header.blue_mask = 0xff;
    segment->display = display;
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS || !XInitImage(&header) ||
        cairo_surface_set_user_data(image, &kSegmentKey, segment.get(), release) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(image);
        release(segment.release());
        return nullptr;
    }
    segment.release();
    return image;
}

bool put(X11Display& display, cairo_surface_t* image, Drawable drawable, GC gc, const CRect& r)
{
    Segment* segment = static_cast<Segment*>(cairo_surface_get_user_data(image, &kSegmentKey));
    if (segment == nullptr)
        return false;
    const std::shared_ptr<X11Display> owner = segment->display.lock();
    if (owner.get() != &display)
        return false;
    // No completion event: a later drawing pass only ever makes the server read newer pixels,
    // and that pass sends its own rectangle too.
    return XShmPutImage(display.get(), drawable, gc, &segment->header, int(r.left), int(r.top), int(r.left), int(r.top),
                        unsigned(r.width()), unsigned(r.height()), False) != 0;
}

} // namespace x11shared
} // namespace VSTGUI
