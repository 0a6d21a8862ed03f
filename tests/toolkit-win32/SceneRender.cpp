// Renders the Windows layer's test scene with the Linux layer.
// usage: toolkit-scene-render OUT.ppm [OUT.png]
#include "SceneReference.h"
#include "TestScene.h"

int main(int argc, char** argv)
{
    return scene::renderReference(argc, argv, {scene::kWidth, scene::kHeight, scene::build, scene::change, 1});
}
