// Pixel rules of the drawing context on the Cairo layer.
#include "ToolkitTestSupport.h"

#include "COffscreenContext.h"
#include "TextUtf8.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace toolkit_test;

namespace {

const uint32_t kRed = 0xff0000;
const uint32_t kBlack = 0x000000;

TEST(DrawContext, FillRectLeavesOutLeftColumnAndTopRow)
{
    Image image(40, 40);
    CDrawContext* c = image.context();
    c->setFillColor(colorRed);
    c->fillRect(CRect(10, 10, 20, 20));
    EXPECT_EQ(image.count(CRect(0, 0, 40, 40), kRed), 81);
    EXPECT_EQ(image.count(CRect(11, 11, 20, 20), kRed), 81);
    EXPECT_EQ(image.pixel(10, 15), kBlack);
    EXPECT_EQ(image.pixel(15, 10), kBlack);
    EXPECT_EQ(image.pixel(20, 15), kBlack);

    // The offset moves everything.
    c->setOffset(CPoint(15, 15));
    c->setFillColor(colorGreen);
    c->fillRect(CRect(0, 0, 3, 3));
    EXPECT_EQ(image.count(CRect(0, 0, 40, 40), 0x00ff00), 4);
    EXPECT_EQ(image.pixel(16, 16), 0x00ff00u);
    c->release();
}

TEST(DrawContext, RectangleStyles)
{
    Image image(40, 40);
    CDrawContext* c = image.context();
    c->setFrameColor(colorRed);
    c->drawRect(CRect(10, 10, 20, 20));
    // Outline on columns 10 and 19 and rows 10 and 19, nothing inside or beyond.
    EXPECT_EQ(image.count(CRect(0, 0, 40, 40), kRed), 36);
    for (int i = 10; i < 20; ++i) {
        EXPECT_EQ(image.pixel(10, i), kRed);
        EXPECT_EQ(image.pixel(19, i), kRed);
        EXPECT_EQ(image.pixel(i, 10), kRed);
        EXPECT_EQ(image.pixel(i, 19), kRed);
    }
    EXPECT_EQ(image.count(CRect(11, 11, 19, 19), kBlack), 64);

    c->setFillColor(colorBlue);
    c->drawRect(CRect(25, 25, 30, 30), kDrawFilled); // the whole rectangle
    EXPECT_EQ(image.count(CRect(0, 0, 40, 40), 0x0000ff), 25);
    c->drawRect(CRect(0, 0, 6, 6), kDrawFilledAndOutlined);
    EXPECT_EQ(image.count(CRect(0, 0, 6, 6), kRed), 20);
    EXPECT_EQ(image.count(CRect(0, 0, 6, 6), 0x0000ff), 16);
    c->release();
}

TEST(DrawContext, LinesLeaveOutTheEndPointAndHonourStyleAndMode)
{
    Image image(40, 40, 0x123456);
    CDrawContext* c = image.context();
    c->setFrameColor(colorWhite);
    c->moveTo(CPoint(2, 2));
    c->lineTo(CPoint(8, 2));
    EXPECT_EQ(image.count(CRect(0, 2, 40, 3), 0xffffff), 6);
    EXPECT_EQ(image.pixel(8, 2), 0x123456u);
    c->lineTo(CPoint(8, 6)); // continues from the last point
    EXPECT_EQ(image.count(CRect(8, 0, 9, 40), 0xffffff), 4);
    c->moveTo(CPoint(0, 10));
    c->lineTo(CPoint(5, 15)); // a diagonal: one pixel per step
    EXPECT_EQ(image.count(CRect(0, 10, 6, 16), 0xffffff), 5);
    EXPECT_EQ(image.pixel(4, 14), 0xffffffu);

    c->setLineStyle(kDottedLine);
    c->moveTo(CPoint(0, 20));
    c->lineTo(CPoint(12, 20));
    EXPECT_EQ(image.count(CRect(0, 20, 40, 21), 0xffffff), 6);
    EXPECT_EQ(image.pixel(3, 20), 0x123456u);

    c->setLineStyle(kSolidLine);
    c->setFrameColor(makeColor(0x0f, 0x00, 0xf0));
    c->setDrawMode(kOrMode);
    c->moveTo(CPoint(0, 25));
    c->lineTo(CPoint(2, 25));
    EXPECT_EQ(image.pixel(0, 25), 0x1f34f6u);
    c->setDrawMode(kXorMode); // NOT (destination XOR pen)
    c->moveTo(CPoint(0, 26));
    c->lineTo(CPoint(2, 26));
    EXPECT_EQ(image.pixel(0, 26), (~(0x123456u ^ 0x0f00f0u)) & 0xffffffu);
    c->release();
}

TEST(DrawContext, ClipLimitsEveryOperationAndIsReadInLocalCoordinates)
{
    Image image(40, 40);
    CDrawContext* c = image.context();
    c->setOffset(CPoint(5, 5));
    c->setClipRect(CRect(0, 0, 10, 10)); // device 5..15
    CRect clip;
    c->getClipRect(clip);
    EXPECT_EQ(clip, CRect(0, 0, 10, 10));
    c->setOffset(CPoint(0, 0));
    c->getClipRect(clip);
    EXPECT_EQ(clip, CRect(5, 5, 15, 15));

    c->setFillColor(colorRed);
    c->fillRect(CRect(-1, -1, 40, 40));
    EXPECT_EQ(image.count(CRect(0, 0, 40, 40), kRed), 100);
    c->setFrameColor(colorGreen);
    c->moveTo(CPoint(0, 20));
    c->lineTo(CPoint(30, 20));
    EXPECT_EQ(image.count(CRect(0, 0, 40, 40), 0x00ff00), 0);
    c->moveTo(CPoint(0, 7));
    c->lineTo(CPoint(30, 7));
    EXPECT_EQ(image.count(CRect(0, 0, 40, 40), 0x00ff00), 10);
    c->release();
}

TEST(DrawContext, FontTableAndDefaults)
{
    Image image(10, 10);
    CDrawContext* c = image.context();
    EXPECT_EQ(c->getFrameColor(), colorWhite);
    EXPECT_EQ(c->getFillColor(), colorBlack);
    EXPECT_EQ(c->getFontColor(), colorWhite);
    EXPECT_EQ(c->getLineStyle(), kSolidLine);
    EXPECT_EQ(c->getDrawMode(), kCopyMode);
    EXPECT_EQ(c->getFont(), kSystemFont);
    EXPECT_EQ(c->getFontSize(), 12);
    c->setFont(9, 0, 0);
    EXPECT_EQ(c->getFont(), 0);
    EXPECT_EQ(c->getFontSize(), 12);
    c->setFont(kSymbolFont, 0, 0);
    EXPECT_EQ(c->getFontSize(), 13);
    EXPECT_TRUE(fontTableEntry(kSymbolFont).decorative);
    EXPECT_STREQ(fontTableEntry(kSymbolFont).face, "Symbol");
    c->setFont(kNormalFont, 20, kBoldFace | kItalicFace);
    EXPECT_EQ(c->getFontSize(), 20);
    EXPECT_EQ(c->getFontStyle(), 3);
    c->release();
    // No frame: the clip is the fixed 1000 x 1000 area.
    CDrawContext* d = image.context();
    CRect clip;
    d->getClipRect(clip);
    EXPECT_EQ(clip, CRect(0, 0, 1000, 1000));
    d->release();
}

TEST(DrawContext, TextStaysInItsRectangleAndLeftAlignmentMovesOnePixel)
{
    Image image(120, 40);
    CDrawContext* c = image.context();
    c->setFontColor(colorWhite);
    c->setFont(kNormalFont, 0, 0);
    c->drawString("Hello", CRect(10, 10, 110, 30), false, kLeftText);
    int32_t firstColumn = -1;
    for (int32_t x = 0; x < 120 && firstColumn < 0; ++x)
        for (int32_t y = 0; y < 40; ++y)
            if (image.pixel(x, y) != 0)
                firstColumn = x;
    EXPECT_GE(firstColumn, 11);
    EXPECT_LE(firstColumn, 13);
    EXPECT_EQ(image.count(CRect(0, 0, 120, 10), 0), 1200);
    EXPECT_EQ(image.count(CRect(0, 30, 120, 40), 0), 1200);

    // Centred and right-aligned text keep to their edges; opaque text paints its background.
    Image other(120, 40);
    CDrawContext* d = other.context();
    d->setFillColor(colorBlue);
    d->drawString("Hi", CRect(0, 0, 120, 40), true, kRightText);
    EXPECT_GT(other.count(CRect(100, 0, 120, 40), 0x0000ff), 0);
    EXPECT_EQ(other.count(CRect(0, 0, 90, 40), 0x0000ff), 0);
    d->drawString(nullptr, CRect(0, 0, 120, 40));
    d->drawString("", CRect(0, 0, 120, 40));
    d->release();
    c->release();
}

TEST(DrawContext, NamesThatAreNotValidUtf8AreStillDrawn)
{
    // A UTF-8 name cut inside its last character (a 32-byte record), and a Latin-1 name.
    struct Case {
        const char* text;
        const char* shown;
    };
    const Case cases[] = {
        {"M\xc3\xbcnchen", "M\xc3\xbcnchen"},
        {"Gr\xc3\xb6\xc3", "Gr\xc3\xb6"},
        {"\xe2\x82", ""},
        {"Caf\xe9 \xdc!", "Caf\xc3\xa9 \xc3\x9c!"},
        {"\xc0\xaf\xed\xa0\x80x", "\xc3\x80\xc2\xaf\xc3\xad\xc2\xa0\xc2\x80x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(utf8::displayable(c.text, std::strlen(c.text)), c.shown);
    }
    Image image(120, 40);
    CDrawContext* context = image.context();
    context->setFontColor(colorWhite);
    context->drawString("Gr\xc3\xb6\xc3", CRect(10, 10, 110, 30), false, kLeftText);
    EXPECT_LT(image.count(CRect(0, 0, 120, 40), 0), 120 * 40) << "drawn, not refused by Cairo";
    context->release();

    // The field's steps go over whole characters.
    const std::string typed = "a\xc3\xa4\xe2\x82\xac";
    EXPECT_EQ(utf8::next(typed, 1), 3u);
    EXPECT_EQ(utf8::next(typed, 3), 6u);
    EXPECT_EQ(utf8::previous(typed, 6), 3u);
    EXPECT_EQ(utf8::previous(typed, 3), 1u);
}

TEST(DrawContext, MouseStateComesFromTheInputState)
{
    InputState& input = InputState::current();
    input.reset();
    input.position = CPoint(30, 40);
    input.buttons = MouseLeft | ModShift;
    Image image(10, 10);
    CDrawContext* c = image.context();
    c->setWindowOrigin(CPoint(10, 15));
    CPoint p;
    c->getMouseLocation(p);
    EXPECT_EQ(p, CPoint(20, 25));
    EXPECT_EQ(c->getMouseButtons(), MouseLeft | ModShift);
    c->release();
    input.reset();
}

TEST(OffscreenContext, StartsInItsBackgroundColourAndCopiesOneRectangle)
{
    COffscreenContext* off = new COffscreenContext(nullptr, 20, 10, colorGreen);
    Image image(40, 40);
    CDrawContext* c = image.context();
    c->setOffset(CPoint(2, 3));
    off->copyFrom(c, CRect(0, 0, 20, 10));
    EXPECT_EQ(image.count(CRect(2, 3, 22, 13), 0x00ff00), 200);
    EXPECT_EQ(image.count(CRect(0, 0, 40, 40), 0x00ff00), 200);

    off->setFillColor(colorRed);
    off->drawRect(CRect(5, 5, 7, 7), kDrawFilled);
    c->setOffset(CPoint(0, 0));
    off->copyFrom(c, CRect(30, 30, 32, 32), CPoint(5, 5)); // source offset picks the red square
    EXPECT_EQ(image.count(CRect(30, 30, 32, 32), kRed), 4);
    EXPECT_EQ(off->getNbReference(), 1);
    off->release();
    c->release();
}

} // namespace
