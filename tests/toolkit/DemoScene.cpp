#include "DemoScene.h"

#include "CBitmap.h"
#include "CDrawContext.h"

namespace toolkit_test {

using namespace VSTGUI;

namespace {

// A view that draws with a function of its own, in its parent's coordinates.
class SceneView : public CView {
public:
    using Painter = void (*)(CDrawContext*, const CRect&);
    SceneView(const CRect& size, Painter painter) : CView(size), painter(painter) {}
    void draw(CDrawContext* context) override
    {
        painter(context, size);
        setDirty(false);
    }

private:
    Painter painter;
};

void rectangles(CDrawContext* c, const CRect& r)
{
    c->setFrameColor(colorWhite);
    c->setFillColor(colorRed);
    c->drawRect(CRect(r.left, r.top, r.left + 40, r.top + 30), kDrawOutline);
    c->drawRect(CRect(r.left + 50, r.top, r.left + 90, r.top + 30), kDrawFilled);
    c->setFrameColor(colorYellow);
    c->setFillColor(colorBlue);
    c->drawRect(CRect(r.left + 100, r.top, r.left + 140, r.top + 30), kDrawFilledAndOutlined);
    c->setFillColor(colorGreen);
    c->fillRect(CRect(r.left + 150, r.top, r.left + 190, r.top + 30));
    c->setFillColor(makeColor(40, 90, 160));
    c->fillRect(CRect(r.left, r.top + 40, r.left + 190, r.top + 70));
}

void lines(CDrawContext* c, const CRect& r)
{
    c->setFrameColor(colorCyan);
    c->moveTo(CPoint(r.left, r.top));
    c->lineTo(CPoint(r.left + 180, r.top));
    c->lineTo(CPoint(r.left + 180, r.top + 60));
    c->moveTo(CPoint(r.left, r.top + 10));
    c->lineTo(CPoint(r.left + 170, r.top + 60));
    c->setLineStyle(kDottedLine);
    c->setFrameColor(colorMagenta);
    c->moveTo(CPoint(r.left, r.top + 20));
    c->lineTo(CPoint(r.left + 170, r.top + 20));
    c->setLineStyle(kSolidLine);
    c->setFrameColor(makeColor(0x0f, 0xf0, 0x3c));
    c->setDrawMode(kOrMode);
    c->moveTo(CPoint(r.left, r.top + 30));
    c->lineTo(CPoint(r.left + 170, r.top + 30));
    c->setDrawMode(kXorMode);
    c->moveTo(CPoint(r.left, r.top + 40));
    c->lineTo(CPoint(r.left + 170, r.top + 40));
    c->setDrawMode(kCopyMode);
    c->setLineWidth(3);
    c->setFrameColor(colorWhite);
    c->moveTo(CPoint(r.left, r.top + 55));
    c->lineTo(CPoint(r.left + 100, r.top + 55));
    c->setLineWidth(1);
}

void text(CDrawContext* c, const CRect& r)
{
    c->setFrameColor(colorGrey);
    c->drawRect(r, kDrawOutline);
    const int32_t fonts[] = {kSystemFont, kVeryBigFont, kBigFont,      kNormalFont,
                             kSmallFont,  kSmallerFont, kVerySmallFont};
    int32_t y = r.top + 2;
    int32_t i = 0;
    for (int32_t font : fonts) {
        c->setFont(font, 0, 0);
        c->setFontColor(i % 2 == 0 ? colorWhite : colorYellow);
        c->drawString("Orvanne 0.0 dB", CRect(r.left + 2, y, r.right - 2, y + 20), false, i % 3);
        y += 20;
        i++;
    }
    c->setFont(kNormalFont, 16, kBoldFace | kItalicFace | kUnderlineFace);
    c->setFillColor(colorBlue);
    c->setFontColor(colorWhite);
    c->drawString("opaque", CRect(r.left + 2, y, r.right - 2, y + 22), true, kCenterText);
}

void bitmaps(CDrawContext* c, const CRect& r)
{
    CBitmap* ramps = new CBitmap(900);
    CBitmap* shapes = new CBitmap(901);
    CBitmap* strip = new CBitmap(902);
    CBitmap* keyed = new CBitmap(903);
    ramps->draw(c, CRect(r.left, r.top, r.left + 64, r.top + 48));
    ramps->draw(c, CRect(r.left + 70, r.top, r.left + 102, r.top + 24), CPoint(16, 12));
    shapes->drawTransparent(c, CRect(r.left + 110, r.top, r.left + 150, r.top + 40));
    strip->draw(c, CRect(r.left + 160, r.top, r.left + 184, r.top + 24), CPoint(0, 24));
    keyed->setTransparentColor(colorMagenta);
    keyed->drawTransparent(c, CRect(r.left, r.top + 60, r.left + 32, r.top + 92));
    ramps->drawAlphaBlend(c, CRect(r.left + 40, r.top + 60, r.left + 104, r.top + 108), CPoint(), 128);
    shapes->drawAlphaBlend(c, CRect(r.left + 110, r.top + 60, r.left + 150, r.top + 100), CPoint(), 200);
    ramps->release();
    shapes->release();
    strip->release();
    keyed->release();
}

void marker(CDrawContext* c, const CRect& r)
{
    c->setFillColor(colorYellow);
    c->drawRect(r, kDrawFilled);
    c->setFrameColor(colorBlack);
    c->moveTo(CPoint(r.left, r.top));
    c->lineTo(CPoint(r.right, r.bottom));
}

} // namespace

void buildDemoScene(CFrame* frame)
{
    frame->setBackgroundColor(makeColor(48, 48, 56));
    frame->addView(new SceneView(CRect(10, 10, 210, 90), rectangles));
    frame->addView(new SceneView(CRect(10, 110, 200, 180), lines));
    frame->addView(new SceneView(CRect(230, 10, 430, 180), text));
    frame->addView(new SceneView(CRect(450, 10, 650, 130), bitmaps));

    // A container with a picture background that draws off-screen, with a child partly
    // outside it, and one without off-screen drawing on a plain colour.
    CBitmap* ramps = new CBitmap(900);
    CViewContainer* box = new CViewContainer(CRect(670, 10, 790, 90), frame, ramps);
    box->setBackgroundOffset(CPoint(4, 4));
    ramps->release();
    frame->addView(box);
    box->addView(new SceneView(CRect(20, 20, 50, 50), marker));
    box->addView(new SceneView(CRect(100, 60, 140, 100), marker));

    CViewContainer* plain = new CViewContainer(CRect(670, 110, 900, 260), frame);
    plain->useOffscreen(false);
    plain->setBackgroundColor(makeColor(90, 20, 20));
    frame->addView(plain);
    plain->addView(new SceneView(CRect(10, 10, 100, 70), rectangles));
    plain->addView(new SceneView(CRect(120, 40, 200, 120), marker));
}

} // namespace toolkit_test
