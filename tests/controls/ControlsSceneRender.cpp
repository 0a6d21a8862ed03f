// Renders the control scene with the Linux layer: the reference that the Wine run compares
// the Windows layer's window with. usage: controls-scene-render OUT.ppm [OUT.png]
#include "CDrawContext.h"
#include "CFrame.h"
#include "ControlsScene.h"
#include "SceneImage.h"
#include "cairo/CairoFrame.h"

#include <cstdio>

using namespace VSTGUI;

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s OUT.ppm [OUT.png]\n", argv[0]);
        return 2;
    }
    auto* frame = new CFrame(CRect(0, 0, controls_scene::kWidth, controls_scene::kHeight), nullptr, nullptr);
    controls_scene::build(frame);
    // As on Windows: the first paint of the whole window, then idles after a change.
    CDrawContext* context = frame->createDrawContext();
    frame->drawRect(context, CRect(0, 0, controls_scene::kWidth, controls_scene::kHeight));
    context->release();
    controls_scene::change(frame);
    frame->idle();
    frame->idle();

    CairoFrame* layer = CairoFrame::of(frame);
    scene::Image image;
    image.width = controls_scene::kWidth;
    image.height = controls_scene::kHeight;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            image.pixels.push_back(layer->pixel(x, y));
    bool ok = scene::writePpm(image, argv[1]);
    if (ok && argc == 3)
        ok = layer->writePNG(argv[2]);
    delete frame;
    if (!ok) {
        std::fprintf(stderr, "%s: cannot write the scene\n", argv[0]);
        return 1;
    }
    return 0;
}
