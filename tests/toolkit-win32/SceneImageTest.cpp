// The Linux side of the Windows scene comparison: the reference rendering is repeatable and
// fills every area the comparison looks at, and the comparison catches what it must.
#include "SceneImage.h"
#include "CommandRun.h"
#include "TestScene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using VSTGUI::CRect;

namespace {

scene::Image render(const std::string& name)
{
    const std::string path = std::string(SCENE_OUTPUT_DIR) + "/" + name;
    const test_support::ToolRun run = test_support::runCommand({SCENE_RENDERER, path + ".ppm", path + ".png"});
    scene::Image image;
    EXPECT_EQ(run.status, 0) << SCENE_RENDERER << ": " << run.err;
    EXPECT_TRUE(scene::readPpm(path + ".ppm", image));
    return image;
}

void set(scene::Image& image, int x, int y, uint32_t value)
{
    image.pixels[size_t(y) * size_t(image.width) + size_t(x)] = value;
}

uint32_t plus(uint32_t p, int d)
{
    const int g = std::min(255, std::max(0, int((p >> 8) & 0xff) + d));
    return (p & 0xff00ffu) | uint32_t(g) << 8;
}

const scene::Region& firstOf(scene::Region::Kind kind)
{
    for (const scene::Region& r : scene::regions())
        if (r.kind == kind)
            return r;
    return scene::regions().front();
}

} // namespace

TEST(SceneReference, RepeatableAndDrawnEverywhereCompared)
{
    const scene::Image first = render("scene-a");
    const scene::Image second = render("scene-b");
    ASSERT_EQ(first.width, scene::kWidth);
    ASSERT_EQ(first.height, scene::kHeight);
    EXPECT_EQ(first.pixels, second.pixels);
    EXPECT_TRUE(scene::compare(first, second, scene::regions()).same);
    for (const scene::Region& r : scene::regions()) {
        if (r.kind == scene::Region::Text) {
            EXPECT_FALSE(scene::inkBox(first, r.rect, r.under).isEmpty()) << r.rect.left << "," << r.rect.top;
        }
    }
}

TEST(SceneComparison, CatchesPixelsColoursTextAndSize)
{
    const scene::Image reference = render("scene-c");
    ASSERT_FALSE(reference.pixels.empty());

    scene::Image changed = reference;
    set(changed, 3, 3, plus(reference.at(3, 3), 1)); // outside every region: exact
    scene::Comparison result = scene::compare(reference, changed, scene::regions());
    EXPECT_FALSE(result.same);
    EXPECT_EQ(result.differingPixels, 1);

    const CRect blend = firstOf(scene::Region::Blend).rect;
    changed = reference;
    set(changed, blend.left + 5, blend.top + 5, plus(reference.at(blend.left + 5, blend.top + 5), 1));
    EXPECT_TRUE(scene::compare(reference, changed, scene::regions()).same);
    set(changed, blend.left + 6, blend.top + 5, plus(reference.at(blend.left + 6, blend.top + 5), 2));
    EXPECT_FALSE(scene::compare(reference, changed, scene::regions()).same);

    // Text may look different, but must be there and in place.
    const scene::Region& text = firstOf(scene::Region::Text);
    const uint32_t ground = uint32_t(text.under.red) << 16 | uint32_t(text.under.green) << 8 | text.under.blue;
    changed = reference;
    for (int y = text.rect.top; y < text.rect.bottom; ++y)
        for (int x = text.rect.left; x < text.rect.right; ++x)
            set(changed, x, y, ground);
    EXPECT_FALSE(scene::compare(reference, changed, scene::regions()).same);
    const CRect ink = scene::inkBox(reference, text.rect, text.under);
    set(changed, ink.left, ink.top, 0xffffff);
    set(changed, ink.right - 1, ink.bottom - 1, 0xffffff);
    EXPECT_TRUE(scene::compare(reference, changed, scene::regions()).same);
    changed = reference;
    for (int y = ink.top; y < ink.bottom; ++y)
        for (int x = ink.left; x < ink.right; ++x)
            if (reference.at(x, y) != ground) {
                set(changed, x, y, ground);
                set(changed, std::min(text.rect.right - 1, x + 8), y, 0xffffff);
            }
    EXPECT_FALSE(scene::compare(reference, changed, scene::regions()).same);

    scene::Image smaller = reference;
    smaller.height -= 1;
    smaller.pixels.resize(size_t(smaller.width) * size_t(smaller.height));
    EXPECT_EQ(scene::compare(reference, smaller, scene::regions()).differingPixels, -1);
}
