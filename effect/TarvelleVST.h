// The plug-in's effect object: parameters and their text, the audio loop and meters,
// the preset table, chunks and preset files.
#pragma once

#include "AudioEffectX.h"
#include "EditorFactory.h"
#include "Maximizer.h"
#include "ParamRecord.h"
#include "PresetRecord.h"

// Receives the labels of the preset files found in a folder; the editor's folder
// submenus implement it.
class PresetMenuTarget {
public:
    virtual ~PresetMenuTarget() {}
    // Adds label at the end of folder submenu number menuIndex.
    virtual void addPresetEntry(int32_t menuIndex, const char* label) = 0;
};

// What the effect tells its editor beyond the editor base: parameter changes, meters to be
// redrawn after a reset, and a new current preset. The editor registers itself with
// setEditorLink; the effect only calls it while an editor object is attached.
class EffectEditorLink {
public:
    virtual ~EffectEditorLink() {}
    // A parameter changed; value is the normalised value recomputed from the stored one.
    virtual void setParameter(VstInt32 index, float value) = 0;
    // The meters were cleared; called only while the editor's window is open.
    virtual void updateMeters() = 0;
    // Another preset became current; called only while the editor's window is open.
    virtual void updatePresetNameDisplay() = 0;
    // The host restored a chunk into the host slot (record 1); called only while the
    // editor's window is open, on whatever thread the host used.
    virtual void hostStateRestored() {}
};

enum ParamIndex : VstInt32 {
    kParamInternalUse = 0,
    kParamPower = 1,
    kParamInputThres = 2,
    kParamOutCeiling = 3,
    kParamRecovery = 4,
    kNumParams = 5,
};

// getParameter indices of the display-ready meter readings.
enum MeterReading : VstInt32 {
    kReadingOutLeft = 11,
    kReadingOutRight = 12,
    kReadingOverLeft = 13,
    kReadingOverRight = 14,
    kReadingGainReduction = 15,
};

constexpr int kPresetTableSize = 512;
constexpr int kPresetFolderCount = 128;
constexpr int kPathSize = 256;
constexpr VstInt32 kUniqueId = fourCharCode('O', 'r', 'v', 'n');

class CTarvelleVST : public AudioEffectX {
public:
    // makeEditor (may be null) makes the editor; see createTarvelleVST.
    CTarvelleVST(audioMasterCallback audioMaster, EditorFactory makeEditor);
    ~CTarvelleVST() override;

    CTarvelleVST(const CTarvelleVST&) = delete;
    CTarvelleVST& operator=(const CTarvelleVST&) = delete;

    // True when every table and the engine's buffers could be allocated.
    bool isValid() const;

