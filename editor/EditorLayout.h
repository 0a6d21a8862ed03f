// The editor window's geometry and picture ids, shared by the editor (CVSTEditor) and the
// artwork generator (resources/artwork), which draws every picture for the rectangle the
// editor puts it in. Plain constants; no toolkit types.
#pragma once

#include <cstdint>

// Picture resources of the editor.
enum EditorPicture : int32_t {
    kPictureBackground = 10001,
    kPictureAbout = 10002,
    kPictureLevelKnob = 10010,
    kPictureRecoveryKnob = 10011,
    kPicturePowerSwitch = 10200,
    kPicturePowerLamp = 10201,
    kPicturePreviousArrow = 10300,
    kPictureNextArrow = 10301,
    kPictureLogo = 10302,
    kPictureReductionMeter = 30000,
    kPictureMeterLeftOff = 30001,
    kPictureMeterLeftOn = 30002,
    kPictureMeterRightOff = 30003,
    kPictureMeterRightOn = 30004,
    kPictureOverLeft = 30005,
    kPictureOverRight = 30006,
};

namespace layout {

constexpr int32_t kWindowWidth = 923;
constexpr int32_t kWindowHeight = 278;

// A rectangle in window coordinates: left and top inside, right and bottom just outside.
struct Box {
    int32_t left, top, right, bottom;
    constexpr int32_t width() const { return right - left; }
    constexpr int32_t height() const { return bottom - top; }
    constexpr double cx() const { return (left + right) * 0.5; }
    constexpr double cy() const { return (top + bottom) * 0.5; }
};

// Control rectangles of the editor window (a film strip's frame has the control's size).
constexpr Box kSaveButton{314, 2, 352, 19};
constexpr Box kPresetName{376, 2, 546, 17};
constexpr Box kPreviousArrow{355, 1, 374, 19};
constexpr Box kNextArrow{549, 1, 568, 19};
constexpr Box kLinksButton{569, 1, 608, 19};
constexpr Box kReadout{622, 1, 869, 19};
constexpr Box kPowerSwitch{629, 136, 660, 180};
constexpr Box kPowerLamp{627, 88, 662, 123};
constexpr Box kInputKnob{106, 81, 206, 181};
constexpr Box kCeilingKnob{716, 81, 816, 181};
constexpr Box kRecoveryKnob{255, 105, 321, 171};
constexpr Box kMeterLeft{350, 58, 379, 185};
constexpr Box kMeterRight{546, 58, 575, 185};
constexpr Box kOverLeft{347, 47, 377, 55};
constexpr Box kOverRight{546, 47, 576, 55};
constexpr Box kReduction{412, 83, 513, 134};
constexpr Box kAboutSpot{9, 122, 47, 204};

} // namespace layout
