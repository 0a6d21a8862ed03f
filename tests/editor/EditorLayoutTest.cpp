// The editor's window: layout, parameters both ways, power, meters, read-out, arrows, About.
#include "EditorTestSupport.h"

#include "CBitmap.h"
#include "CDrawContext.h"
#include "CFrame.h"
#include "PictureStore.h"
#include "PluginFactory.h"
#include "Readout.h"
#include "controls/CAboutScreen.h"
#include "controls/CAnimKnob.h"
#include "controls/CButtonMenu.h"
#include "controls/CKickButton.h"
#include "controls/CMovieBitmap.h"
#include "controls/COnOffButton.h"
#include "controls/CStaticText.h"
#include "controls/CVuMeter.h"

#include <cstring>
#include <string>
#include <utility>

using namespace editor_test;

namespace {

struct Row {
    const char* type;
    CRect rect;
    int32_t tag;
};

// The views of the window, in the order they are added.
const Row kLayout[] = {
    {"COptionMenu", CRect(314, 2, 352, 19), 7},     {"CParamDisplay", CRect(376, 2, 546, 17), 0},
    {"COptionMenu", CRect(376, 2, 546, 17), 6},     {"CKickButton", CRect(355, 1, 374, 19), 9},
    {"CKickButton", CRect(549, 1, 568, 19), 8},     {"COptionMenu", CRect(569, 1, 608, 19), 10},
    {"CParamDisplay", CRect(622, 1, 869, 19), 0},   {"COnOffButton", CRect(629, 136, 660, 180), 1},
    {"CMovieBitmap", CRect(627, 88, 662, 123), 1},  {"CAnimKnob", CRect(106, 81, 206, 181), 2},
    {"CAnimKnob", CRect(716, 81, 816, 181), 3},     {"CAnimKnob", CRect(255, 105, 321, 171), 4},
    {"CVuMeter", CRect(350, 58, 379, 185), 0},      {"CVuMeter", CRect(546, 58, 575, 185), 0},
    {"CMovieBitmap", CRect(347, 47, 377, 55), 13},  {"CMovieBitmap", CRect(546, 47, 576, 55), 14},
    {"CMovieBitmap", CRect(412, 83, 513, 134), 15}, {"CAboutScreen", CRect(9, 122, 47, 204), 16},
};

// What the frame holds, as "type rect tag value" lines in drawing order.
std::vector<std::string> describeFrame(CFrame* frame)
{
    std::vector<std::string> lines;
    for (int32_t i = 0; i < frame->getNbViews(); ++i) {
        CView* view = frame->getView(i);
        CRect r;
        view->getViewSize(r);
        std::string type = "?";
        for (const Row& row : kLayout)
            if (view->isTypeOf(row.type))
                type = row.type;
        // CButtonMenu answers to COptionMenu and CParamDisplay too; most specific wins by order.
        char line[160];
        float value = view->isTypeOf("CControl") ? static_cast<CControl*>(view)->getValue() : -1.f;
        int32_t tag = view->isTypeOf("CControl") ? static_cast<CControl*>(view)->getTag() : -1;
        std::snprintf(line, sizeof(line), "%d,%d,%d,%d tag %d value %g", r.left, r.top, r.right, r.bottom, tag,
                      double(value));
        lines.push_back(line);
    }
    return lines;
}

} // namespace

