// The Linux layer's rendering of a test scene: the reference that a Wine run compares the
// Windows layer's window with.
#pragma once

namespace VSTGUI {
class CFrame;
}

namespace scene {

struct SceneRecipe {
    int width;
    int height;
    void (*build)(VSTGUI::CFrame* frame);
    void (*change)(VSTGUI::CFrame* frame);
    int idlesAfterChange; // how many idles the Windows run gives the frame after the change
};

// The body of a reference renderer: usage PROGRAM OUT.ppm [OUT.png]. Paints the whole
// scene once, as a window's first paint does, applies the change, idles, and writes the
// pixels as PPM (for the comparison) and optionally PNG (to look at). Answers the exit status.
int renderReference(int argc, char** argv, const SceneRecipe& recipe);

} // namespace scene
