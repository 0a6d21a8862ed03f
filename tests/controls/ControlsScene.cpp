#include "ControlsScene.h"

#include "CBitmap.h"
#include "CDrawContext.h"
#include "CFrame.h"
#include "controls/CAboutScreen.h"
#include "controls/CAboutScreenView.h"
#include "controls/CAnimKnob.h"
#include "controls/CKickButton.h"
#include "controls/CKnob.h"
#include "controls/CMovieBitmap.h"
#include "controls/COnOffButton.h"
#include "controls/COptionMenu.h"
#include "controls/CParamDisplay.h"
#include "controls/CStaticText.h"
#include "controls/CVuMeter.h"

#include <vector>

using namespace VSTGUI;

namespace controls_scene {

namespace {

const CColor kPanel = makeColor(36, 40, 48);
const CColor kTextBack = makeColor(20, 24, 60);

CBitmap* picture(int32_t w, int32_t h, uint32_t (*f)(int32_t, int32_t))
{
    std::vector<uint32_t> pixels(size_t(w) * size_t(h));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            pixels[size_t(y) * size_t(w) + size_t(x)] = f(x, y);
    return new CBitmap(w, h, pixels.data());
}

// A dial face: a ring on a ramp.
uint32_t knobFace(int32_t x, int32_t y)
{
    const int32_t dx = x - 24, dy = y - 24;
    const int32_t d2 = dx * dx + dy * dy;
    if (d2 > 22 * 22 && d2 < 24 * 24)
        return 0xd0d0d0;
    return uint32_t(40 + x * 2) << 16 | uint32_t(50 + y * 2) << 8 | 90;
}

// A small handle on white (keyed away).
uint32_t handleDot(int32_t x, int32_t y)
{
    const int32_t dx = x - 3, dy = y - 3;
    return dx * dx + dy * dy <= 9 ? 0xff8000 : 0xffffff;
}

// 31 frames of 40 x 40: a bar whose height follows the frame, on a key-free ground.
uint32_t knobStrip(int32_t x, int32_t y)
{
    const int32_t frame = y / 40, row = y % 40;
    if (x >= 16 && x < 24 && row >= 38 - frame)
        return 0x30c060;
    return uint32_t(60 + frame * 4) << 16 | 0x2020 | uint32_t(x * 3);
}

// Off image above on image, each 20 x 20.
uint32_t switchArt(int32_t x, int32_t y)
{
    if (y < 20)
        return (x + y) % 4 == 0 ? 0x505050 : 0x303030;
    return (x > 4 && x < 16 && y > 24 && y < 36) ? 0xffe000 : 0x806000;
}

// Released image above pressed image, each 24 x 16; white corners keyed.
uint32_t kickArt(int32_t x, int32_t y)
{
    const int32_t row = y % 16;
    if ((x < 2 || x > 21) && (row < 2 || row > 13))
        return 0xffffff;
    return y < 16 ? 0x4060a0 : 0xa04060;
}

uint32_t meterOn(int32_t, int32_t y)
{
    return y < 30 ? 0xff3030 : (y < 60 ? 0xffd030 : 0x30e040);
}

uint32_t meterOff(int32_t x, int32_t y)
{
    return (y % 4 == 3 || x == 0) ? 0x101010 : 0x283028;
}

uint32_t hMeterOn(int32_t x, int32_t)
{
    return uint32_t(x * 2) << 16 | 0xc000 | 0x40;
}

// Four lamp frames of 16 x 16.
uint32_t lampStrip(int32_t x, int32_t y)
{
    static const uint32_t colours[4] = {0x200000, 0x600000, 0xa00000, 0xff2000};
    const int32_t frame = y / 16, row = y % 16;
    const int32_t dx = x - 8, dy = row - 8;
    return dx * dx + dy * dy < 40 ? colours[frame] : 0x181818;
}

uint32_t aboutArt(int32_t x, int32_t y)
{
    return (x / 8 + y / 8) % 2 ? 0xe0e0f0 : 0x6070a0;
}

template <typename T>
T* find(CFrame* frame, int32_t tag)
{
    for (int32_t i = 0; i < frame->getNbViews(); ++i) {
        auto* control = dynamic_cast<T*>(frame->getView(i));
        if (control != nullptr && control->getTag() == tag)
            return control;
    }
    return nullptr;
}

void percent(float value, char* text)
{
    const int v = int(value * 100.f + 0.5f);
    text[0] = char('0' + (v / 10) % 10);
    text[1] = char('0' + v % 10);
    text[2] = '%';
    text[3] = 0;
}

} // namespace

void build(CFrame* frame)
{
    frame->setBackgroundColor(kPanel);

    CBitmap* face = picture(48, 48, knobFace);
    auto* lineKnob = new CKnob(CRect(10, 10, 58, 58), nullptr, 1, face, nullptr);
    lineKnob->setValue(0.3f);
    frame->addView(lineKnob);
    CBitmap* dot = picture(7, 7, handleDot);
    auto* dotKnob = new CKnob(CRect(70, 10, 118, 58), nullptr, 2, face, dot);
    dotKnob->setValue(0.8f);
    frame->addView(dotKnob);
    face->release();
    dot->release();

    CBitmap* strip = picture(40, 40 * 31, knobStrip);
    auto* animKnob = new CAnimKnob(CRect(130, 14, 170, 54), nullptr, 3, 31, 40, strip);
    animKnob->setValue(0.5f);
    frame->addView(animKnob);
    strip->release();

    CBitmap* switchBitmap = picture(20, 40, switchArt);
    auto* onOff = new COnOffButton(CRect(184, 14, 204, 34), nullptr, 4, switchBitmap);
    onOff->setValue(1.f);
    frame->addView(onOff);
    auto* offSwitch = new COnOffButton(CRect(210, 14, 230, 34), nullptr, 5, switchBitmap);
    frame->addView(offSwitch);
    switchBitmap->release();

    CBitmap* kickBitmap = picture(24, 32, kickArt);
    auto* kick = new CKickButton(CRect(184, 40, 208, 56), nullptr, 6, 16, kickBitmap);
    kick->setTransparency(true);
    kick->setValue(1.f);
    frame->addView(kick);
    kickBitmap->release();

    CBitmap* on = picture(12, 100, meterOn);
    CBitmap* off = picture(12, 100, meterOff);
    auto* meter = new CVuMeter(CRect(250, 10, 262, 110), on, off, 25, StyleVertical);
    meter->setValue(0.9f);
    frame->addView(meter);
    auto* plainMeter = new CVuMeter(CRect(270, 10, 282, 110), on, off, 50, StyleVertical);
    plainMeter->setUseOffscreen(false);
    plainMeter->setTag(8);
    plainMeter->setValue(0.42f);
    frame->addView(plainMeter);
    on->release();
    off->release();
    CBitmap* hOn = picture(80, 10, hMeterOn);
    auto* hMeter = new CVuMeter(CRect(10, 200, 90, 210), hOn, nullptr, 16, StyleHorizontal);
    hMeter->setTag(9);
    hMeter->setValue(0.7f);
    frame->addView(hMeter);
    hOn->release();

    CBitmap* lamps = picture(16, 64, lampStrip);
    auto* lamp = new CMovieBitmap(CRect(300, 14, 316, 30), nullptr, 10, 4, 16, lamps);
    lamp->setValue(0.66f);
    frame->addView(lamp);
    lamps->release();

    auto* plain = new CParamDisplay(CRect(10, 70, 110, 90));
    plain->setTag(11);
    plain->setBackColor(kTextBack);
    plain->setFrameColor(colorYellow);
    plain->setValue(12.345f);
    frame->addView(plain);
    auto* sunken = new CParamDisplay(CRect(120, 70, 220, 90), nullptr, Style3DIn | StyleShadowText);
    sunken->setTag(12);
    sunken->setBackColor(kTextBack);
    sunken->setFrameColor(colorCyan);
    sunken->setValueToText(percent);
    sunken->setValue(0.42f);
    frame->addView(sunken);
    auto* raised = new CParamDisplay(CRect(10, 100, 110, 120), nullptr, Style3DOut | StyleNoText);
    raised->setBackColor(makeColor(90, 30, 30));
    raised->setFrameColor(makeColor(250, 200, 200));
    frame->addView(raised);

    auto* menu = new COptionMenu(CRect(120, 100, 220, 120), nullptr, 13, nullptr, nullptr, StyleCheck);
    menu->setBackColor(kTextBack);
    menu->setFontColor(colorGreen);
    menu->addEntry("Ultra-Fast");
    menu->addEntry("Medium");
    menu->setCurrent(1);
    frame->addView(menu);

    auto* text = new CStaticText(CRect(10, 140, 180, 155));
    text->setFont(kSystemFont);
    text->setFontColor(makeColor(187, 187, 187));
    text->setTextStyle(kBoldFace);
    text->setTransparency(false);
    text->setText("Factory Setting");
    frame->addView(text);

    CBitmap* about = picture(64, 48, aboutArt);
    auto* aboutScreen = new CAboutScreen(CRect(300, 40, 340, 60), nullptr, 14, about, CRect(290, 150, 354, 198),
                                         CPoint(0, 0));
    aboutScreen->setValue(1.f);
    frame->addView(aboutScreen);
    // The picture as the modal overlay shows it, here as a plain child.
    auto* overlay = new CAboutScreenView(aboutScreen->getOverlayRect(), aboutScreen);
    frame->addView(overlay);
    about->release();
}

void change(CFrame* frame)
{
    if (auto* knob = find<CKnob>(frame, 1))
        knob->setValue(0.65f);
    if (auto* anim = find<CAnimKnob>(frame, 3))
        anim->setValue(0.93f);
    if (auto* kick = find<CKickButton>(frame, 6))
        kick->setValue(0.f);
    if (auto* meter = find<CVuMeter>(frame, 0))
        meter->setValue(0.1f); // falls by one step of 0.1 per redraw
    if (auto* meter = find<CVuMeter>(frame, 8))
        meter->setValue(0.f);
    if (auto* lamp = find<CMovieBitmap>(frame, 10))
        lamp->setValue(0.2f);
    if (auto* display = find<CParamDisplay>(frame, 11))
        display->setValue(-3.5f);
}

const std::vector<scene::Region>& regions()
{
    static const std::vector<scene::Region> list = {
        {scene::Region::Text, CRect(11, 71, 109, 89), kTextBack},
        {scene::Region::Text, CRect(121, 72, 219, 89), kTextBack},
        {scene::Region::Text, CRect(121, 101, 219, 119), kTextBack},
        {scene::Region::Text, CRect(9, 139, 181, 156), colorBlack},
    };
    return list;
}

} // namespace controls_scene
