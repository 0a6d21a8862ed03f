#include "DspInstance.h"

#include "ControlSetting.h"

#include "PresetRecord.h"

#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/patch/patch.h>

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

// The record's bytes are little-endian IEEE floats and integers on every build, so the state is
// portable between machines.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the state record is stored little-endian");

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
    if (const LV2_URID_Map* map = findMap(features))
        lv2_atom_forge_init(&instance->forge, const_cast<LV2_URID_Map*>(map));
    return instance;
}

DspInstance::DspInstance(CTarvelleVST* effect) : effect(effect)
{
    // The effect starts at its defaults; ports that the host leaves there change nothing.
    for (uint32_t k = 0; k < kControlInputCount; ++k)
        lastSeen[k] = effect->getParamRecord(kControlParams[k]).defaultValue;
    effect->getProgramName(factoryName);
    factoryName[kPresetNameSize - 1] = '\0';
    programName.set(factoryName, std::strlen(factoryName));
}

void DspInstance::SharedName::set(const char* name, size_t length)
{
    uint32_t packed[kWords] = {};
    if (length > kPresetNameSize - 1)
        length = kPresetNameSize - 1;
    std::memcpy(packed, name, length);
    const uint32_t count = sequence.load(std::memory_order_relaxed);
    sequence.store(count + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    for (size_t i = 0; i < kWords; ++i)
        words[i].store(packed[i], std::memory_order_relaxed);
    sequence.store(count + 2, std::memory_order_release);
}

void DspInstance::SharedName::get(char (&name)[kPresetNameSize]) const
{
    uint32_t packed[kWords];
    for (;;) {
        const uint32_t before = sequence.load(std::memory_order_acquire);
        for (size_t i = 0; i < kWords; ++i)
            packed[i] = words[i].load(std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_acquire);
        if ((before & 1u) == 0 && sequence.load(std::memory_order_relaxed) == before)
            break;
    }
    std::memcpy(name, packed, sizeof(name));
    name[kPresetNameSize - 1] = '\0';
}

DspInstance::~DspInstance()
{
    delete effect;
}

void DspInstance::connect(uint32_t port, void* data)
{
    if (port < kFloatPortCount)
        ports[port] = static_cast<float*>(data);
    else if (port == kPortControl)
        messagesIn = static_cast<const LV2_Atom_Sequence*>(data);
    else if (port == kPortNotify)
        messagesOut = static_cast<LV2_Atom_Sequence*>(data);
}

void DspInstance::activate()
{
    effect->suspend();
}

void DspInstance::run(uint32_t frames)
{
    readMessages();
    applyControls();
    process(frames);
    writeOutputs();
    writeMessages();
}

void DspInstance::readMessages()
{
    if (messagesIn == nullptr || !haveUrids)
        return;
    const Urids& ids = instanceUrids;
    LV2_ATOM_SEQUENCE_FOREACH(messagesIn, event)
    {
        if (event->body.type != ids.atomObject)
            continue;
        const LV2_Atom_Object* object = reinterpret_cast<const LV2_Atom_Object*>(&event->body);
        const LV2_Atom* property = nullptr;
        const LV2_Atom* value = nullptr;
        lv2_atom_object_get(object, ids.patchProperty, &property, ids.patchValue, &value, 0);
        const bool aboutTheName = property == nullptr ||
            (property->type == ids.atomUrid &&
             reinterpret_cast<const LV2_Atom_URID*>(property)->body == ids.programName);
        if (!aboutTheName)
            continue;
        if (object->body.otype == ids.patchGet) {
            nameToSend.store(true, std::memory_order_relaxed);
        } else if (object->body.otype == ids.patchSet && property != nullptr && value != nullptr &&
                   value->type == ids.atomString) {
            // The body holds the text and its terminating NUL; a missing NUL ends the text anyway.
            const char* text = static_cast<const char*>(LV2_ATOM_BODY_CONST(value));
            programName.set(text, strnlen(text, value->size));
        }
    }
}

void DspInstance::writeMessages()
{
    LV2_Atom_Sequence* out = messagesOut;
    if (out == nullptr)
        return;
    // The host gives the buffer's capacity as the atom's size; the answer is a sequence, empty
    // unless the UI is to hear the program name.
    const uint32_t capacity = out->atom.size;
    if (!haveUrids || forge.Sequence == 0 || capacity < sizeof(LV2_Atom_Sequence_Body)) {
        out->atom.size = 0;
        return;
    }
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(out), capacity);
    LV2_Atom_Forge_Frame sequence;
    if (lv2_atom_forge_sequence_head(&forge, &sequence, 0) == 0) {
        out->atom.size = 0;
        return;
    }
    if (nameToSend.load(std::memory_order_relaxed)) {
        char name[kPresetNameSize];
        programName.get(name);
        const Urids& ids = instanceUrids;
        LV2_Atom_Forge_Frame object;
        // Sent once it fits; a buffer too small for it keeps it for the next run.
        if (lv2_atom_forge_frame_time(&forge, 0) != 0 && lv2_atom_forge_object(&forge, &object, 0, ids.patchSet) != 0) {
            const bool written = lv2_atom_forge_key(&forge, ids.patchProperty) != 0 &&
                lv2_atom_forge_urid(&forge, ids.programName) != 0 && lv2_atom_forge_key(&forge, ids.patchValue) != 0 &&
                lv2_atom_forge_string(&forge, name, static_cast<uint32_t>(std::strlen(name))) != 0;
            lv2_atom_forge_pop(&forge, &object);
            if (written)
                nameToSend.store(false, std::memory_order_relaxed);
            else
                lv2_atom_sequence_clear(out);
        } else {
            lv2_atom_sequence_clear(out);
        }
    }
    lv2_atom_forge_pop(&forge, &sequence);
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
    out.mapWith(*map);
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
    // The values are those the ports gave; the name is the one the UI last chose.
    char name[kPresetNameSize];
    programName.get(name);
    std::memset(record.presetName, 0, sizeof(record.presetName));
    std::memcpy(record.presetName, name, std::strlen(name));
    return store(handle, ids.chunkKey, &record, sizeof(record), ids.chunkType,
                 LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
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
        // only) means the default: the factory setting's name; its values are the ports'
        // defaults, which the host sets.
        restoreUnported(
            factoryName,
            effect->normalizeValue(kParamInternalUse, effect->getParamRecord(kParamInternalUse).defaultValue));
        return LV2_STATE_SUCCESS;
    }
    // Anything but a whole record is refused and changes nothing.
    if (type != ids.chunkType || size != sizeof(PresetRecord))
        return LV2_STATE_ERR_BAD_TYPE;
    PresetRecord record;
    std::memcpy(&record, value, sizeof(record));
    // Also a record saved before the name had its own way to the plug-in: its values for the
    // ported settings are those the host's ports restore (or were, in a state that ran them).
    record.presetName[kPresetNameSize - 1] = '\0';
    restoreUnported(record.presetName, record.presetValues[kParamInternalUse]);
    return LV2_STATE_SUCCESS;
}

void DspInstance::restoreUnported(const char* name, float internalUse)
{
    programName.set(name, std::strlen(name));
    effect->setCurrentPresetName(name);
    if (!std::isnan(internalUse) && internalUse != effect->getParameterNormalized(kParamInternalUse))
        effect->setParameter(kParamInternalUse, internalUse);
    nameToSend.store(true, std::memory_order_relaxed);
}

} // namespace orvanne_lv2
