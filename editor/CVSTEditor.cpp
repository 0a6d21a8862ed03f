// CVSTEditor: the window's construction and layout, parameter and meter updates, the idle
// work and the read-out, and the control listener.
#include "CVSTEditor.h"

#include "CBitmap.h"
#include "CDrawContext.h"
#include "CFrame.h"
#include "EditorDialogs.h"
#include "PresetListing.h"
#include "Readout.h"
#include "controls/CAboutScreen.h"
#include "controls/CAnimKnob.h"
#include "controls/CButtonMenu.h"
#include "controls/CKickButton.h"
#include "controls/CMovieBitmap.h"
#include "controls/COnOffButton.h"
#include "controls/CStaticText.h"
#include "controls/CVuMeter.h"
#include "platform/PlatformInput.h"

using namespace VSTGUI;

namespace {

using layout::kWindowHeight;
using layout::kWindowWidth;
const CColor kTextGrey = makeColor(187, 187, 187, 255);

CRect boxRect(const layout::Box& box)
{
    return CRect(box.left, box.top, box.right, box.bottom);
}

// A control's rectangle at the box's top-left corner with the picture's width and one frame's
// height (the pictures are drawn for their boxes, so the two agree).
CRect pictureRect(const layout::Box& box, const CBitmap* bitmap, int32_t frames)
{
    const int32_t frameHeight = frames > 0 ? bitmap->getHeight() / frames : bitmap->getHeight();
    return CRect(box.left, box.top, box.left + bitmap->getWidth(), box.top + frameHeight);
}

} // namespace

CVSTEditor::CVSTEditor(CTarvelleVST* effect) : AEffGUIEditor(effect), owner(effect)
{
    editorOpen = false;
    // The window has the background's size, read without decoding the picture: pictures are
    // decoded when a window opens and shared by every open window (a closed editor holds none).
    // A module without its background still gets a window of the layout's size.
    int32_t width = 0;
    int32_t height = 0;
    if (!CBitmap::resourceSize(kPictureBackground, width, height)) {
        width = kWindowWidth;
        height = kWindowHeight;
    }
    editorRect.top = 0;
    editorRect.left = 0;
    editorRect.bottom = static_cast<int16_t>(height);
    editorRect.right = static_cast<int16_t>(width);
    lastTouchedIndex = 0;
    if (owner != nullptr) {
        owner->setEditorLink(this);
        owner->setPresetMenuTarget(this);
    }
}

CVSTEditor::~CVSTEditor()
{
    // An editor deleted while its window is open takes the window along.
    if (toolkitFrame != nullptr || holdsListing)
        close();
    if (owner != nullptr) {
        owner->setEditorLink(nullptr);
        owner->setPresetMenuTarget(nullptr);
    }
}

