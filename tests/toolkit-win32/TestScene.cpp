#include "TestScene.h"

#include "CBitmap.h"
#include "CDrawContext.h"
#include "CFrame.h"
#include "CView.h"
#include "CViewContainer.h"
#include "TestPictures.h"

using namespace VSTGUI;

namespace scene {

namespace {

const CColor kPanel = makeColor(40, 44, 52);
const CColor kTextGround = makeColor(70, 90, 60);

// A view that draws with a function of its own, in its own coordinates.
class PaintView : public CView {
public:
    using Paint = void (*)(CDrawContext*, const CRect&, int state);
    PaintView(const CRect& size, Paint paint) : CView(size), paint(paint) {}
    void draw(CDrawContext* context) override
    {
        paint(context, size, state);
        setDirty(false);
    }
    int state = 0;

private:
    Paint paint;
};

CPoint at(const CRect& r, int x, int y)
{
    return CPoint(r.left + x, r.top + y);
}

// Lines: every direction and slope, width 1, solid and dotted, the three draw modes.
void paintLines(CDrawContext* c, const CRect& r, int)
{
    c->setFillColor(makeColor(20, 20, 30));
    c->drawRect(r, kDrawFilled);
    c->setLineWidth(1);
    c->setLineStyle(kSolidLine);
    c->setDrawMode(kCopyMode);
    const CColor colours[4] = {colorRed, colorGreen, colorYellow, colorCyan};
    const CPoint centre = at(r, 50, 50);
    const int ends[16][2] = {{95, 50}, {95, 70}, {95, 95}, {70, 95}, {50, 95}, {30, 95}, {5, 95}, {5, 70},
                             {5, 50},  {5, 30},  {5, 5},   {30, 5},  {50, 5},  {70, 5},  {95, 5}, {95, 30}};
    for (int i = 0; i < 16; ++i) {
        c->setFrameColor(colours[i % 4]);
        c->moveTo(centre);
        c->lineTo(at(r, ends[i][0], ends[i][1]));
    }
    // A polyline whose joints are drawn once.
    c->setFrameColor(colorMagenta);
    c->moveTo(at(r, 100, 10));
    c->lineTo(at(r, 130, 13));
    c->lineTo(at(r, 112, 40));
    c->lineTo(at(r, 140, 90));
    // Dotted.
    c->setLineStyle(kDottedLine);
    c->setFrameColor(colorWhite);
    c->moveTo(at(r, 100, 96));
    c->lineTo(at(r, 150, 96));
    c->moveTo(at(r, 146, 10));
    c->lineTo(at(r, 146, 90));
    c->setLineStyle(kSolidLine);
    // Or and not-xor over coloured ground.
    c->setFillColor(makeColor(0x30, 0x60, 0x90));
    c->drawRect(CRect(r.left + 150, r.top + 10, r.left + 175, r.top + 90), kDrawFilled);
    c->setFrameColor(makeColor(0xc0, 0x05, 0x41));
    c->setDrawMode(kOrMode);
    for (int y = 15; y < 50; y += 3) {
        c->moveTo(at(r, 148, y));
        c->lineTo(at(r, 177, y + 4));
    }
    c->setDrawMode(kXorMode);
    for (int y = 52; y < 88; y += 3) {
        c->moveTo(at(r, 148, y));
        c->lineTo(at(r, 177, y - 2));
    }
    c->setDrawMode(kCopyMode);
}

// Rectangles: outline, filled, both, fillRect's inset, clipping.
void paintRects(CDrawContext* c, const CRect& r, int state)
{
    c->setFillColor(kPanel);
    c->drawRect(r, kDrawFilled);
    c->setFrameColor(colorWhite);
    c->drawRect(CRect(r.left + 4, r.top + 4, r.left + 30, r.top + 30), kDrawOutline);
    c->setFillColor(state == 0 ? colorBlue : colorRed);
    c->drawRect(CRect(r.left + 34, r.top + 4, r.left + 60, r.top + 30), kDrawFilled);
    c->setFrameColor(colorYellow);
    c->setFillColor(colorGreen);
    c->drawRect(CRect(r.left + 64, r.top + 4, r.left + 90, r.top + 30), kDrawFilledAndOutlined);
    c->setFillColor(colorGrey);
    c->fillRect(CRect(r.left + 94, r.top + 4, r.left + 104, r.top + 14));
    // Clipped: only the inner part of a large fill and of a line lands.
    CRect old;
    c->getClipRect(old);
    CRect clip(r.left + 10, r.top + 40, r.left + 80, r.top + 60);
    clip.bound(old);
    c->setClipRect(clip);
    c->setFillColor(colorMagenta);
    c->drawRect(CRect(r.left, r.top + 34, r.left + 110, r.top + 66), kDrawFilled);
    c->setFrameColor(colorCyan);
    c->moveTo(at(r, 0, 34));
    c->lineTo(at(r, 110, 66));
    c->setClipRect(old);
}

CBitmap* picture(int id)
{
    return new CBitmap(id);
}

// Bitmaps: opaque with a source offset, a film-strip frame, keyed with white and with magenta,
// constant-alpha blends.
void paintBitmaps(CDrawContext* c, const CRect& r, int)
{
    c->setFillColor(makeColor(200, 120, 40));
    c->drawRect(r, kDrawFilled);
    CBitmap* ramps = picture(kTestPictureRamps);
    CBitmap* onWhite = picture(kTestPictureOnWhite);
    CBitmap* strip = picture(kTestPictureStrip);
    CBitmap* onMagenta = picture(kTestPictureOnMagenta);
    ramps->draw(c, CRect(r.left + 2, r.top + 2, r.left + 66, r.top + 50));
    ramps->draw(c, CRect(r.left + 70, r.top + 2, r.left + 100, r.top + 22), CPoint(20, 10));
    strip->draw(c, CRect(r.left + 104, r.top + 2, r.left + 128, r.top + 26), CPoint(0, 24));
    strip->draw(c, CRect(r.left + 130, r.top + 2, r.left + 154, r.top + 26), CPoint(0, 48));
    onWhite->drawTransparent(c, CRect(r.left + 2, r.top + 54, r.left + 42, r.top + 94));
    onMagenta->setTransparentColor(makeColor(255, 0, 255, 17)); // the key's alpha does not count
    onMagenta->drawTransparent(c, CRect(r.left + 46, r.top + 58, r.left + 78, r.top + 90));
    ramps->drawAlphaBlend(c, CRect(r.left + 82, r.top + 30, r.left + 146, r.top + 78), CPoint(), 128);
    onWhite->drawAlphaBlend(c, CRect(r.left + 150, r.top + 30, r.left + 190, r.top + 70), CPoint(), 64);
    ramps->release();
    onWhite->release();
    strip->release();
    onMagenta->release();
}

// Text: fonts, sizes, styles, the three alignments, opaque and transparent.
void paintText(CDrawContext* c, const CRect& r, int)
{
    c->setFillColor(kTextGround);
    c->drawRect(r, kDrawFilled);
    c->setFontColor(colorWhite);
    c->setFont(kSystemFont);
    c->drawString("Left", CRect(r.left, r.top, r.right, r.top + 20), false, kLeftText);
    c->setFont(kNormalFont, 0, kItalicFace);
    c->drawString("Centre", CRect(r.left, r.top + 20, r.right, r.top + 40), false, kCenterText);
    c->setFont(kBigFont);
    c->setFontColor(colorYellow);
    c->drawString("Right", CRect(r.left, r.top + 40, r.right, r.top + 60), false, kRightText);
}

} // namespace

const std::vector<Region>& regions()
{
    // Text lines of paintText (the view sits at 190,150 and is 160 x 60).
    static const std::vector<Region> list = {
        {Region::Text, CRect(190, 150, 350, 170), kTextGround},
        {Region::Text, CRect(190, 170, 350, 190), kTextGround},
        {Region::Text, CRect(190, 190, 350, 210), kTextGround},
        // The blends of paintBitmaps (the view sits at 10,130).
        {Region::Blend, CRect(92, 160, 156, 208), CColor()},
        {Region::Blend, CRect(160, 160, 200, 200), CColor()},
    };
    return list;
}

void build(CFrame* frame)
{
    frame->setBackgroundColor(makeColor(10, 60, 110));
    frame->addView(new PaintView(CRect(4, 4, 184, 104), paintLines));
    // A nested container with a picture background and its own child.
    auto* box = new CViewContainer(CRect(190, 4, 356, 120), frame);
    CBitmap* ramps = new CBitmap(kTestPictureRamps);
    box->setBackground(ramps);
    ramps->release();
    box->setBackgroundOffset(CPoint(8, 4));
    box->addView(new PaintView(CRect(10, 52, 120, 112), paintRects));
    auto* keyed = new CView(CRect(120, 6, 160, 46));
    CBitmap* onWhite = new CBitmap(kTestPictureOnWhite);
    keyed->setBackground(onWhite);
    keyed->setTransparency(true);
    onWhite->release();
    box->addView(keyed);
    frame->addView(box);
    frame->addView(new PaintView(CRect(10, 130, 210, 230), paintBitmaps));
    frame->addView(new PaintView(CRect(190, 150, 350, 210), paintText));
    // Overlaps the bitmap view: drawn last, on top.
    frame->addView(new PaintView(CRect(200, 212, 310, 236), paintRects));
}

void change(CFrame* frame)
{
    for (int i = 0; i < frame->getNbViews(); ++i) {
        CView* view = frame->getView(i);
        if (auto* box = dynamic_cast<CViewContainer*>(view)) {
            for (int j = 0; j < box->getNbViews(); ++j) {
                if (auto* paint = dynamic_cast<PaintView*>(box->getView(j))) {
                    paint->state = 1;
                    paint->setDirty(true);
                }
            }
        } else if (auto* paint = dynamic_cast<PaintView*>(view)) {
            paint->state = 1;
            paint->setDirty(true);
        }
    }
}

} // namespace scene
