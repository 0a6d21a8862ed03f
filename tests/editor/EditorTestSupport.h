// Helpers of the editor tests: an effect on a recording host with its preset folders in a
// temporary data folder, a clock that never sleeps, scripted dialogs, the scripted pointer and
// pop-up menu of the Linux layer, and access to the picture set's pixels.
#pragma once

#include "CVSTEditor.h"
#include "EditorDialogs.h"
#include "Platform.h"
#include "RecordingHost.h"
#include "ScriptedInput.h"
#include "ScriptedMenuPresenter.h"
#include "TempTree.h"
#include "cairo/InputState.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <deque>
#include <string>
#include <vector>

namespace editor_test {

using namespace VSTGUI;

// The host of every test effect: the shared recording host.
using test_support::HostCall;
inline test_support::RecordingHost& host()
{
    return test_support::recordingHost();
}

// Milliseconds that advance only when somebody sleeps (or by 1 per query).
class StepClock : public platform::Clock {
public:
    uint32_t tickCount() override { return ++ticks; }
    void sleepMilliseconds(uint32_t ms) override { ticks += ms; }
    uint32_t ticks = 1000;
};

class ScriptedDialogs : public editor::DialogPresenter {
public:
    bool askQuestion(const char* caption, const char* text) override;
    void showInformation(const char* caption, const char* text) override;
    bool askName(void* ownerWindow, char* typed, size_t size) override;
    void openPage(const char* url) override;

    // Answers of the next questions (Yes when true); without one, No.
    std::deque<bool> questionAnswers;
    // Names typed into the next Save-As prompts; an entry "<cancel>" presses Cancel; without
    // one, Cancel.
    std::deque<std::string> typedNames;
    std::vector<std::string> log;
};

// Writes a preset file of the effect's format.
void writePreset(const std::string& path, const char* name, const float values[5], VstInt32 tag = 0);
void makeFolder(const std::string& path);
bool fileExists(const std::string& path);

// One of the binary's embedded pictures as an RGB24 image (the caller destroys it).
cairo_surface_t* loadPicture(int id);
// 0x00RRGGBB of a pixel of an RGB24 image.
uint32_t imagePixel(cairo_surface_t* image, int x, int y);

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the window and draws it once completely, as the first paint does.
    void openEditor();
    void closeEditor();
    // A click at where with buttons; the pointer then follows steps.
    void click(CPoint where, int32_t buttons, const std::vector<InputStep>& steps);
    // A plain left click at where, released at the same place.
    void leftClick(CPoint where);
    // Runs audio through the effect: frames of a sine of the given peak.
    void playSine(float peak, int frames);
    // 0x00RRGGBB of the window's picture.
    uint32_t pixel(int32_t x, int32_t y) const;
    // The root of the preset folders (with its trailing separator).
    std::string presetRoot() const;
    std::string userFolder() const { return presetRoot() + "00-User Presets/"; }
    // The system data folder ($XDG_DATA_DIRS) of the test; it does not exist until a test makes it.
    std::string systemData() const { return data.path() + "/system"; }

    TempTree data;
    StepClock clock;
    ScriptedDialogs dialogs;
    CTarvelleVST* effect = nullptr;
    CVSTEditor* editor = nullptr;
    CDrawContext* context = nullptr;

private:
    platform::Clock* savedClock = nullptr;
    editor::DialogPresenter* savedDialogs = nullptr;
    std::string savedDataHome, savedDataDirs;
    bool hadDataHome = false, hadDataDirs = false;
    int32_t savedKnobMode = 0;
};

} // namespace editor_test