bool CVSTEditor::open(void* window)
{
    // The preset menu's rebuild calls the host (updateDisplay), which may close us from there.
    NestedLoopScope scope(this);
    // A second open without a close in between replaces the first window.
    if (toolkitFrame != nullptr)
        close();
    parentWindow = window;
    setKnobMode(2);
    // The read-out starts from the pointer, not from a change made while the window was shut.
    notifiedTouchedIndex.store(-1, std::memory_order_relaxed);

    const int32_t width = editorRect.right - editorRect.left;
    const int32_t height = editorRect.bottom - editorRect.top;
    toolkitFrame = new CFrame(CRect(0, 0, width, height), window, this);
    frame = toolkitFrame;
    // The pictures come from the process's shared store: only the first window decodes them.
    backgroundBitmap = new CBitmap(kPictureBackground);
    toolkitFrame->setBackground(backgroundBitmap);

    CBitmap* previousArrow = new CBitmap(kPicturePreviousArrow);
    CBitmap* nextArrow = new CBitmap(kPictureNextArrow);
    CBitmap* levelKnob = new CBitmap(kPictureLevelKnob);
    CBitmap* recoveryKnob = new CBitmap(kPictureRecoveryKnob);
    CBitmap* powerSwitch = new CBitmap(kPicturePowerSwitch);
    CBitmap* powerLamp = new CBitmap(kPicturePowerLamp);
    CBitmap* reduction = new CBitmap(kPictureReductionMeter);
    CBitmap* meterLeftOff = new CBitmap(kPictureMeterLeftOff);
    CBitmap* meterLeftOn = new CBitmap(kPictureMeterLeftOn);
    CBitmap* meterRightOff = new CBitmap(kPictureMeterRightOff);
    CBitmap* meterRightOn = new CBitmap(kPictureMeterRightOn);
    CBitmap* overLeft = new CBitmap(kPictureOverLeft);
    CBitmap* overRight = new CBitmap(kPictureOverRight);

    // 1: save menu.
    saveMenu = new CButtonMenu(boxRect(layout::kSaveButton), this, kTagSaveMenu, nullptr, nullptr, StylePopup);
    saveMenu->addEntry("Save New Preset As...");
    saveMenu->addEntry("Save Current Preset");
    toolkitFrame->addView(saveMenu);

    // 2: the current preset's name, under the preset menu.
    presetNameText = new CStaticText(boxRect(layout::kPresetName), nullptr, 0);
    presetNameText->setFont(kSystemFont);
    presetNameText->setFontColor(kTextGrey);
    presetNameText->setTextStyle(kBoldFace);
    // A name too long for the box shows how it begins.
    presetNameText->setEndEllipsis(true);
    // The whole name: the host's program-name opcode is the only place it is cut.
    char programName[kPathSize] = {};
    owner->getCurrentPresetName(programName);
    presetNameText->setText(programName);
    toolkitFrame->addView(presetNameText);

    // 3: preset menu over the name; its entries come from buildPresetMenu.
    presetMenu = new CButtonMenu(boxRect(layout::kPresetName), this, kTagPresetMenu, nullptr, nullptr, StylePopup);
    toolkitFrame->addView(presetMenu);

    // 4, 5: the arrows.
    previousPresetButton = new CKickButton(pictureRect(layout::kPreviousArrow, previousArrow, 2), this,
                                           kTagPreviousPreset, previousArrow->getHeight() / 2, previousArrow,
                                           CPoint(0, 0));
    previousPresetButton->setValue(0.f);
    toolkitFrame->addView(previousPresetButton);
    nextPresetButton = new CKickButton(pictureRect(layout::kNextArrow, nextArrow, 2), this, kTagNextPreset,
                                       nextArrow->getHeight() / 2, nextArrow, CPoint(0, 0));
    nextPresetButton->setValue(0.f);
    toolkitFrame->addView(nextPresetButton);

    // 6: links menu.
    linksMenu = new CButtonMenu(boxRect(layout::kLinksButton), this, kTagLinksMenu, nullptr, nullptr, StylePopup);
    for (const char* entry :
         {"About Orvanne...", "-", "Tarvelle Website", "-", "Online Support", "Online Store", "-", "Check Updates"})
        linksMenu->addEntry(entry);
    toolkitFrame->addView(linksMenu);

    // 7: the read-out, over its own piece of the background.
    paramDisplay = new CParamDisplay(boxRect(layout::kReadout), backgroundBitmap, 0);
    paramDisplay->setBackOffset(CPoint(layout::kReadout.left, layout::kReadout.top));
    paramDisplay->setHoriAlign(kLeftText);
    paramDisplay->setFont(kSmallerFont);
    paramDisplay->setFontColor(kTextGrey);
    paramDisplay->setValueToTextWithData(formatReadout, &lastTouchedIndex);
    toolkitFrame->addView(paramDisplay);

    // 8, 9: power switch and its lamp.
    addOnOffButton(layout::kPowerSwitch.left, layout::kPowerSwitch.top, kParamPower, powerSwitch, false, true);
    powerIndicator = new CMovieBitmap(pictureRect(layout::kPowerLamp, powerLamp, 2), this, kParamPower, 2,
                                      powerLamp->getHeight() / 2, powerLamp, CPoint(0, 0));
    powerIndicator->setValue(1.f - owner->getParameter(kParamPower));
    toolkitFrame->addView(powerIndicator);

    // 10 to 12: the knobs.
    addAnimKnob(layout::kInputKnob.left, layout::kInputKnob.top, kParamInputThres, 101, levelKnob, false, true);
    addAnimKnob(layout::kCeilingKnob.left, layout::kCeilingKnob.top, kParamOutCeiling, 101, levelKnob, false, true);
    addAnimKnob(layout::kRecoveryKnob.left, layout::kRecoveryKnob.top, kParamRecovery, 5, recoveryKnob, false, true);
    // Recovery is a selector: the wheel and the arrow keys move it one mode at a time.
    if (controlsByTag[kParamRecovery] != nullptr) {
        const float modes = owner->getParameterMax(kParamRecovery) - owner->getParameterMin(kParamRecovery) + 1.f;
        static_cast<CKnob*>(controlsByTag[kParamRecovery])->setStepCount(static_cast<int32_t>(modes));
    }

    // 13, 14: output meters.
    outputMeterLeft = new CVuMeter(pictureRect(layout::kMeterLeft, meterLeftOn, 1), meterLeftOn, meterLeftOff, 100,
                                   StyleVertical);
    toolkitFrame->addView(outputMeterLeft);
    outputMeterRight = new CVuMeter(pictureRect(layout::kMeterRight, meterRightOn, 1), meterRightOn, meterRightOff, 100,
                                    StyleVertical);
    toolkitFrame->addView(outputMeterRight);

    // 15, 16: over lamps.
    overIndicatorLeft = new CMovieBitmap(pictureRect(layout::kOverLeft, overLeft, 6), this, kTagOverLeft, 6,
                                         overLeft->getHeight() / 6, overLeft, CPoint(0, 0));
    overIndicatorLeft->setValue(0.f);
    toolkitFrame->addView(overIndicatorLeft);
    overIndicatorRight = new CMovieBitmap(pictureRect(layout::kOverRight, overRight, 6), this, kTagOverRight, 6,
                                          overRight->getHeight() / 6, overRight, CPoint(0, 0));
    overIndicatorRight->setValue(0.f);
    toolkitFrame->addView(overIndicatorRight);

    // 17: gain-reduction meter.
    reductionMeter = new CMovieBitmap(pictureRect(layout::kReduction, reduction, 101), this, kTagReduction, 101,
                                      reduction->getHeight() / 101, reduction, CPoint(0, 0));
    toolkitFrame->addView(reductionMeter);

    // 18: the About hot spot.
    CBitmap* about = new CBitmap(kPictureAbout);
    const int32_t aboutWidth = about->getWidth() > 0 ? about->getWidth() : width;
    const int32_t aboutHeight = about->getHeight() > 0 ? about->getHeight() : height;
    aboutScreen = new CAboutScreen(boxRect(layout::kAboutSpot), this, kTagAbout, about,
                                   CRect(0, 0, aboutWidth, aboutHeight), CPoint(0, 0));
    toolkitFrame->addView(aboutScreen);

    for (CBitmap* bitmap : {previousArrow, nextArrow, levelKnob, recoveryKnob, powerSwitch, powerLamp, reduction,
                            meterLeftOff, meterLeftOn, meterRightOff, meterRightOn, overLeft, overRight, about})
        bitmap->release();

    editorOpen = true;
    preset_listing::acquire();
    holdsListing = true;
    buildPresetMenu(false, "");
    return true;
}

