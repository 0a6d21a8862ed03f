#include "DspInstance.h"

#include "ControlSetting.h"

#include "PresetRecord.h"

#include <lv2/atom/atom.h>

#include <cmath>
#include <cstring>
#include <new>

namespace orvanne_lv2 {

namespace {

// The effect's parameter behind each control input, in port order.
constexpr VstInt32 kControlParams[kControlInputCount] = {kParamInputThres, kParamOutCeiling, kParamRecovery,
                                                         kParamPower};
// Largest run handed to the effect in one call (its frame count is a 32-bit integer).
constexpr uint32_t kLargestPiece = 1u << 24;

// The effect asks its host for nothing but this much.
VstIntPtr VSTCALLBACK hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt)
{
    (void)index, (void)value, (void)ptr, (void)opt;
    switch (opcode) {
    case audioMasterVersion:
        return 2400;
    case audioMasterGetSampleRate:
        if (effect != nullptr && effect->object != nullptr)
            return static_cast<VstIntPtr>(static_cast<AudioEffect*>(effect->object)->getSampleRate());
        return 0;
    default:
        return 0;
    }
}

// A host's rate as the float the effect takes. Values that are no rate become 0, which the
// effect treats as 44100; huge ones are cut before the conversion (which they would overflow)
// and then capped by the effect.
float effectRate(double rate)
{
    if (!(rate > 0.0))
        return 0.0f;
    return rate < 1.0e7 ? static_cast<float>(rate) : 1.0e7f;
}

const LV2_URID_Map* findMap(const LV2_Feature* const* features)
{
    if (features == nullptr)
        return nullptr;
    for (const LV2_Feature* const* f = features; *f != nullptr; ++f) {
        if ((*f)->URI != nullptr && std::strcmp((*f)->URI, LV2_URID__map) == 0) {
            const LV2_URID_Map* map = static_cast<const LV2_URID_Map*>((*f)->data);
            return map != nullptr && map->map != nullptr ? map : nullptr;
        }
    }
    return nullptr;
}

} // namespace

DspInstance* DspInstance::create(double rate, const LV2_Feature* const* features)
{
    CTarvelleVST* effect = createTarvelleVST(hostCallback, nullptr);
    if (effect == nullptr)
        return nullptr;
    effect->setSampleRate(effectRate(rate));
    DspInstance* instance = new (std::nothrow) DspInstance(effect);
    if (instance == nullptr) {
        delete effect;
        return nullptr;
    }
    instance->haveUrids = instance->urids(features, instance->instanceUrids);
    return instance;
}

DspInstance::DspInstance(CTarvelleVST* effect) : effect(effect)
{
    // The effect starts at its defaults; ports that the host leaves there change nothing.
    for (uint32_t k = 0; k < kControlInputCount; ++k)
        lastSeen[k] = effect->getParamRecord(kControlParams[k]).defaultValue;
}

DspInstance::~DspInstance()
{
    delete effect;
}

void DspInstance::connect(uint32_t port, void* data)
{
    if (port < kPortCount)
        ports[port] = static_cast<float*>(data);
}

void DspInstance::activate()
{
    effect->suspend();
}

void DspInstance::run(uint32_t frames)
{
    applyControls();
    process(frames);
    writeOutputs();
}

void DspInstance::applyControls()
{
    for (uint32_t k = 0; k < kControlInputCount; ++k) {
        const float* port = ports[kFirstControlInput + k];
        if (port == nullptr)
            continue; // unconnected: the effect keeps its value
        const float value = *port;
        // NaN keeps the last good value (it also never equals lastSeen, so it must be caught here).
        if (std::isnan(value) || value == lastSeen[k])
            continue;
        lastSeen[k] = value;

        const VstInt32 param = kControlParams[k];
        const float plain = controlSetting(*effect, param, kFirstControlInput + k, value);
        // A port moving within one setting (a toggle from 0.2 to 0.4, a level beyond its end)
        // changes nothing: setting Power again would restart the engine.
        const float normalized = effect->normalizeValue(param, plain);
        if (normalized != effect->getParameterNormalized(param))
            effect->setParameter(param, normalized);
    }
}

