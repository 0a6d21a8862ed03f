// Renders the control scene with the Linux layer.
// usage: controls-scene-render OUT.ppm [OUT.png]
#include "ControlsScene.h"
#include "SceneReference.h"

int main(int argc, char** argv)
{
    return scene::renderReference(
        argc, argv,
        {controls_scene::kWidth, controls_scene::kHeight, controls_scene::build, controls_scene::change, 2});
}