void CVSTEditor::addAnimKnob(int32_t x, int32_t y, int32_t tag, int32_t frameCount, CBitmap* bitmap, bool transparent,
                             bool attach)
{
    if (bitmap == nullptr || tag <= 0 || tag >= kTagSlots)
        return;
    if (frameCount < 1)
        frameCount = 1;
    const int32_t frameHeight = bitmap->getHeight() / frameCount;
    CAnimKnob* knob = new CAnimKnob(CRect(x, y, x + bitmap->getWidth(), y + frameHeight), this, tag, frameCount,
                                    frameHeight, bitmap, CPoint(0, 0));
    controlsByTag[tag] = knob;
    knob->setValue(owner->getParameter(tag));
    // The reset gesture returns to the parameter's own default, in the VST and the LV2 editor alike.
    knob->setDefaultValue(owner->normalizeValue(tag, owner->getParamRecord(tag).defaultValue));
    if (transparent) {
        bitmap->setTransparentColor(colorGreen);
        knob->setTransparency(true);
    }
    if (attach && toolkitFrame != nullptr)
        toolkitFrame->addView(knob);
}

void CVSTEditor::addOnOffButton(int32_t x, int32_t y, int32_t tag, CBitmap* bitmap, bool transparent, bool attach)
{
    if (bitmap == nullptr || tag <= 0 || tag >= kTagSlots)
        return;
    COnOffButton* button = new COnOffButton(CRect(x, y, x + bitmap->getWidth(), y + bitmap->getHeight() / 2), this, tag,
                                            bitmap, COnOffButton::kPostListenerUpdate);
    controlsByTag[tag] = button;
    button->setValue(owner->getParameter(tag));
    if (transparent) {
        bitmap->setTransparentColor(colorGreen);
        button->setTransparency(true);
    }
    if (attach && toolkitFrame != nullptr)
        toolkitFrame->addView(button);
}