void DspInstance::process(uint32_t frames)
{
    float* in[2] = {ports[kPortInLeft], ports[kPortInRight]};
    float* out[2] = {ports[kPortOutLeft], ports[kPortOutRight]};
    const bool whole = in[0] != nullptr && in[1] != nullptr && out[0] != nullptr && out[1] != nullptr;
    if (whole) {
        for (uint32_t done = 0; done < frames;) {
            const uint32_t n = frames - done < kLargestPiece ? frames - done : kLargestPiece;
            float* inputs[2] = {in[0] + done, in[1] + done};
            float* outputs[2] = {out[0] + done, out[1] + done};
            effect->processReplacing(inputs, outputs, static_cast<VstInt32>(n));
            done += n;
        }
        return;
    }
    // An unconnected input is silence and an unconnected output goes nowhere; the effect
    // still runs, so its delay and meters stay in time.
    for (uint32_t done = 0; done < frames;) {
        const uint32_t n = frames - done < kScratchFrames ? frames - done : kScratchFrames;
        float* inputs[2];
        float* outputs[2];
        for (int c = 0; c < 2; ++c) {
            inputs[c] = in[c] != nullptr ? in[c] + done : silence;
            outputs[c] = out[c] != nullptr ? out[c] + done : sink;
        }
        effect->processReplacing(inputs, outputs, static_cast<VstInt32>(n));
        done += n;
    }
}

void DspInstance::writeOutputs()
{
    for (uint32_t k = 0; k < kMeterCount; ++k) {
        if (float* port = ports[kFirstMeter + k])
            *port = effect->getMeterReading(kReadingOutLeft + static_cast<VstInt32>(k));
    }
    if (float* port = ports[kPortLatency])
        *port = static_cast<float>(effect->getAeffect()->initialDelay);
}

bool DspInstance::urids(const LV2_Feature* const* features, Urids& out) const
{
    if (haveUrids) {
        out = instanceUrids;
        return true;
    }
    const LV2_URID_Map* map = findMap(features);
    if (map == nullptr)
        return false;
    out.chunkKey = map->map(map->handle, kChunkKeyUri);
    out.chunkType = map->map(map->handle, LV2_ATOM__Chunk);
    return true;
}

LV2_State_Status DspInstance::save(LV2_State_Store_Function store, LV2_State_Handle handle,
                                   const LV2_Feature* const* features)
{
    Urids ids;
    if (store == nullptr)
        return LV2_STATE_ERR_UNKNOWN;
    if (!urids(features, ids))
        return LV2_STATE_ERR_NO_FEATURE;
    void* data = nullptr;
    const VstInt32 size = effect->getChunk(&data);
    if (data == nullptr || size != static_cast<VstInt32>(sizeof(PresetRecord)))
        return LV2_STATE_ERR_UNKNOWN;
    PresetRecord record;
    std::memcpy(&record, data, sizeof(record));
    // The bytes are those of the VST chunk: the same on every little-endian build, not portable beyond.
    return store(handle, ids.chunkKey, &record, sizeof(record), ids.chunkType, LV2_STATE_IS_POD);
}

LV2_State_Status DspInstance::restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                                      const LV2_Feature* const* features)
{
    Urids ids;
    if (retrieve == nullptr)
        return LV2_STATE_ERR_UNKNOWN;
    if (!urids(features, ids))
        return LV2_STATE_ERR_NO_FEATURE;
    size_t size = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    const void* value = retrieve(handle, ids.chunkKey, &size, &type, &flags);
    if (value == nullptr) {
        // A state without the record (a host resetting the plug-in, a preset of port values
        // only) means the default: the factory setting.
        effect->recallFactorySetting(0);
        return LV2_STATE_SUCCESS;
    }
    // Anything but a whole record is refused and changes nothing.
    if (type != ids.chunkType || size != sizeof(PresetRecord))
        return LV2_STATE_ERR_BAD_TYPE;
    PresetRecord record;
    std::memcpy(&record, value, sizeof(record));
    return effect->setChunk(&record, sizeof(record)) == 1 ? LV2_STATE_SUCCESS : LV2_STATE_ERR_UNKNOWN;
}

} // namespace orvanne_lv2