TEST_F(EditorTest, OpenBuildsTheEighteenViewsInOrderAndReopensWithCurrentValues)
{
    ERect* rect = nullptr;
    ASSERT_TRUE(editor->getRect(&rect));
    EXPECT_EQ(rect->right - rect->left, 923);
    EXPECT_EQ(rect->bottom - rect->top, 278);
    EXPECT_EQ(editor->getBackgroundBitmap(), nullptr);

    globalKnobMode = 0;
    openEditor();
    EXPECT_EQ(globalKnobMode, 2);
    EXPECT_TRUE(editor->isOpen());
    CBitmap* background = editor->getBackgroundBitmap();
    ASSERT_TRUE(background->isLoaded());
    CFrame* frame = editor->getToolkitFrame();
    EXPECT_EQ(frame->getBackground(), background);
    ASSERT_EQ(frame->getNbViews(), 18);
    for (int32_t i = 0; i < 18; ++i) {
        CView* view = frame->getView(i);
        SCOPED_TRACE(i);
        EXPECT_TRUE(view->isTypeOf(kLayout[i].type)) << kLayout[i].type;
        CRect r;
        view->getViewSize(r);
        EXPECT_EQ(r.left, kLayout[i].rect.left);
        EXPECT_EQ(r.top, kLayout[i].rect.top);
        EXPECT_EQ(r.right, kLayout[i].rect.right);
        EXPECT_EQ(r.bottom, kLayout[i].rect.bottom);
        if (view->isTypeOf("CControl")) {
            CControl* control = static_cast<CControl*>(view);
            EXPECT_EQ(control->getTag(), kLayout[i].tag);
            EXPECT_EQ(control->getListener() != nullptr, kLayout[i].tag != 0);
        }
    }
    // The links menu's entries, and the preset name shown.
    char text[256];
    const char* links[] = {"About Orvanne...", "-", "Tarvelle Website", "-", "Online Support",
                           "Online Store",     "-", "Check Updates"};
    ASSERT_EQ(editor->getLinksMenu()->getNbEntries(), 8);
    for (int32_t i = 0; i < 8; ++i) {
        ASSERT_TRUE(editor->getLinksMenu()->getEntry(i, text));
        EXPECT_STREQ(text, links[i]);
    }
    EXPECT_STREQ(editor->getPresetNameText()->getText(), "Factory Setting");
    const std::vector<std::string> first = describeFrame(frame);

    // Closing drops every control; opening again builds the same layout with today's values.
    closeEditor();
    EXPECT_FALSE(editor->isOpen());
    EXPECT_EQ(editor->getToolkitFrame(), nullptr);
    EXPECT_EQ(editor->getControl(2), nullptr);
    EXPECT_EQ(editor->getPresetMenu(), nullptr);
    effect->setParameterAutomated(kParamInputThres, 0.25f);
    openEditor();
    std::vector<std::string> second = describeFrame(editor->getToolkitFrame());
    ASSERT_EQ(second.size(), first.size());
    for (size_t i = 0; i < first.size(); ++i)
        if (i != 9) {
            EXPECT_EQ(second[i], first[i]);
        }
    EXPECT_EQ(second[9], "106,81,206,181 tag 2 value 0.25");
    // Each window has the background of its own opening (the shut editor held none).
    EXPECT_EQ(editor->getToolkitFrame()->getBackground(), editor->getBackgroundBitmap());
    // The knobs' reset gesture returns to the parameter's default, not to the value they were
    // opened with: 0 dB for the levels, Ultra-Fast for Recovery.
    effect->setParameterAutomated(kParamOutCeiling, 0.9f);
    effect->setParameterAutomated(kParamRecovery, 1.0f);
    closeEditor();
    openEditor();
    for (VstInt32 param : {kParamInputThres, kParamOutCeiling, kParamRecovery}) {
        SCOPED_TRACE(param);
        CControl* knob = editor->getControl(param);
        ASSERT_NE(knob, nullptr);
        CRect box;
        knob->getViewSize(box);
        click(CPoint((box.left + box.right) / 2, (box.top + box.bottom) / 2), MouseLeft | ModControl, {});
        EXPECT_EQ(effect->getParamRecord(param).value, effect->getParamRecord(param).defaultValue);
    }
}