void CVSTEditor::close()
{
    editorOpen = false;
    if (toolkitFrame != nullptr) {
        // Inside a menu, drag or dialog the frame lives on until the loop has unwound.
        CFrame* closing = toolkitFrame;
        toolkitFrame = nullptr;
        frame = nullptr;
        retireFrame(closing);
    }
    parentWindow = nullptr;
    if (holdsListing) {
        holdsListing = false;
        preset_listing::release();
    }
    // The frame and its views hold their own references; the last one gives the pictures back.
    if (backgroundBitmap != nullptr) {
        backgroundBitmap->release();
        backgroundBitmap = nullptr;
    }
    aboutScreen = nullptr;
    for (CControl*& control : controlsByTag)
        control = nullptr;
    paramDisplay = nullptr;
    outputMeterLeft = outputMeterRight = nullptr;
    linksMenu = presetMenu = saveMenu = nullptr;
    for (CButtonMenu*& menu : folderMenus)
        menu = nullptr;
    folderMenuCount = 0;
    presetNameText = nullptr;
    previousPresetButton = nextPresetButton = nullptr;
    reductionMeter = powerIndicator = nullptr;
    overIndicatorLeft = overIndicatorRight = nullptr;
}

CControl* CVSTEditor::getControl(int32_t tag) const
{
    return tag >= 0 && tag < kTagSlots ? controlsByTag[tag] : nullptr;
}

CButtonMenu* CVSTEditor::getFolderMenu(int32_t k) const
{
    return k >= 0 && k < folderMenuCount ? folderMenus[k] : nullptr;
}

int32_t CVSTEditor::getFolderFirstIndex(int32_t k) const
{
    return k >= 0 && k < kMaxFolderMenus ? folderFirstIndex[k] : 0;
}

void CVSTEditor::markFrameDirty()
{
    if (toolkitFrame != nullptr)
        toolkitFrame->setDirty(true);
}

bool CVSTEditor::aboutShowing() const
{
    return aboutScreen != nullptr && aboutScreen->isOverlayShown();
}

void CVSTEditor::setParameter(VstInt32 index, float value)
{
    // Any thread, at any moment of opening or closing: nothing here may touch a view, wait or
    // allocate. The value is kept even while the window is closed, so a change that races with
    // opening is not lost; opening forgets which index was touched.
    if (index < 0 || index >= kNotifiedIndices)
        return;
    notifiedValue[index].store(value, std::memory_order_relaxed);
    notifiedTouchedIndex.store(index, std::memory_order_relaxed);
    notifiedMask.fetch_or(1u << index, std::memory_order_release);
}

void CVSTEditor::applyPendingChanges()
{
    if (editorOpen.load(std::memory_order_relaxed))
        applyNotifications();
}

void CVSTEditor::applyNotifications()
{
    const uint32_t mask = notifiedMask.exchange(0, std::memory_order_acquire);
    if (mask == 0)
        return;
    const int32_t touched = notifiedTouchedIndex.load(std::memory_order_relaxed);
    if (touched >= 0 && touched < kNotifiedIndices)
        lastTouchedIndex = touched;
    for (int32_t index = 1; index <= 4; ++index) {
        if ((mask & (1u << index)) == 0)
            continue;
        const float value = notifiedValue[index].load(std::memory_order_relaxed);
        if (controlsByTag[index] != nullptr)
            controlsByTag[index]->setValue(value);
        // The read-out formats the index touched last.
        if (paramDisplay != nullptr && index == touched)
            paramDisplay->setValue(value);
        if (index == kParamPower && powerIndicator != nullptr)
            powerIndicator->setValue(1.f - value);
    }
    markFrameDirty();
}