    // Base operations this effect replaces.
    void suspend() override;
    void resume() override {}
    void setSampleRate(float rate) override;
    void processReplacing(float** inputs, float** outputs, VstInt32 frames) override;
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;
    VstInt32 getChunk(void** data, bool isPreset = false) override;
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset = false) override;
    VstInt32 getGetTailSize() override { return 1; }
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override { return 1000; }
    VstInt32 canDo(char* text) override;
    VstInt32 getPlugCategory() override { return kPlugCategEffect; }

    // The effect's own operations.
    virtual void setLatency(VstInt32 samples);
    virtual void defineParameter(VstInt32 index, const char* name, VstInt32 unit, float min, float max,
                                 float defaultValue, VstInt32 curve, float exponent);
    virtual float getParameterMin(VstInt32 index);
    virtual float getParameterMax(VstInt32 index);
    virtual VstInt32 getParameterUnit(VstInt32 index);
    virtual bool isParameterLogScale(VstInt32 index);
    virtual void processBlock(float** inputs, float** outputs, VstInt32 frames, VstInt32 inputCount,
                              VstInt32 outputCount);
    virtual void recallFactorySetting(VstInt32 index);
    virtual void recallPreset(VstInt32 index);
    virtual void setCurrentPresetName(const char* name);
    virtual void getCurrentPresetName(char* text);
    virtual bool getPresetNameIndexed(VstInt32 category, VstInt32 index, char* text);
    virtual VstInt32 getCurrentPresetIndex() { return currentPresetIndex; }
    // Makes a listed record current without recalling it (it holds the state already, as after
    // a save); the arrows step from it. Indices outside the listed records are ignored.
    void setCurrentPresetIndex(VstInt32 index);
    virtual void nextPreset();
    virtual void previousPreset();
    virtual void setParameterFromNormalized(VstInt32 index, float x);
    virtual float getParameterNormalized(VstInt32 index);
    virtual float mapStoredValue(VstInt32 index);
    virtual float normalizeValue(VstInt32 index, float plain);
    virtual float denormalizeValue(VstInt32 index, float x);
    virtual void setTempoDivision(float x) { (void)x; }
    virtual float tempoMultiplier(float x)
    {
        (void)x;
        return 1.0f;
    }
    virtual void updateTimeInfo();
    // Writes the current state as path + ".prg"; the current record and the program take the
    // file's name only once the file is written. On failure reason (when given) receives why.
    virtual bool savePresetFile(const char* path, char* reason = nullptr, size_t reasonSize = 0);
    virtual bool loadPresetFile(VstInt32 index, const char* path);
    virtual VstInt32 addPresetsToMenu(const char* folder, VstInt32 firstIndex, VstInt32 menuIndex);
    virtual VstInt32 countPresetFiles(const char* folder);
    virtual VstInt32 listPresetFolders(const char* root);
    // The same over several roots as one: the folders of one name in every root (folders,
    // null where a root has none) give one list, merged in listing order, the earlier root's
    // preset first where names are equal; every folder name is listed once.
    virtual VstInt32 addPresetsToMenu(const char* const* folders, VstInt32 folderCount, VstInt32 firstIndex,
                                      VstInt32 menuIndex);
    virtual VstInt32 listPresetFolders(const char* const* roots, VstInt32 rootCount);

    // Accessors for the editor and for tests.
    CMaximizer& getEngine() { return engine; }
    const PresetRecord& getPresetRecord(VstInt32 index) const { return presetTable[index]; }
    PresetRecord& presetRecord(VstInt32 index) { return presetTable[index]; }
    VstInt32 getPresetCount() const { return presetCount; }
    void setPresetCount(VstInt32 count);
    const ParamRecord& getParamRecord(VstInt32 index) const { return paramTable[index]; }
    VstInt32 getRateHz() const { return rateHz; }
    void setPresetMenuTarget(PresetMenuTarget* target) { presetMenuTarget = target; }
    const char* getPresetFolderName(VstInt32 index) const { return presetFolderNames[index]; }
    // Names folder slot index as listPresetFolders would (an editor that knows the listing
    // already); out-of-range indices are ignored and long names cut.
    void setPresetFolderName(VstInt32 index, const char* name);
    char* getPresetRootPath() { return presetRootPath; }
    void setEditorLink(EffectEditorLink* link) { editorLink = link; }
    // The display-ready reading behind getParameter(11..15), whether or not an editor exists;
    // 0 for any other index.
    float getMeterReading(VstInt32 index) const;
    // The scaling of those readings: an output level shown +0.5 dB on a 0.24 power law, and the
    // gain reduction likewise on a 1.85 power law.
    static float levelReading(float peak);
    static float reductionReading(float reduction);

private:
    void computeMeterFalls();
    void clearMeters();
    // Power and the preset arrows, which may come from any thread, ask for the reset that
    // suspend does; the audio thread does it at the start of its next block, because the
    // engine's buffers belong to that thread while the host processes.
    void requestReset();
    void recallValues(VstInt32 index, const float* values, const char* name);
    bool validParam(VstInt32 index) const { return index >= 0 && index < kNumParams && paramTable != nullptr; }
    // The per-frame loops of processBlock, one per path and output layout.
    template <bool StereoOut>
    void levelFrames(const float* inL, const float* inR, float* outL, float* outR, VstInt32 frames);
    template <bool StereoOut>
    void bypassFrames(const float* inL, const float* inR, float* outL, float* outR, VstInt32 frames);

    PresetRecord factorySetting;
    CMaximizer engine;
    ParamRecord* paramTable = nullptr;
    VstInt32 currentPresetIndex = 0;
    PresetRecord* presetTable = nullptr;
    VstInt32 presetCount = 2;
    char programName[kPresetNameSize] = {};
    char presetRootPath[kPathSize] = {};
    char (*presetFolderNames)[kPresetNameSize] = nullptr;
    PresetMenuTarget* presetMenuTarget = nullptr;
    EffectEditorLink* editorLink = nullptr;
    VstInt32 rateHz = 44100;
    bool resetPending = false; // set by requestReset, cleared by the audio thread

    float outPeakLeft = 0.0f;
    float outPeakRight = 0.0f;
    float overLeft = 0.0f;
    float overRight = 0.0f;
    float gainReduction = 0.0f;
    double peakFall = 0.0;
    double overFall = 0.0;
    double reductionFall = 0.0;
    // Values the audio loop has seen the level meters come to rest on near their floor
    // (output peaks left, right, overs left, right), a cache that saves relearning them every
    // block; NaN when not known. They hold for the falls recorded with them.
    float meterRest[4] = {__builtin_nanf(""), __builtin_nanf(""), __builtin_nanf(""), __builtin_nanf("")};
    double meterRestFalls[2] = {0.0, 0.0};
    // The level below which a level meter may reach its floor within a chunk of frames, for
    // the same falls (worked out with them: a chain of multiplies too long for every block).
    float meterSafeLevel = __builtin_inff();
};