TEST_F(EditorTest, HostAutomationMovesTheControlsAndTheReadoutFollowsForOneIdle)
{
    openEditor();
    InputState::current().position = CPoint(460, 230); // empty background
    editor->idle();
    CParamDisplay* readout = editor->getParamDisplay();
    char text[256];

    // The report only stores the value (it may come from any thread); the idle applies it
    // first and then draws.
    const float before = editor->getControl(3)->getValue();
    effect->setParameterAutomated(kParamOutCeiling, 0.75f);
    EXPECT_FLOAT_EQ(editor->getControl(3)->getValue(), before);
    editor->applyPendingChanges();
    EXPECT_FLOAT_EQ(editor->getControl(3)->getValue(), 0.75f);
    EXPECT_EQ(editor->getLastTouchedIndex(), 3);
    EXPECT_TRUE(editor->getToolkitFrame()->isDirty());
    readout->formatValue(text);
    char expected[kReadoutTextSize] = {};
    int32_t index = 3;
    formatReadout(0.75f, expected, &index);
    EXPECT_STREQ(text, expected);
    EXPECT_NE(std::strlen(text), 0u);

    editor->idle(); // draws, then the pointer over nothing empties the read-out
    EXPECT_EQ(editor->getLastTouchedIndex(), 0);
    readout->formatValue(text);
    EXPECT_STREQ(text, "");

    // Indices past 5 change nothing; 5 only the index and the dirty flag.
    editor->idle();
    editor->getToolkitFrame()->setDirty(false);
    editor->setParameter(6, 1.f);
    editor->applyPendingChanges();
    EXPECT_FALSE(editor->getToolkitFrame()->isDirty());
    editor->setParameter(5, 1.f);
    editor->applyPendingChanges();
    EXPECT_EQ(editor->getLastTouchedIndex(), 5);
    EXPECT_TRUE(editor->getToolkitFrame()->isDirty());

    // A closed editor ignores the effect.
    closeEditor();
    effect->setParameterAutomated(kParamOutCeiling, 0.5f);
    editor->idle();
    editor->updateMeters();
}

TEST_F(EditorTest, KnobDragAutomatesInsideOneEditGesture)
{
    openEditor();
    const float before = effect->getParameter(kParamInputThres);
    host().calls.clear();
    std::vector<InputStep> steps;
    ScriptedInput::addMove(steps, CPoint(156, 131), CPoint(156, 81), 10, MouseLeft);
    steps.push_back(InputStep{CPoint(156, 81), 0});
    click(CPoint(156, 131), MouseLeft, steps);
    InputState::current().buttons = 0;

    const float after = effect->getParameter(kParamInputThres);
    EXPECT_GT(after, before + 0.2f);
    EXPECT_FLOAT_EQ(editor->getControl(2)->getValue(), after);

    // begin edit, automation of parameter 2 only, end edit.
    const std::vector<HostCall>& calls = host().calls;
    std::vector<VstInt32> opcodes;
    for (const HostCall& call : calls)
        if (call.opcode == audioMasterBeginEdit || call.opcode == audioMasterEndEdit ||
            call.opcode == audioMasterAutomate)
            opcodes.push_back(call.opcode);
    ASSERT_GE(opcodes.size(), 3u);
    EXPECT_EQ(opcodes.front(), audioMasterBeginEdit);
    EXPECT_EQ(opcodes.back(), audioMasterEndEdit);
    EXPECT_EQ(host().count(audioMasterBeginEdit), 1);
    EXPECT_EQ(host().count(audioMasterEndEdit), 1);
    float last = -1.f;
    for (const HostCall& call : calls) {
        if (call.opcode == audioMasterAutomate) {
            EXPECT_EQ(call.index, kParamInputThres);
            last = call.opt;
        }
        if (call.opcode == audioMasterBeginEdit || call.opcode == audioMasterEndEdit) {
            EXPECT_EQ(call.index, kParamInputThres);
        }
    }
    EXPECT_FLOAT_EQ(last, after);
}

