// Helpers of the control tests: a frame that records edits and idle passes, a listener that
// records what it is told, bitmaps made from pixel functions, and the pointer script.
#pragma once

#include "CBitmap.h"
#include "CDrawContext.h"
#include "CFrame.h"
#include "controls/CControl.h"

#include <functional>
#include <string>
#include <vector>

namespace controls_test {

using namespace VSTGUI;

struct EventLog {
    std::vector<std::string> events;
    void add(const std::string& e) { events.push_back(e); }
    std::string str() const;
    int32_t count(const std::string& prefix) const;
    void clear() { events.clear(); }
};

// A window-less frame whose edits and tracking idles are written into a log. With
// redrawOnIdle, a tracking idle redraws the dirty views as the editor's idle does.
class TestFrame : public CFrame {
public:
    TestFrame(int32_t width, int32_t height, EventLog* log);

    void doIdleStuff() override;
    void beginEdit(int32_t tag) override;
    void endEdit(int32_t tag) override;

    // The first paint of the whole window, after which idle redraws what is dirty.
    void paint();
    // 0x00RRGGBB of the frame's picture.
    uint32_t pixel(int32_t x, int32_t y) const;
    // Number of pixels of that colour inside r.
    int32_t count(const CRect& r, uint32_t color) const;
    // Bounding box of the pixels of that colour inside r (empty when none).
    CRect box(const CRect& r, uint32_t color) const;
    // Bounding box of the pixels inside r for which f (0x00RRGGBB) is true.
    CRect boxWhere(const CRect& r, const std::function<bool(uint32_t)>& f) const;

    EventLog* log;
    int32_t idles = 0;
    bool redrawOnIdle = false;
};

class RecordingListener : public CControlListener {
public:
    explicit RecordingListener(EventLog* log) : log(log) {}
    void valueChanged(CDrawContext* context, CControl* control) override;
    int32_t controlModifierClicked(CDrawContext* context, CControl* control, int32_t buttons) override;

    EventLog* log;
    std::vector<float> values;
    std::vector<CControl*> controls;
    int32_t modifierAnswer = 0;
};

// A bitmap of w x h pixels coloured by f (0x00RRGGBB); the caller releases it.
CBitmap* makeBitmap(int32_t w, int32_t h, const std::function<uint32_t(int32_t, int32_t)>& f);
// A vertical strip of frames of w x frameHeight, frame i in colour frameColour(i).
CBitmap* makeStrip(int32_t w, int32_t frameHeight, int32_t frames);
uint32_t frameColour(int32_t i);

uint32_t rgb(const CColor& c);
// Text ink: near white (all channels above 200), near red (red above 200, the others below 90).
bool whitish(uint32_t c);
bool reddish(uint32_t c);

} // namespace controls_test
