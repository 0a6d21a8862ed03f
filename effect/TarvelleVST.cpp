// CTarvelleVST: construction, the parameter records with their curves and text, the
// sample-rate handling, the identity answers, and the factory the entry point calls.
#include "TarvelleVST.h"

#include "AEffEditor.h"
#include "EditorFactory.h"
#include "Relaxed.h"
#include "TextCopy.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

constexpr const char* kFactoryName = "Factory Setting";
constexpr float kLowestRate = 44100.0f;
// Highest rate the effect takes from a host; keeps every derived size inside its buffers.
constexpr float kHighestRate = 768000.0f;
constexpr double kLatencySeconds = 0.005;
// Bounds of the host's text buffers: parameter texts follow the record fields.
constexpr size_t kParamNameSize = sizeof(ParamRecord::name);
constexpr size_t kParamLabelSize = sizeof(ParamRecord::label);
constexpr size_t kParamDisplaySize = 24;

// The label a unit code gives; empty for codes without one.
const char* unitLabel(VstInt32 unit)
{
    switch (unit) {
    case 3:
        return "%";
    case 4:
        return "Secs";
    case 5:
        return "Samps";
    case 8:
        return "Hz";
    case 9:
        return "Cents";
    case 10:
        return "S-T";
    case 11:
    case 12:
        return "MIDI";
    case 13:
        return "dB";
    case 22:
        return "bpm";
    case 24:
        return "ms";
    default:
        return "";
    }
}

// Host values outside 0..1 are taken as the nearest end; not-a-number as 0.
float clampNormalized(float x)
{
    return x >= 0.0f ? (x <= 1.0f ? x : 1.0f) : 0.0f;
}

} // namespace

CTarvelleVST::CTarvelleVST(audioMasterCallback audioMaster, EditorFactory makeEditor)
    : AudioEffectX(audioMaster, 1, kNumParams), factorySetting(), engine(getSampleRate())
{
    gainReduction = 0.0f;
    engine.setParam(CMaximizer::kControlCeilingSwitch, 1.0f);

    canProcessReplacing();
    setNumInputs(2);
    setNumOutputs(2);
    setUniqueID(kUniqueId);
    programsAreChunks();
    canMono();

    float rate = getSampleRate();
    rateHz = static_cast<VstInt32>(rate < kLowestRate ? kLowestRate : rate);
    isSynth(false);
    setLatency(static_cast<VstInt32>(rateHz * kLatencySeconds));

    paramTable = new (std::nothrow) ParamRecord[kNumParams]();

    if (makeEditor != nullptr)
        makeEditor(this);

    presetTable = new (std::nothrow) PresetRecord[kPresetTableSize]();
    presetFolderNames = new (std::nothrow) char[kPresetFolderCount][kPresetNameSize]();
    if (!isValid())
        return; // the factory discards the object; the host has not been called

    for (int i = 0; i < 2; ++i)
        copyText(presetTable[i].presetName, kFactoryName, kPresetNameSize);

    currentPresetIndex = 0;
    clearMeters();

    updateTimeInfo();
    computeMeterFalls();

    defineParameter(kParamInternalUse, "Internal Use", kUnitOnOff, 0.0f, 1.0f, 0.0f, kCurveNone, 0.0f);
    defineParameter(kParamPower, "Power", kUnitOnOff, 0.0f, 1.0f, 0.0f, kCurveStepped, 0.0f);
    defineParameter(kParamInputThres, "Input Thres", kUnitDecibel, -20.0f, 20.0f, 0.0f, kCurveLinear, 0.0f);
    defineParameter(kParamOutCeiling, "Out Ceiling", kUnitDecibel, -20.0f, 20.0f, 0.0f, kCurveLinear, 0.0f);
    defineParameter(kParamRecovery, "Recovery", kUnitPlain, 1.0f, 5.0f, 1.0f, kCurveStepped, 0.0f);

    copyText(presetTable[currentPresetIndex].presetName, kFactoryName, kPresetNameSize);
    copyText(factorySetting.presetName, kFactoryName, kPresetNameSize);
    recallPreset(currentPresetIndex);
    // Nothing processes yet, so the engine starts reset now instead of at the first block.
    relaxedStore(resetPending, false);
    engine.reset();
}