TEST_F(EditorTest, APlainClickOnAKnobSendsNoAutomation)
{
    openEditor();
    const std::pair<VstInt32, layout::Box> knobs[] = {{kParamInputThres, layout::kInputKnob},
                                                      {kParamOutCeiling, layout::kCeilingKnob},
                                                      {kParamRecovery, layout::kRecoveryKnob}};
    for (const auto& knob : knobs) {
        const layout::Box& box = knob.second;
        const CPoint centre((box.left + box.right) / 2, (box.top + box.bottom) / 2);
        // Drawn since its last change, and waiting for a redraw: neither makes a click a change.
        for (bool drawn : {true, false}) {
            if (drawn)
                editor->getToolkitFrame()->draw(context);
            else
                editor->getControl(knob.first)->setDirty(true);
            host().calls.clear();
            leftClick(centre);
            EXPECT_EQ(host().count(audioMasterAutomate), 0) << knob.first << (drawn ? " drawn" : " dirty");
            EXPECT_EQ(host().count(audioMasterBeginEdit), host().count(audioMasterEndEdit));
        }
    }
}

TEST_F(EditorTest, PowerShowsSwitchAndLampFramesAndAClickToggles)
{
    cairo_surface_t* switchStrip = loadPicture(kPicturePowerSwitch);
    cairo_surface_t* lampStrip = loadPicture(kPicturePowerLamp);
    ASSERT_NE(switchStrip, nullptr);
    ASSERT_NE(lampStrip, nullptr);
    openEditor();
    // The switch shows frame `on` at (629, 136), the lamp frame 1 - on at (627, 88).
    auto showsFrames = [&](int on) {
        for (int y = 0; y < 44; y += 3)
            for (int x = 0; x < 31; x += 3)
                if (pixel(629 + x, 136 + y) != imagePixel(switchStrip, x, 44 * on + y))
                    return false;
        for (int y = 0; y < 35; y += 3)
            for (int x = 0; x < 35; x += 3)
                if (pixel(627 + x, 88 + y) != imagePixel(lampStrip, x, 35 * (1 - on) + y))
                    return false;
        return true;
    };
    for (int on : {1, 0, 1}) {
        editor->setParameter(kParamPower, float(on));
        editor->idle();
        EXPECT_EQ(static_cast<CMovieBitmap*>(editor->getPowerIndicator())->frameIndex(), 1 - on);
        EXPECT_TRUE(showsFrames(on)) << on;
    }
    EXPECT_EQ(effect->getParameter(kParamPower), 0.f); // setParameter on the editor alone

    // A click on the switch: the effect's "Power" follows, the host hears it.
    const float power = effect->getParameter(kParamPower);
    editor->setParameter(kParamPower, power);
    host().calls.clear();
    leftClick(CPoint(640, 150));
    EXPECT_EQ(effect->getParameter(kParamPower), 1.f - power);
    EXPECT_EQ(host().count(audioMasterAutomate), 1);
    editor->idle();
    EXPECT_TRUE(showsFrames(int(1.f - power)));
    cairo_surface_destroy(switchStrip);
    cairo_surface_destroy(lampStrip);
}

