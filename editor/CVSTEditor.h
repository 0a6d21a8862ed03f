// The plug-in's editor: a fixed window painted from the module's pictures, with the knobs,
// the power switch and lamp, the meters, the read-out, the preset bar with its menus and the
// About hot spot. It reads and writes parameters through the effect only.
#pragma once

#include "AEffGUIEditor.h"
#include "EditorLayout.h"
#include "TarvelleVST.h"
#include "controls/CControlListener.h"

#include <atomic>

namespace VSTGUI {
class CAboutScreen;
class CAnimKnob;
class CBitmap;
class CButtonMenu;
class CControl;
class CFrame;
class CKickButton;
class CMovieBitmap;
class COnOffButton;
class CParamDisplay;
class CStaticText;
class CVuMeter;
} // namespace VSTGUI
struct PresetListing;

// Control tags beyond the parameter indices 1 to 4.
enum EditorTag : int32_t {
    kTagPresetMenu = 6,
    kTagSaveMenu = 7,
    kTagNextPreset = 8,
    kTagPreviousPreset = 9,
    kTagLinksMenu = 10,
    kTagOverLeft = 13,
    kTagOverRight = 14,
    kTagReduction = 15,
    kTagAbout = 16,
    kTagFirstFolder = 5000,
};

// The editor factory (EditorFactory.h) of every module that shows the editor: the VST module's
// effect and the LV2 UI's proxy effect get the same editor.
AEffEditor* createEditor(CTarvelleVST* effect);

// The maker's web site; the links menu opens pages under it.
extern const char* const kMakerWebSite;