CTarvelleVST::~CTarvelleVST()
{
    // The editor goes first, while the effect it may still talk to is whole.
    AEffEditor* ownEditor = editor;
    setEditor(nullptr);
    editorLink = nullptr;
    delete ownEditor;

    delete[] paramTable;
    paramTable = nullptr;
    delete[] presetTable;
    presetTable = nullptr;
    delete[] presetFolderNames;
    presetFolderNames = nullptr;
}

bool CTarvelleVST::isValid() const
{
    return paramTable != nullptr && presetTable != nullptr && presetFolderNames != nullptr && engine.isValid();
}

void CTarvelleVST::computeMeterFalls()
{
    const double rate = rateHz;
    peakFall = 1.0 / std::pow(10.0, 1.0 / (rate * 0.1));
    overFall = 1.0 / std::pow(10.0, 1.0 / (rate * 3.0));
    reductionFall = 1.0 / std::pow(10.0, 1.0 / (rate * 3.5));
}

void CTarvelleVST::setSampleRate(float rate)
{
    // Rates below 44100 count as 44100, as do values that are not finite; absurdly high
    // rates are capped. The latency, the engine's delay and the meter speeds all follow.
    float r = rate;
    if (!std::isfinite(r) || r < kLowestRate)
        r = kLowestRate;
    if (r > kHighestRate)
        r = kHighestRate;
    sampleRate = r;
    rateHz = static_cast<VstInt32>(r);
    setLatency(static_cast<VstInt32>(rateHz * kLatencySeconds));
    engine.setSampleRate(static_cast<float>(rateHz));
    computeMeterFalls();
}

void CTarvelleVST::setLatency(VstInt32 samples)
{
    setInitialDelay(samples);
}

void CTarvelleVST::updateTimeInfo()
{
    getTimeInfo(kVstTempoValid | kVstPpqPosValid | kVstBarsValid | kVstTimeSigValid | kVstTransportChanged);
}

// ---- Parameter records ----

void CTarvelleVST::defineParameter(VstInt32 index, const char* name, VstInt32 unit, float min, float max,
                                   float defaultValue, VstInt32 curve, float exponent)
{
    if (!validParam(index))
        return;
    ParamRecord& record = paramTable[index];
    copyText(record.name, name, sizeof(record.name));
    record.unit = unit;
    record.curve = curve;
    record.min = min;
    record.max = max;
    record.value = defaultValue;
    record.defaultValue = defaultValue;
    record.exponent = exponent;

    const float normalized = getParameterNormalized(index);
    if (presetTable != nullptr)
        presetTable[currentPresetIndex].presetValues[index] = normalized;
    factorySetting.presetValues[index] = normalized;

    copyText(record.label, unitLabel(unit), sizeof(record.label));
}

float CTarvelleVST::getParameterMin(VstInt32 index)
{
    return validParam(index) ? paramTable[index].min : 0.0f;
}

float CTarvelleVST::getParameterMax(VstInt32 index)
{
    return validParam(index) ? paramTable[index].max : 0.0f;
}

VstInt32 CTarvelleVST::getParameterUnit(VstInt32 index)
{
    return validParam(index) ? paramTable[index].unit : 0;
}

bool CTarvelleVST::isParameterLogScale(VstInt32 index)
{
    return validParam(index) && paramTable[index].curve == kCurveLog;
}

float CTarvelleVST::denormalizeValue(VstInt32 index, float x)
{
    if (!validParam(index))
        return 0.0f;
    const ParamRecord& record = paramTable[index];
    const double min = record.min;
    const double range = static_cast<double>(record.max) - min;
    switch (record.curve) {
    case kCurveLinear:
        return static_cast<float>(min + range * x);
    case kCurveStepped:
        return static_cast<float>(std::trunc(min + range * x));
    default:
        return relaxedLoad(record.value); // no curve: nothing maps, the stored value stays
    }
}

float CTarvelleVST::normalizeValue(VstInt32 index, float plain)
{
    if (!validParam(index))
        return 0.0f;
    const ParamRecord& record = paramTable[index];
    const double min = record.min;
    const double range = static_cast<double>(record.max) - min;
    if (range == 0.0)
        return 0.0f;
    switch (record.curve) {
    case kCurveLinear:
        return static_cast<float>((plain - min) / range);
    case kCurveStepped: {
        // The small offset on inner steps makes trunc(steps * normalised) give the step below.
        double n = (plain - min) / range;
        if (record.min < plain && plain < record.max)
            n += 0.0001;
        return static_cast<float>(n);
    }
    default:
        return 0.0f;
    }
}