TEST_F(EditorTest, MetersFollowReadingsAndStandStillWhileAboutShows)
{
    openEditor();
    playSine(1.5f, 4410);
    editor->idle();
    const float readings[5] = {effect->getParameter(15), effect->getParameter(11), effect->getParameter(12),
                               effect->getParameter(13), effect->getParameter(14)};
    EXPECT_GT(readings[0], 0.f);
    EXPECT_GT(readings[1], 0.f);
    EXPECT_FLOAT_EQ(editor->getReductionMeter()->getValue(), readings[0]);
    EXPECT_FLOAT_EQ(editor->getOutputMeter(0)->getValue(), readings[1]);
    EXPECT_FLOAT_EQ(editor->getOutputMeter(1)->getValue(), readings[2]);
    EXPECT_FLOAT_EQ(editor->getOverIndicator(0)->getValue(), readings[3]);
    EXPECT_FLOAT_EQ(editor->getOverIndicator(1)->getValue(), readings[4]);

    // The About picture: one click shows it over everything, the meters stop.
    leftClick(CPoint(20, 150));
    EXPECT_EQ(editor->getAboutScreen()->getValue(), 1.f);
    editor->idle(); // draws the picture
    EXPECT_TRUE(editor->getAboutScreen()->isOverlayShown());
    cairo_surface_t* about = loadPicture(kPictureAbout);
    ASSERT_NE(about, nullptr);
    for (int y = 0; y < 278; y += 37)
        for (int x = 0; x < 923; x += 41)
            ASSERT_EQ(pixel(x, y), imagePixel(about, x, y)) << x << "," << y;
    cairo_surface_destroy(about);

    std::vector<float> zeros(4410, 0.f);
    playSine(0.f, 44100); // the readings fall
    ASSERT_NE(effect->getParameter(11), readings[1]);
    editor->idle();
    editor->updateMeters();
    EXPECT_FLOAT_EQ(editor->getReductionMeter()->getValue(), readings[0]);
    EXPECT_FLOAT_EQ(editor->getOutputMeter(0)->getValue(), readings[1]);

    // A click anywhere hides it; the meters resume with the current readings.
    leftClick(CPoint(800, 250));
    EXPECT_FALSE(editor->getAboutScreen()->isOverlayShown());
    EXPECT_EQ(editor->getToolkitFrame()->getModalView(), nullptr);
    editor->idle();
    EXPECT_FLOAT_EQ(editor->getOutputMeter(0)->getValue(), effect->getParameter(11));
    EXPECT_FLOAT_EQ(editor->getReductionMeter()->getValue(), effect->getParameter(15));
}

TEST_F(EditorTest, ReadoutShowsTheParameterUnderThePointerUnlessAButtonOrModifierIsHeld)
{
    effect->setParameterAutomated(kParamInputThres, 0.25f);
    effect->setParameterAutomated(kParamOutCeiling, 0.0f);
    effect->setParameterAutomated(kParamRecovery, 0.75f);
    openEditor();
    CParamDisplay* readout = editor->getParamDisplay();
    struct Case {
        CPoint where;
        int32_t index;
        float value;
    };
    // The knob at exactly 0 is shown with the value 1e-8.
    const Case cases[] = {{CPoint(150, 120), 2, effect->getParameter(2)},
                          {CPoint(760, 120), 3, 1e-8f},
                          {CPoint(280, 140), 4, effect->getParameter(4)}};
    for (const Case& c : cases) {
        InputState::current().position = c.where;
        editor->idle();
        EXPECT_EQ(editor->getLastTouchedIndex(), c.index);
        EXPECT_FLOAT_EQ(readout->getValue(), c.value);
        char shown[256], expected[kReadoutTextSize] = {};
        readout->formatValue(shown);
        int32_t index = c.index;
        formatReadout(c.value, expected, &index);
        EXPECT_STREQ(shown, expected);
        EXPECT_NE(shown[0], '\0') << c.index;
    }
    // Over the power switch, a meter and the menus the text is empty.
    for (CPoint where : {CPoint(640, 150), CPoint(360, 100), CPoint(400, 8)}) {
        InputState::current().position = where;
        editor->idle();
        char shown[256];
        readout->formatValue(shown);
        EXPECT_STREQ(shown, "");
    }
    // Shift held: the read-out keeps what it had while the meters move on.
    InputState::current().position = CPoint(150, 120);
    editor->idle();
    InputState::current().buttons = ModShift;
    InputState::current().position = CPoint(460, 230);
    playSine(1.f, 4410);
    editor->idle();
    EXPECT_EQ(editor->getLastTouchedIndex(), 2);
    EXPECT_FLOAT_EQ(editor->getOutputMeter(0)->getValue(), effect->getParameter(11));
    EXPECT_GT(effect->getParameter(11), 0.f);
    InputState::current().buttons = 0;
    editor->idle();
    EXPECT_EQ(editor->getLastTouchedIndex(), 0);
}