class CVSTEditor : public AEffGUIEditor,
                   public VSTGUI::CControlListener,
                   public EffectEditorLink,
                   public PresetMenuTarget {
public:
    static constexpr int32_t kTagSlots = 17;
    static constexpr int32_t kMaxFolderMenus = 128;
    // Submenus one build makes at most (tags 5000 to 5126).
    static constexpr int32_t kFolderMenuLimit = 127;
    static constexpr int32_t kTypedNameSize = 32;
    // Preset roots one menu merges at most.
    static constexpr int32_t kMaxPresetRoots = 8;

    explicit CVSTEditor(CTarvelleVST* effect);
    ~CVSTEditor() override;

    bool open(void* window) override;
    void close() override;
    bool isOpen() override { return editorOpen.load(std::memory_order_relaxed); }
    void idle() override;
    // From the effect after any change of a parameter, on whatever thread made it: only
    // stores the value; the next idle (on the window's thread) shows it.
    void setParameter(VstInt32 index, float value) override;
    void valueChanged(VSTGUI::CDrawContext* context, VSTGUI::CControl* control) override;
    void applyPendingChanges() override;

    virtual bool isUserInteracting();
    // save false: rebuilds the preset menu and reloads the user presets into the effect's
    // table; save true: saves the current state as name in "00-User Presets".
    virtual void buildPresetMenu(bool save, const char* name);
    // From the effect on any thread: the next idle shows the current program name.
    void updatePresetNameDisplay() override;
    // From the effect on any thread: the next idle renews the menu's "Saved : " entry.
    void hostStateRestored() override;
    // The Save-As prompt; true when a name was typed (typedPresetName).
    virtual bool askPresetName();

    // From the effect on any thread (its reset cleared the meters): the next idle pushes the
    // readings into the meters, as every idle does.
    void updateMeters() override;
    void addPresetEntry(int32_t menuIndex, const char* label) override;

    void addAnimKnob(int32_t x, int32_t y, int32_t tag, int32_t frameCount, VSTGUI::CBitmap* bitmap, bool transparent,
                     bool attach);
    void addOnOffButton(int32_t x, int32_t y, int32_t tag, VSTGUI::CBitmap* bitmap, bool transparent, bool attach);

    // Finds or creates the preset folder chain for product and writes its root (with a trailing
    // separator) into out (kPathSize bytes). False, with out empty, when it cannot.
    static bool getPresetRootPath(const char* product, char* out);
    // Opens url in the browser; null does nothing.
    static void openWebPage(const char* url);
    // The note of where a save that fell back to the user's own folder went is shown once
    // per process; tests start over with this.
    static void forgetFallbackNotice();

    // For tests and tools.
    VSTGUI::CFrame* getToolkitFrame() const { return toolkitFrame; }
    VSTGUI::CControl* getControl(int32_t tag) const;
    VSTGUI::CParamDisplay* getParamDisplay() const { return paramDisplay; }
    VSTGUI::CVuMeter* getOutputMeter(int side) const { return side == 0 ? outputMeterLeft : outputMeterRight; }
    VSTGUI::CMovieBitmap* getPowerIndicator() const { return powerIndicator; }
    VSTGUI::CMovieBitmap* getOverIndicator(int side) const
    {
        return side == 0 ? overIndicatorLeft : overIndicatorRight;
    }
    VSTGUI::CMovieBitmap* getReductionMeter() const { return reductionMeter; }
    VSTGUI::CButtonMenu* getPresetMenu() const { return presetMenu; }
    VSTGUI::CButtonMenu* getSaveMenu() const { return saveMenu; }
    VSTGUI::CButtonMenu* getLinksMenu() const { return linksMenu; }
    VSTGUI::CButtonMenu* getFolderMenu(int32_t k) const;
    int32_t getFolderFirstIndex(int32_t k) const;
    VSTGUI::CStaticText* getPresetNameText() const { return presetNameText; }
    VSTGUI::CKickButton* getArrow(bool next) const { return next ? nextPresetButton : previousPresetButton; }
    VSTGUI::CAboutScreen* getAboutScreen() const { return aboutScreen; }
    // The open window's background; null while the window is shut.
    VSTGUI::CBitmap* getBackgroundBitmap() const { return backgroundBitmap; }
    int32_t getLastTouchedIndex() const { return lastTouchedIndex; }
    const char* getTypedPresetName() const { return typedPresetName; }

private:
    // Saves the current state as name into the user presets folder of the first root that
    // takes it; says why when none does. True when saved.
    bool savePreset(const char* name);
    // Saves into root's user presets folder; false with the file's path (kPathSize + 8 bytes)
    // and the reason filled in when it could not be written.
    bool savePresetUnder(const char* root, const char* name, char* filePath, char* reason, size_t reasonSize);
    // The preset roots that exist, in order of precedence (the program-files root, created
    // when asked, first); answers how many were written into roots.
    static int32_t presetRoots(char (*roots)[kPathSize], int32_t capacity, bool createProgramFiles);
    // Adds one submenu for every preset folder name of the roots, from submenu 0 on, with
    // next advanced past the presets loaded.
    void addFolderMenus(const char (*roots)[kPathSize], int32_t rootCount, VstInt32& next);
    // The same from a listing kept since, into the effect's table and names as well.
    void addFolderMenus(const PresetListing& listing, VstInt32& next);
    // Submenu k, empty and not yet in the preset menu; and its entry into the preset menu.
    VSTGUI::CButtonMenu* newFolderMenu(int32_t k);
    void attachFolderMenu(VSTGUI::CButtonMenu* menu, const char* folderName);
    // Whether a save as name would replace a preset file of a user presets folder.
    static bool presetFileExists(const char* name);
    bool aboutShowing() const;
    // A report of one of the arrows (value 1 pressed, 0 released or left).
    void arrowReported(bool next);
    void presetMenuChosen(int32_t entry);
    void folderMenuChosen(int32_t folder, int32_t entry);
    void saveMenuChosen(const char* entry);
    // After a save and the rebuild: the saved preset, as listed in the user folder, is current.
    void selectSavedPreset(const char* name);
    void linksMenuChosen(const char* entry);
    void releaseFolderMenus();
    void markFrameDirty();
    // The window's thread: applies what the effect reported since the last idle.
    void applyNotifications();
    void pushMeterReadings();
    void showPresetName();
    // Adds, renames or removes the preset menu's entry for the host's state (record 1) as
    // the record's name asks; the rest of the menu stays as built.
    void showHostEntry();
    // The label of that entry into label (kMenuLabelSize bytes); false when none is listed.
    bool hostEntryLabel(char* label, size_t size) const;

    CTarvelleVST* owner;
    VSTGUI::CFrame* toolkitFrame = nullptr;

    char typedPresetName[kTypedNameSize] = {};
    // Read by the effect on any thread.
    std::atomic<bool> editorOpen{false};
    int32_t lastTouchedIndex = 0;
    VSTGUI::CAboutScreen* aboutScreen = nullptr;
    VSTGUI::CControl* controlsByTag[kTagSlots] = {};
    VSTGUI::CParamDisplay* paramDisplay = nullptr;
    VSTGUI::CVuMeter* outputMeterLeft = nullptr;
    VSTGUI::CVuMeter* outputMeterRight = nullptr;
    VSTGUI::CButtonMenu* linksMenu = nullptr;
    VSTGUI::CButtonMenu* presetMenu = nullptr;
    VSTGUI::CButtonMenu* saveMenu = nullptr;
    // Held by presetMenu (its submenus); valid from one rebuild to the next.
    VSTGUI::CButtonMenu* folderMenus[kMaxFolderMenus] = {};
    int32_t folderFirstIndex[kMaxFolderMenus] = {};
    int32_t folderMenuCount = 0;
    // Whether the last rebuild listed the host's state as entry 2.
    bool hostEntryListed = false;
    // Whether this open editor holds the process's kept preset listing (PresetListing.h), and
    // the listing a rebuild is recording while it reads the folders.
    bool holdsListing = false;
    PresetListing* listingInProgress = nullptr;
    VSTGUI::CStaticText* presetNameText = nullptr;
    VSTGUI::CKickButton* previousPresetButton = nullptr;
    VSTGUI::CKickButton* nextPresetButton = nullptr;
    // Whether the arrow's next report of 0 while the button is held steps (previous, next).
    bool arrowArmed[2] = {true, true};
    VSTGUI::CMovieBitmap* reductionMeter = nullptr;
    VSTGUI::CMovieBitmap* powerIndicator = nullptr;
    VSTGUI::CMovieBitmap* overIndicatorLeft = nullptr;
    VSTGUI::CMovieBitmap* overIndicatorRight = nullptr;
    VSTGUI::CBitmap* backgroundBitmap = nullptr;

    // What the effect reported from any thread, waiting for the next idle: one value and one
    // bit per parameter index 0 to 5 (the value is stored before its bit is set), the index
    // touched last (-1: none), and the requests for the meters and the preset name.
    static constexpr int32_t kNotifiedIndices = 6;
    std::atomic<float> notifiedValue[kNotifiedIndices] = {};
    std::atomic<uint32_t> notifiedMask{0};
    std::atomic<int32_t> notifiedTouchedIndex{-1};
    std::atomic<bool> presetNameRequested{false};
    std::atomic<bool> hostEntryRequested{false};
};