void CTarvelleVST::setParameterFromNormalized(VstInt32 index, float x)
{
    if (!validParam(index))
        return;
    if (paramTable[index].curve == kCurveNone)
        return;
    relaxedStore(paramTable[index].value, denormalizeValue(index, clampNormalized(x)));
}

float CTarvelleVST::getParameterNormalized(VstInt32 index)
{
    if (!validParam(index))
        return 0.0f;
    return normalizeValue(index, relaxedLoad(paramTable[index].value));
}

float CTarvelleVST::mapStoredValue(VstInt32 index)
{
    if (!validParam(index))
        return 0.0f;
    return denormalizeValue(index, relaxedLoad(paramTable[index].value));
}

void CTarvelleVST::setParameter(VstInt32 index, float value)
{
    if (!validParam(index))
        return;
    setParameterFromNormalized(index, value);
    switch (index) {
    case kParamPower:
        requestReset();
        break;
    case kParamInputThres:
        engine.setParam(CMaximizer::kControlInputGain, getParameterNormalized(kParamInputThres));
        break;
    case kParamOutCeiling:
        engine.setParam(CMaximizer::kControlOutputGain, getParameterNormalized(kParamOutCeiling));
        break;
    case kParamRecovery:
        engine.setParam(CMaximizer::kControlRecoveryMode, getParameterNormalized(kParamRecovery));
        break;
    default:
        break;
    }
    if (editor != nullptr && editorLink != nullptr)
        editorLink->setParameter(index, getParameterNormalized(index));
}

float CTarvelleVST::getParameter(VstInt32 index)
{
    if (validParam(index))
        return getParameterNormalized(index);
    if (editor != nullptr)
        return getMeterReading(index);
    return 0.0f;
}

void CTarvelleVST::getParameterName(VstInt32 index, char* text)
{
    if (validParam(index))
        copyText(text, paramTable[index].name, kParamNameSize);
}

void CTarvelleVST::getParameterLabel(VstInt32 index, char* label)
{
    if (validParam(index))
        copyText(label, paramTable[index].label, kParamLabelSize);
}

void CTarvelleVST::getParameterDisplay(VstInt32 index, char* text)
{
    if (!validParam(index))
        return;
    const ParamRecord& record = paramTable[index];
    const double value = relaxedLoad(record.value);
    char display[64];
    switch (record.unit) {
    case 2:
        std::snprintf(display, sizeof(display), "%s", value >= 0.5 ? "On" : "Off");
        break;
    case 3:
        std::snprintf(display, sizeof(display), "%.1f %%", value);
        break;
    case 8:
        std::snprintf(display, sizeof(display), "%.2f Hz", value);
        break;
    case 24:
        std::snprintf(display, sizeof(display), "%.1f ms", value);
        break;
    case 25:
        std::snprintf(display, sizeof(display), "%.1f:1", value);
        break;
    default:
        std::snprintf(display, sizeof(display), "%.2f", value);
        break;
    }
    copyText(text, display, kParamDisplaySize);
}

// ---- Identity ----

bool CTarvelleVST::getEffectName(char* name)
{
    copyText(name, "Orvanne", kVstMaxEffectNameLen);
    return true;
}

bool CTarvelleVST::getVendorString(char* text)
{
    copyText(text, "Tarvelle", kVstMaxVendorStrLen);
    return true;
}

bool CTarvelleVST::getProductString(char* text)
{
    copyText(text, "Orvanne", kVstMaxProductStrLen);
    return true;
}

VstInt32 CTarvelleVST::canDo(char* text)
{
    static const char* const kCanDo[] = {
        "receiveVstTimeInfo", "plugAsChannelInsert", "plugAsSend", "1in1out", "1in2out", "2in2out",
    };
    if (text == nullptr)
        return -1;
    for (const char* entry : kCanDo) {
        // Whole string including the terminator; never reads past it in the host's text.
        if (std::strncmp(text, entry, std::strlen(entry) + 1) == 0)
            return 1;
    }
    return -1;
}

// ---- Factory ----

CTarvelleVST* createTarvelleVST(audioMasterCallback audioMaster, EditorFactory makeEditor)
{
    try {
        CTarvelleVST* effect = new (std::nothrow) CTarvelleVST(audioMaster, makeEditor);
        if (effect == nullptr)
            return nullptr;
        if (!effect->isValid()) {
            delete effect;
            return nullptr;
        }
        return effect;
    } catch (...) {
        return nullptr;
    }
}