void CVSTEditor::valueChanged(CDrawContext* context, CControl* control)
{
    (void)context;
    if (control == nullptr)
        return;
    // Menus lead to dialogs and message boxes, modal loops in which the host's idle runs.
    NestedLoopScope scope(this);
    const int32_t tag = control->getTag();
    if (tag >= kTagFirstFolder && tag < kTagFirstFolder + kFolderMenuLimit) {
        folderMenuChosen(tag - kTagFirstFolder, static_cast<int32_t>(control->getValue()));
    } else if (tag == kTagPresetMenu || tag == kTagSaveMenu || tag == kTagLinksMenu) {
        const int32_t entry = static_cast<int32_t>(control->getValue());
        if (tag == kTagPresetMenu) {
            presetMenuChosen(entry);
        } else {
            char text[COptionMenu::kEntryTextSize] = {};
            COptionMenu* menu = static_cast<COptionMenu*>(control);
            if (menu->getEntry(entry, text)) {
                if (tag == kTagSaveMenu)
                    saveMenuChosen(text);
                else
                    linksMenuChosen(text);
            }
        }
    } else if (tag == kTagNextPreset || tag == kTagPreviousPreset) {
        arrowReported(tag == kTagNextPreset);
    }
    if (tag > 0 && tag < 5)
        owner->setParameterAutomated(tag, control->getValue());
}

void CVSTEditor::idle()
{
    if (!editorOpen.load(std::memory_order_relaxed))
        return;
    if (aboutShowing()) {
        // The About picture waits for its click: the window's events still come in.
        if (toolkitFrame != nullptr)
            toolkitFrame->processEvents();
        return;
    }
    // What the effect reported since the last idle reaches the views first, so this idle's
    // redraw shows it.
    applyNotifications();
    if (hostEntryRequested.exchange(false, std::memory_order_acquire))
        showHostEntry();
    if (presetNameRequested.exchange(false, std::memory_order_acquire))
        showPresetName();
    AEffGUIEditor::idle();
    // The host may close the window from inside the frame's work.
    if (!editorOpen.load(std::memory_order_relaxed))
        return;
    pushMeterReadings();
    if (isUserInteracting())
        return;
    // The read-out's text depends on the index as well as the value: when only the index
    // changes (a value of 0 under the pointer, then nothing), it must still be redrawn.
    const int32_t shownIndex = lastTouchedIndex;
    lastTouchedIndex = 0;
    CView* view = toolkitFrame != nullptr ? toolkitFrame->getCurrentView() : nullptr;
    // Only controls carry a tag; any other view (the About picture before it is drawn) counts
    // as no view.
    CControl* control = view != nullptr && view->isTypeOf("CControl") ? static_cast<CControl*>(view) : nullptr;
    if (paramDisplay == nullptr)
        return;
    if (control != nullptr) {
        lastTouchedIndex = control->getTag();
        const float v = owner->getParameter(lastTouchedIndex);
        paramDisplay->setValue(v == 0.f ? 1e-8f : v);
    } else {
        paramDisplay->setValue(0.f);
    }
    if (lastTouchedIndex != shownIndex)
        paramDisplay->setDirty(true);
}

void CVSTEditor::arrowReported(bool next)
{
    CKickButton* arrow = next ? nextPresetButton : previousPresetButton;
    if (arrow == nullptr)
        return;
    bool& armed = arrowArmed[next ? 1 : 0];
    if (arrow->getValue() >= 0.5f) {
        armed = true;
        return;
    }
    // A report of 0 steps at the release, and once when the pointer leaves the pressed arrow.
    // While the pointer stays outside, the arrow repeats its 0 on every pass of its loop until
    // the window is redrawn; those repeats do not step again.
    const bool held = (platformMouseButtons() & MouseLeft) != 0;
    if (held && !armed)
        return;
    armed = !held;
    if (next)
        owner->nextPreset();
    else
        owner->previousPreset();
}

bool CVSTEditor::isUserInteracting()
{
    const int32_t held = platformMouseButtons();
    return (held & (MouseLeft | MouseMiddle | MouseRight | ModShift | ModControl | ModAlt)) != 0;
}

void CVSTEditor::updateMeters()
{
    // Any thread (the effect's reset): nothing to do here, every idle pushes the readings.
}

void CVSTEditor::pushMeterReadings()
{
    if (!editorOpen.load(std::memory_order_relaxed) || aboutShowing())
        return;
    if (reductionMeter != nullptr)
        reductionMeter->setValue(owner->getParameter(kReadingGainReduction));
    if (outputMeterLeft != nullptr)
        outputMeterLeft->setValue(owner->getParameter(kReadingOutLeft));
    if (outputMeterRight != nullptr)
        outputMeterRight->setValue(owner->getParameter(kReadingOutRight));
    if (overIndicatorLeft != nullptr)
        overIndicatorLeft->setValue(owner->getParameter(kReadingOverLeft));
    if (overIndicatorRight != nullptr)
        overIndicatorRight->setValue(owner->getParameter(kReadingOverRight));
}