TEST_F(EditorTest, ArrowsStepOncePerClickAndTwiceWhenReleasedOutside)
{
    const float values[5] = {0.f, 1.f, 0.5f, 0.5f, 0.f};
    openEditor();
    for (const char* name : {"a", "b", "c", "d"})
        writePreset(userFolder() + name + ".prg", name, values);
    editor->buildPresetMenu(false, "");
    ASSERT_EQ(effect->getPresetCount(), 6);
    ASSERT_EQ(effect->getCurrentPresetIndex(), 0);

    // One click reports 1 on the press and 0 on the release: one step.
    const CPoint next(558, 10);
    leftClick(next);
    EXPECT_EQ(effect->getCurrentPresetIndex(), 2);
    leftClick(next);
    EXPECT_EQ(effect->getCurrentPresetIndex(), 3);

    // Out, held there for many passes of the arrow's loop (each repeating its report of 0
    // until a redraw), and released outside: two steps, one on leaving and one on release.
    const CPoint away(600, 60);
    std::vector<InputStep> outside = {InputStep{next, MouseLeft}, InputStep{next, MouseLeft}};
    for (int i = 0; i < 40; ++i)
        outside.push_back(InputStep{away, MouseLeft});
    outside.push_back(InputStep{away, 0});
    click(next, MouseLeft, outside);
    InputState::current().buttons = 0;
    EXPECT_EQ(effect->getCurrentPresetIndex(), 5);

    // Previous wraps from the first user preset to the last.
    const CPoint previous(364, 10);
    leftClick(previous);
    EXPECT_EQ(effect->getCurrentPresetIndex(), 4);
    editor->idle(); // the name follows in the next idle
    EXPECT_STREQ(editor->getPresetNameText()->getText(), effect->getPresetRecord(4).presetName);
}

TEST_F(EditorTest, RecoveryStepsOneModePerWheelNotchOrKeyAndTheLevelKnobsByATenth)
{
    openEditor();
    ASSERT_FLOAT_EQ(effect->getParamRecord(kParamRecovery).value, 1.f); // Ultra-Fast
    CFrame* frame = editor->getToolkitFrame();
    const CPoint recovery(288, 138);
    InputState::current().position = recovery;
    host().calls.clear();
    for (float expected : {2.f, 3.f}) {
        EXPECT_TRUE(frame->onWheel(context, recovery, 1.f));
        EXPECT_FLOAT_EQ(effect->getParamRecord(kParamRecovery).value, expected);
        editor->idle(); // the knob takes the snapped value in the next idle
        EXPECT_FLOAT_EQ(editor->getControl(kParamRecovery)->getValue(), effect->getParameter(kParamRecovery));
    }
    EXPECT_EQ(host().count(audioMasterAutomate), 2);
    EXPECT_TRUE(frame->onWheel(context, recovery, -1.f));
    EXPECT_FLOAT_EQ(effect->getParamRecord(kParamRecovery).value, 2.f);

    frame->setFocusView(editor->getControl(kParamRecovery));
    VstKeyCode key = {};
    const std::pair<unsigned char, float> keys[] = {{VKEY_UP, 3.f}, {VKEY_RIGHT, 4.f}, {VKEY_RIGHT, 5.f},
                                                    {VKEY_UP, 5.f}, {VKEY_DOWN, 4.f},  {VKEY_LEFT, 3.f}};
    for (const auto& k : keys) {
        key.virt = k.first;
        EXPECT_EQ(frame->onKeyDown(key), 1);
        EXPECT_FLOAT_EQ(effect->getParamRecord(kParamRecovery).value, k.second) << int(k.first);
    }

    // The level knobs keep their tenth per notch.
    const CPoint input(156, 131);
    EXPECT_TRUE(frame->onWheel(context, input, 1.f));
    EXPECT_NEAR(effect->getParameter(kParamInputThres), 0.6f, 1e-6f);
}

