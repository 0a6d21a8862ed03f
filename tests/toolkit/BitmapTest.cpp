// Bitmaps on the Cairo layer: loading by resource id, opaque, colour-keyed and blended draws.
#include "ToolkitTestSupport.h"

#include "CBitmap.h"

#include <gtest/gtest.h>

#include <vector>

using namespace toolkit_test;

namespace {

// 4 x 3 pixels with distinct colours; pixel (1,1) is white, (2,1) is magenta.
std::vector<uint32_t> pixels()
{
    return {0x010203, 0x040506, 0x070809, 0x0a0b0c, 0x0d0e0f, 0xffffff,
            0xff00ff, 0x101112, 0x131415, 0x161718, 0x191a1b, 0x1c1d1e};
}

TEST(Bitmap, LoadsByResourceIdAndReportsMissingOnes)
{
    CBitmap* pictures = new CBitmap(900);
    EXPECT_TRUE(pictures->isLoaded());
    EXPECT_EQ(pictures->getWidth(), 64);
    EXPECT_EQ(pictures->getHeight(), 48);
    EXPECT_EQ(pictures->getTransparentColor(), colorTransparent);
    EXPECT_FALSE(pictures->loadFromPath("anything.bmp"));
    EXPECT_EQ(pictures->getWidth(), 0);
    EXPECT_TRUE(pictures->loadFromResource(902));
    EXPECT_EQ(pictures->getHeight(), 72);
    pictures->release();

    CBitmap* missing = new CBitmap(12345);
    EXPECT_FALSE(missing->isLoaded());
    EXPECT_EQ(missing->getWidth(), 0);
    EXPECT_EQ(missing->getHeight(), 0);
    Image image(8, 8, 0x445566);
    CDrawContext* c = image.context();
    missing->draw(c, CRect(0, 0, 8, 8));
    missing->drawTransparent(c, CRect(0, 0, 8, 8));
    missing->drawAlphaBlend(c, CRect(0, 0, 8, 8), CPoint(), 100);
    EXPECT_EQ(image.count(CRect(0, 0, 8, 8), 0x445566), 64);
    c->release();
    missing->release();
}

TEST(Bitmap, OpaqueDrawCopiesFromTheSourceOffsetWithinTheBitmap)
{
    const std::vector<uint32_t> p = pixels();
    CBitmap* bitmap = new CBitmap(4, 3, p.data());
    Image image(10, 10, 0x777777);
    CDrawContext* c = image.context();
    c->setOffset(CPoint(1, 1));
    bitmap->draw(c, CRect(2, 2, 5, 4), CPoint(1, 1));
    EXPECT_EQ(image.pixel(3, 3), 0xffffffu);
    EXPECT_EQ(image.pixel(4, 3), 0xff00ffu);
    EXPECT_EQ(image.pixel(5, 3), 0x101112u);
    EXPECT_EQ(image.pixel(3, 4), 0x161718u);
    EXPECT_EQ(image.pixel(6, 3), 0x777777u);
    EXPECT_EQ(image.pixel(3, 5), 0x777777u);
    // A destination larger than the rest of the bitmap only gets what the bitmap has.
    bitmap->draw(c, CRect(0, 6, 8, 9), CPoint(2, 0));
    EXPECT_EQ(image.pixel(1, 7), 0x070809u);
    EXPECT_EQ(image.pixel(3, 7), 0x777777u);
    c->release();
    bitmap->release();
}

TEST(Bitmap, ColourKeyComparesRedGreenBlueOnly)
{
    const std::vector<uint32_t> p = pixels();
    CBitmap* bitmap = new CBitmap(4, 3, p.data());
    Image image(4, 3, 0x777777);
    CDrawContext* c = image.context();
    bitmap->drawTransparent(c, CRect(0, 0, 4, 3)); // default key: white with alpha 0
    EXPECT_EQ(image.pixel(1, 1), 0x777777u);
    EXPECT_EQ(image.pixel(2, 1), 0xff00ffu);
    EXPECT_EQ(image.pixel(0, 0), 0x010203u);

    bitmap->setTransparentColor(makeColor(255, 0, 255, 17));
    Image second(4, 3, 0x777777);
    CDrawContext* d = second.context();
    bitmap->drawTransparent(d, CRect(0, 0, 4, 3));
    EXPECT_EQ(second.pixel(2, 1), 0x777777u);
    EXPECT_EQ(second.pixel(1, 1), 0xffffffu);
    d->release();
    c->release();
    bitmap->release();
}

TEST(Bitmap, ConstantAlphaBlend)
{
    const uint32_t white = 0xffffff;
    CBitmap* bitmap = new CBitmap(1, 1, &white);
    Image image(3, 1, 0x204060);
    CDrawContext* c = image.context();
    bitmap->drawAlphaBlend(c, CRect(0, 0, 1, 1), CPoint(), 128);
    bitmap->drawAlphaBlend(c, CRect(1, 0, 2, 1), CPoint(), 255);
    bitmap->drawAlphaBlend(c, CRect(2, 0, 3, 1), CPoint(), 0);
    auto blend = [](uint32_t s, uint32_t d, uint32_t a) { return (s * a + d * (255 - a)) / 255.0; };
    const uint32_t got = image.pixel(0, 0);
    EXPECT_NEAR(double((got >> 16) & 0xff), blend(255, 0x20, 128), 1.0);
    EXPECT_NEAR(double((got >> 8) & 0xff), blend(255, 0x40, 128), 1.0);
    EXPECT_NEAR(double(got & 0xff), blend(255, 0x60, 128), 1.0);
    EXPECT_EQ(image.pixel(1, 0), 0xffffffu);
    EXPECT_EQ(image.pixel(2, 0), 0x204060u);
    c->release();
    bitmap->release();
}

TEST(Bitmap, EmbeddedPictureKeyedOnItsOwnKey)
{
    // Picture 903 shows shapes on magenta; keyed on magenta only the shapes arrive.
    CBitmap* bitmap = new CBitmap(903);
    ASSERT_TRUE(bitmap->isLoaded());
    bitmap->setTransparentColor(colorMagenta);
    Image image(32, 32, 0x010101);
    CDrawContext* c = image.context();
    bitmap->drawTransparent(c, CRect(0, 0, 32, 32));
    EXPECT_EQ(image.count(CRect(0, 0, 32, 32), 0xff00ff), 0);
    EXPECT_GT(image.count(CRect(0, 0, 32, 32), 0x010101), 0);
    EXPECT_LT(image.count(CRect(0, 0, 32, 32), 0x010101), 32 * 32);
    c->release();
    bitmap->release();
}

TEST(Bitmap, ViewsRetainTheirBackground)
{
    CBitmap* bitmap = new CBitmap(900);
    CView* view = new CView(CRect(0, 0, 10, 10));
    view->setBackground(bitmap);
    EXPECT_EQ(bitmap->getNbReference(), 2);
    EXPECT_TRUE(view->isDirty());
    view->setBackground(bitmap); // the same one again keeps the count
    EXPECT_EQ(bitmap->getNbReference(), 2);
    view->release();
    EXPECT_EQ(bitmap->getNbReference(), 1);
    bitmap->release();
}

} // namespace
