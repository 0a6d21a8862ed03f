// Helpers of the toolkit tests: an image to draw into, recording views, a host that counts
// what the frame asks of it.
#pragma once

#include "AEffGUIEditor.h"
#include "AudioEffectX.h"
#include "CDrawContext.h"
#include "CFrame.h"
#include "CView.h"
#include "CViewContainer.h"
#include "RecordingHost.h"
#include "cairo/CairoFrame.h"
#include "cairo/InputState.h"

#include <cairo.h>
#include <string>
#include <vector>

namespace toolkit_test {

using namespace VSTGUI;

// An RGB24 picture cleared to one colour, with contexts drawing into it.
class Image {
public:
    Image(int32_t width, int32_t height, uint32_t clear = 0x000000);
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    // A new context on the picture (the caller releases it).
    CDrawContext* context() { return new CDrawContext(nullptr, surface, nullptr); }
    uint32_t pixel(int32_t x, int32_t y) const;
    // Number of pixels of that colour inside r.
    int32_t count(const CRect& r, uint32_t color) const;
    cairo_surface_t* get() const { return surface; }

private:
    cairo_surface_t* surface;
};

uint32_t rgb(const CColor& c);
uint32_t framePixel(CFrame* frame, int32_t x, int32_t y);

// A view that records what reaches it and paints itself in one colour.
class ProbeView : public CView {
public:
    ProbeView(const CRect& size, std::vector<std::string>* log, const char* name, CColor color = colorRed);
    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where, int32_t buttons) override;
    bool onWheel(CDrawContext* context, const CPoint& where, float distance) override;
    int32_t onKeyDown(VstKeyCode& key) override;
    int32_t onKeyUp(VstKeyCode& key) override;
    void loseFocus(CDrawContext* context) override;
    bool onDrop(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;
    void onDragEnter(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;
    void onDragLeave(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;
    void onDragMove(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;

    std::vector<std::string>* log;
    std::string name;
    CColor color;
    int32_t keyResult = -1;
    bool wheelResult = true;
    int32_t draws = 0;
    CPoint lastWhere;
    int32_t lastButtons = 0;
    bool* destroyed = nullptr;
    ~ProbeView() override;
};

class TestEffect : public AudioEffectX {
public:
    // On the shared recording host, reset, which grants edits and idles.
    TestEffect();
};

class TestEditor : public AEffGUIEditor {
public:
    explicit TestEditor(AudioEffect* effect) : AEffGUIEditor(effect) {}
    void setFrame(EditorFrame* f) { frame = f; }
};

std::string joined(const std::vector<std::string>& log);

} // namespace toolkit_test