TEST_F(EditorTest, ReadoutIsRedrawnWhenOnlyTheParameterUnderItChanges)
{
    cairo_surface_t* background = loadPicture(kPictureBackground);
    ASSERT_NE(background, nullptr);
    openEditor();
    // Whether the read-out shows only its piece of the background (no text).
    auto readoutEmpty = [&] {
        for (int y = 1; y < 19; ++y)
            for (int x = 622; x < 869; ++x)
                if (pixel(x, y) != imagePixel(background, x, y))
                    return false;
        return true;
    };
    auto readoutPixels = [&] {
        std::vector<uint32_t> pixels;
        for (int y = 1; y < 19; ++y)
            for (int x = 622; x < 869; ++x)
                pixels.push_back(pixel(x, y));
        return pixels;
    };
    editor->idle();
    ASSERT_TRUE(readoutEmpty());

    // Automation to the minimum shows the text; the pointer over the background clears it.
    InputState::current().position = CPoint(460, 230);
    effect->setParameterAutomated(kParamInputThres, 0.f);
    editor->idle();
    EXPECT_FALSE(readoutEmpty());
    editor->idle();
    editor->idle();
    EXPECT_TRUE(readoutEmpty());

    // From one knob at its minimum to the other: the text changes although the value does not.
    effect->setParameterAutomated(kParamOutCeiling, 0.f);
    InputState::current().position = CPoint(150, 120);
    editor->idle();
    editor->idle();
    const std::vector<uint32_t> inputText = readoutPixels();
    EXPECT_FALSE(readoutEmpty());
    InputState::current().position = CPoint(760, 120);
    editor->idle();
    editor->idle();
    EXPECT_FALSE(readoutEmpty());
    EXPECT_NE(readoutPixels(), inputText);
    cairo_surface_destroy(background);
}

TEST_F(EditorTest, HundredOpenIdleCloseCyclesKeepEverythingInPlace)
{
    // Run under AddressSanitizer, this is the leak check of the window's life.
    for (int i = 0; i < 100; ++i) {
        openEditor();
        playSine(0.9f, 256);
        InputState::current().position = CPoint(150 + i % 50, 120);
        editor->idle();
        editor->idle();
        closeEditor();
    }
    EXPECT_FALSE(editor->isOpen());
    EXPECT_EQ(editor->getBackgroundBitmap(), nullptr);
    EXPECT_EQ(picture_store::size(), 0u);
}

TEST_F(EditorTest, OpenWindowsShareTheDecodedPicturesAndTheLastCloseFreesThem)
{
    EXPECT_EQ(picture_store::size(), 0u) << "a shut editor holds no picture";
    openEditor();
    const size_t decoded = picture_store::size();
    EXPECT_GE(decoded, 14u);
    CTarvelleVST* other = static_cast<CTarvelleVST*>(createEffectInstance(test_support::recordingHostCallback));
    CVSTEditor* otherEditor = static_cast<CVSTEditor*>(other->getEditor());
    int parent = 0;
    ASSERT_TRUE(otherEditor->open(&parent));
    EXPECT_EQ(picture_store::size(), decoded);
    // Each window has bitmaps of its own (with its own transparent colour) over one picture.
    for (std::pair<CBitmap*, CBitmap*> mine :
         {std::make_pair(editor->getBackgroundBitmap(), otherEditor->getBackgroundBitmap()),
          std::make_pair(editor->getControl(2)->getBackground(), otherEditor->getControl(2)->getBackground())}) {
        EXPECT_NE(mine.first, mine.second);
        EXPECT_EQ(mine.first->getPlatformBitmap(), mine.second->getPlatformBitmap());
    }
    EXPECT_EQ(picture_store::users(kPictureLevelKnob), 2);
    closeEditor();
    EXPECT_EQ(picture_store::size(), decoded);
    delete other; // takes its open window along
    EXPECT_EQ(picture_store::size(), 0u);
}

TEST_F(EditorTest, DestroyingTheEffectWithTheWindowOpenClosesIt)
{
    openEditor();
    context->release();
    context = nullptr;
    delete effect;
    effect = nullptr;
}
