#include "SceneReference.h"

#include "CDrawContext.h"
#include "CFrame.h"
#include "SceneImage.h"
#include "cairo/CairoFrame.h"

#include <cstdio>

namespace scene {

using namespace VSTGUI;

int renderReference(int argc, char** argv, const SceneRecipe& recipe)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s OUT.ppm [OUT.png]\n", argv[0]);
        return 2;
    }
    auto* frame = new CFrame(CRect(0, 0, recipe.width, recipe.height), nullptr, nullptr);
    recipe.build(frame);
    CDrawContext* context = frame->createDrawContext();
    frame->drawRect(context, CRect(0, 0, recipe.width, recipe.height));
    context->release();
    recipe.change(frame);
    for (int i = 0; i < recipe.idlesAfterChange; ++i)
        frame->idle();

    CairoFrame* layer = CairoFrame::of(frame);
    Image image;
    image.width = recipe.width;
    image.height = recipe.height;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            image.pixels.push_back(layer->pixel(x, y));
    bool ok = writePpm(image, argv[1]);
    if (ok && argc == 3)
        ok = layer->writePNG(argv[2]);
    delete frame;
    if (!ok) {
        std::fprintf(stderr, "%s: cannot write the scene\n", argv[0]);
        return 1;
    }
    return 0;
}

} // namespace scene
