// The state extension: the 56-byte record of the VST chunk, through lilv's state API and
// between the two formats; the ports carry the settings, the record the program name; bad
// records are refused and change nothing.
#include "FactoryBank.h"
#include "LilvHost.h"

#include "PluginHost.h"
#include "PresetRecord.h"
#include "TarvelleVST.h"

#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/presets/presets.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>

using namespace lv2test;

namespace {

using Bytes = std::vector<unsigned char>;

// What save() stored, and what restore() is handed back.
struct Store {
    UridMap* urids = nullptr;
    Bytes value;
    uint32_t key = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    int calls = 0;
};

LV2_State_Status storeValue(LV2_State_Handle handle, uint32_t key, const void* value, size_t size, uint32_t type,
                            uint32_t flags)
{
    Store& store = *static_cast<Store*>(handle);
    store.flags = flags;
    store.key = key;
    store.type = type;
    store.value.assign(static_cast<const unsigned char*>(value), static_cast<const unsigned char*>(value) + size);
    ++store.calls;
    return LV2_STATE_SUCCESS;
}

const void* retrieveValue(LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags)
{
    Store& store = *static_cast<Store*>(handle);
    if (store.calls == 0 || key != store.urids->map(kChunkKeyUri))
        return nullptr;
    *size = store.value.size();
    *type = store.type;
    *flags = LV2_STATE_IS_POD;
    return store.value.data();
}

Bytes saveRecord(Instance& instance, const LV2_Feature* const* features, LV2_State_Status* status = nullptr,
                 uint32_t* flags = nullptr)
{
    Store store;
    const LV2_State_Status result = instance.state()->save(instance.lilv->lv2_handle, storeValue, &store, 0, features);
    if (status != nullptr)
        *status = result;
    if (flags != nullptr)
        *flags = store.flags;
    return store.value;
}

PresetRecord recordOf(const Bytes& bytes)
{
    PresetRecord record = {};
    if (bytes.size() == sizeof(record))
        std::memcpy(&record, bytes.data(), sizeof(record));
    return record;
}

// Sets the control ports to the plain values of a record, as a host's saved port values do.
void setPortsFromRecord(Instance& instance, const PresetRecord& record)
{
    std::unique_ptr<CTarvelleVST> effect(
        createTarvelleVST([](AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*,
                             float) -> VstIntPtr { return opcode == audioMasterVersion ? 2400 : 0; },
                          nullptr));
    const VstInt32 params[] = {kParamInputThres, kParamOutCeiling, kParamRecovery, kParamPower};
    for (uint32_t k = 0; k < kControlInputCount; ++k)
        instance.controls[kFirstControlInput + k] = effect->denormalizeValue(params[k], record.presetValues[params[k]]);
}

LV2_State_Status restoreRecord(Instance& instance, const Bytes& bytes, uint32_t type)
{
    Store store;
    store.urids = &instance.world.urids;
    store.value = bytes;
    store.type = type;
    store.calls = 1;
    return instance.state()->restore(instance.lilv->lv2_handle, retrieveValue, &store, 0,
                                     instance.world.urids.features());
}

struct Output {
    std::vector<float> left, right;
};

// Restarted, then the material.
Output render(Instance& instance, const Stereo& in)
{
    Output out{std::vector<float>(in.frames()), std::vector<float>(in.frames())};
    instance.activate();
    instance.run(in.left.data(), in.right.data(), out.left.data(), out.right.data(),
                 static_cast<uint32_t>(in.frames()));
    return out;
}

Output render(vsthost::PluginHost& host, const Stereo& in)
{
    Output out{std::vector<float>(in.frames()), std::vector<float>(in.frames())};
    host.stop();
    host.start(44100.0f, 4096);
    host.processStereo(in.left.data(), in.right.data(), out.left.data(), out.right.data(),
                       static_cast<VstInt32>(in.frames()));
    return out;
}

void expectSame(const Output& a, const Output& b)
{
    EXPECT_EQ(firstDifference(a.left, b.left), -1);
    EXPECT_EQ(firstDifference(a.right, b.right), -1);
}

std::unique_ptr<vsthost::PluginHost> loadVst()
{
    std::string error;
    std::unique_ptr<vsthost::PluginHost> host = vsthost::PluginHost::load(ORVANNE_VST_PLUGIN, error);
    EXPECT_TRUE(host != nullptr) << error;
    if (host != nullptr)
        host->start(44100.0f, 4096);
    return host;
}

} // namespace

TEST(Lv2State, SavedAndRestoredThroughLilvReproducesTheOutput)
{
    World world;
    ASSERT_NE(world.plugin, nullptr) << world.loadMessages;
    const Stereo in = programMaterial();
    Instance source(world, 44100.0);
    ASSERT_TRUE(source.valid());
    source.controls[kPortInputThres] = 7.5f;
    source.controls[kPortOutCeiling] = -2.0f;
    source.controls[kPortRecovery] = 4.0f;
    source.activate();
    std::vector<float> scratchL(in.frames()), scratchR(in.frames());
    source.run(in.left.data(), in.right.data(), scratchL.data(), scratchR.data(), 10000);

    // Saved as a host saves a session (to text and back), restored into a fresh instance.
    LilvState* saved = lilv_state_new_from_instance(world.plugin, source.lilv, world.urids.mapFeatureData(), nullptr,
                                                    nullptr, nullptr, nullptr, getPortValue, &source, LV2_STATE_IS_POD,
                                                    world.urids.features());
    ASSERT_NE(saved, nullptr);
    char* text = lilv_state_to_string(world.world, world.urids.mapFeatureData(), world.urids.unmapFeatureData(), saved,
                                      "urn:orvanne-test:state", nullptr);
    lilv_state_free(saved);
    ASSERT_NE(text, nullptr);
    EXPECT_NE(std::strstr(text, kChunkKeyUri), nullptr) << text;
    LilvState* loaded = lilv_state_new_from_string(world.world, world.urids.mapFeatureData(), text);
    lilv_free(text);
    ASSERT_NE(loaded, nullptr);
    Instance target(world, 44100.0);
    ASSERT_TRUE(target.valid());
    lilv_state_restore(loaded, target.lilv, setPortValue, &target, 0, world.urids.features());
    lilv_state_free(loaded);
    EXPECT_EQ(target.controls[kPortInputThres], 7.5f);

    expectSame(render(target, in), render(source, in));
    EXPECT_EQ(saveRecord(target, world.urids.features()), saveRecord(source, world.urids.features()));
}

TEST(Lv2State, TheRecordMovesBetweenTheVstAndTheLv2Build)
{
    World world;
    ASSERT_NE(world.plugin, nullptr) << world.loadMessages;
    const Stereo in = programMaterial();
    const uint32_t chunkType = world.urids.map(LV2_ATOM__Chunk);

    // VST to LV2: the chunk restored with the ports at its values, as a host's state holds both.
    std::unique_ptr<vsthost::PluginHost> vst = loadVst();
    ASSERT_NE(vst, nullptr);
    vst->setParameter(kParamInputThres, 0.7f);
    vst->setParameter(kParamRecovery, 0.75f);
    vst->setParameter(kParamOutCeiling, 0.45f);
    const Bytes chunk = vst->getChunk();
    ASSERT_EQ(chunk.size(), sizeof(PresetRecord));
    Instance lv2(world, 44100.0);
    ASSERT_TRUE(lv2.valid());
    EXPECT_EQ(restoreRecord(lv2, chunk, chunkType), LV2_STATE_SUCCESS);
    setPortsFromRecord(lv2, recordOf(chunk));
    expectSame(render(lv2, in), render(*vst, in));
    EXPECT_EQ(saveRecord(lv2, world.urids.features()), chunk);

    // Ports left elsewhere stay the truth: the record brings its name, not its values.
    Instance stale(world, 44100.0);
    ASSERT_TRUE(stale.valid());
    PresetRecord named = recordOf(chunk);
    std::strcpy(named.presetName, "From The VST");
    const Bytes namedChunk(reinterpret_cast<unsigned char*>(&named), reinterpret_cast<unsigned char*>(&named + 1));
    EXPECT_EQ(restoreRecord(stale, namedChunk, chunkType), LV2_STATE_SUCCESS);
    Instance untouched(world, 44100.0);
    ASSERT_TRUE(untouched.valid());
    expectSame(render(stale, in), render(untouched, in));
    EXPECT_EQ(stale.notifiedName(), "From The VST") << "the UI hears the restored name";
    const PresetRecord saved = recordOf(saveRecord(stale, world.urids.features()));
    EXPECT_STREQ(saved.presetName, "From The VST");
    EXPECT_EQ(saved.presetValues[kParamInputThres], 0.5f) << "the port's 0 dB";

    // LV2 to VST: a state made through the ports, given to a fresh VST instance.
    Instance source(world, 44100.0);
    ASSERT_TRUE(source.valid());
    source.controls[kPortInputThres] = 4.0f;
    source.controls[kPortRecovery] = 2.0f;
    source.controls[kPortPower] = 1.0f;
    source.activate();
    source.run(in.left.data(), in.right.data(), nullptr, nullptr, 64);
    LV2_State_Status status = LV2_STATE_ERR_UNKNOWN;
    const Bytes record = saveRecord(source, world.urids.features(), &status);
    EXPECT_EQ(status, LV2_STATE_SUCCESS);
    std::unique_ptr<vsthost::PluginHost> fresh = loadVst();
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->setChunk(record.data(), record.size()), 1);
    expectSame(render(*fresh, in), render(source, in));
    EXPECT_EQ(fresh->getChunk(), record);
}

TEST(Lv2State, BadRecordsAreRefusedAndChangeNothing)
{
    World world;
    ASSERT_NE(world.plugin, nullptr) << world.loadMessages;
    const uint32_t chunkType = world.urids.map(LV2_ATOM__Chunk);
    Instance instance(world, 44100.0);
    ASSERT_TRUE(instance.valid());
    instance.controls[kPortInputThres] = 5.0f;
    instance.run(nullptr, nullptr, nullptr, nullptr, 16);
    const Bytes before = saveRecord(instance, world.urids.features());
    ASSERT_EQ(before.size(), sizeof(PresetRecord));

    Bytes other(sizeof(PresetRecord), 0);
    std::memcpy(other.data(), before.data(), 4); // the tag, then zero values: clearly another state
    for (size_t size : {size_t(1), sizeof(PresetRecord) - 1, sizeof(PresetRecord) + 1, size_t(4096)}) {
        Bytes wrong(size, 0x7f);
        EXPECT_EQ(restoreRecord(instance, wrong, chunkType), LV2_STATE_ERR_BAD_TYPE) << size;
    }
    EXPECT_EQ(restoreRecord(instance, other, world.urids.map(LV2_ATOM__String)), LV2_STATE_ERR_BAD_TYPE);
    EXPECT_EQ(saveRecord(instance, world.urids.features()), before);

    // A state without the record is the default: the factory setting's name; the values stay
    // the ports' (a host resetting the plug-in sets them to their defaults).
    PresetRecord renamed = recordOf(before);
    std::strcpy(renamed.presetName, "Renamed");
    ASSERT_EQ(
        restoreRecord(instance,
                      Bytes(reinterpret_cast<unsigned char*>(&renamed), reinterpret_cast<unsigned char*>(&renamed + 1)),
                      chunkType),
        LV2_STATE_SUCCESS);
    EXPECT_STREQ(recordOf(saveRecord(instance, world.urids.features())).presetName, "Renamed");
    Store empty;
    empty.urids = &world.urids;
    EXPECT_EQ(instance.state()->restore(instance.lilv->lv2_handle, retrieveValue, &empty, 0, world.urids.features()),
              LV2_STATE_SUCCESS);
    EXPECT_EQ(saveRecord(instance, world.urids.features()), before);
}

TEST(Lv2State, WithoutAUridMapStateIsRefusedUnlessTheCallBringsOne)
{
    World world;
    ASSERT_NE(world.plugin, nullptr) << world.loadMessages;
    Instance bare(world, 44100.0, false); // as lv2apply instantiates: no features at all
    ASSERT_TRUE(bare.valid());
    LV2_State_Status status = LV2_STATE_SUCCESS;
    EXPECT_TRUE(saveRecord(bare, nullptr, &status).empty());
    EXPECT_EQ(status, LV2_STATE_ERR_NO_FEATURE);
    const Bytes record = saveRecord(bare, world.urids.features(), &status);
    EXPECT_EQ(status, LV2_STATE_SUCCESS);
    EXPECT_EQ(record.size(), sizeof(PresetRecord));
}

// Saved through lilv as a host saves a session and restored into a fresh instance as lilv
// restores: the ports, the program name and the output agree.
struct SessionCopy {
    std::unique_ptr<Instance> target;
    std::string text;
};

SessionCopy copyThroughLilv(World& world, Instance& source)
{
    SessionCopy copy;
    LilvState* saved = lilv_state_new_from_instance(world.plugin, source.lilv, world.urids.mapFeatureData(), nullptr,
                                                    nullptr, nullptr, nullptr, getPortValue, &source, 0,
                                                    world.urids.features());
    if (saved == nullptr)
        return copy;
    char* text = lilv_state_to_string(world.world, world.urids.mapFeatureData(), world.urids.unmapFeatureData(), saved,
                                      "urn:orvanne-test:state", nullptr);
    lilv_state_free(saved);
    copy.text = text != nullptr ? text : "";
    LilvState* loaded = text != nullptr ? lilv_state_new_from_string(world.world, world.urids.mapFeatureData(), text)
                                        : nullptr;
    lilv_free(text);
    if (loaded == nullptr)
        return copy;
    copy.target = std::make_unique<Instance>(world, 44100.0);
    lilv_state_restore(loaded, copy.target->lilv, setPortValue, copy.target.get(), 0, world.urids.features());
    lilv_state_free(loaded);
    return copy;
}

TEST(Lv2State, TheProgramNameFromTheUiSurvivesSaveAndRestoreWithThePorts)
{
    World world;
    ASSERT_NE(world.plugin, nullptr) << world.loadMessages;
    const Stereo in = programMaterial();
    Instance source(world, 44100.0);
    ASSERT_TRUE(source.valid());
    // What the UI sends when a preset is chosen: the ports' values, then the name.
    source.controls[kPortInputThres] = 6.0f;
    source.controls[kPortRecovery] = 3.0f;
    alignas(8) unsigned char message[128];
    source.send(programNameMessage(world.urids, message, sizeof(message), "Master A"));
    source.activate();
    source.run(in.left.data(), in.right.data(), nullptr, nullptr, 64);
    EXPECT_EQ(source.notifiedName(), "") << "a name from the UI is not echoed";
    // A UI that opens asks for the name and hears it.
    source.send(programNameMessage(world.urids, message, sizeof(message), nullptr));
    source.run(in.left.data(), in.right.data(), nullptr, nullptr, 64);
    EXPECT_EQ(source.notifiedName(), "Master A");

    uint32_t flags = 0;
    const PresetRecord record = recordOf(saveRecord(source, world.urids.features(), nullptr, &flags));
    EXPECT_STREQ(record.presetName, "Master A");
    EXPECT_EQ(flags, uint32_t(LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE));

    SessionCopy copy = copyThroughLilv(world, source);
    ASSERT_NE(copy.target, nullptr) << copy.text;
    Instance& target = *copy.target;
    for (uint32_t port = kFirstControlInput; port < kFirstControlInput + kControlInputCount; ++port)
        EXPECT_EQ(target.controls[port], source.controls[port]) << port;
    expectSame(render(target, in), render(source, in));
    EXPECT_EQ(target.notifiedName(), "Master A") << "the restored name goes to the UI";
    EXPECT_STREQ(recordOf(saveRecord(target, world.urids.features())).presetName, "Master A");
}

TEST(Lv2State, AnEarlierVersionsStateLoadsWithItsPortsAndItsName)
{
    World world;
    ASSERT_NE(world.plugin, nullptr) << world.loadMessages;
    const Stereo in = programMaterial();
    const uint32_t chunkType = world.urids.map(LV2_ATOM__Chunk);
    // Earlier versions saved the record with the effect's values; after their restore the
    // ports could hold other values than the record. The ports count, the name comes along.
    Instance old(world, 44100.0);
    ASSERT_TRUE(old.valid());
    PresetRecord record = recordOf(saveRecord(old, world.urids.features()));
    record.presetValues[kParamInputThres] = 0.9f;
    record.presetValues[kParamPower] = 1.0f;
    std::strcpy(record.presetName, "Session Name");
    Instance loaded(world, 44100.0);
    ASSERT_TRUE(loaded.valid());
    loaded.controls[kPortInputThres] = -3.0f;
    EXPECT_EQ(
        restoreRecord(loaded,
                      Bytes(reinterpret_cast<unsigned char*>(&record), reinterpret_cast<unsigned char*>(&record + 1)),
                      chunkType),
        LV2_STATE_SUCCESS);
    Instance ports(world, 44100.0);
    ASSERT_TRUE(ports.valid());
    ports.controls[kPortInputThres] = -3.0f;
    expectSame(render(loaded, in), render(ports, in));
    const PresetRecord saved = recordOf(saveRecord(loaded, world.urids.features()));
    EXPECT_STREQ(saved.presetName, "Session Name");
    EXPECT_FLOAT_EQ(saved.presetValues[kParamInputThres], 0.425f);
    EXPECT_EQ(saved.presetValues[kParamPower], 0.0f);
}

// The factory bank in presets.ttl: every preset of the table is there, sets the ports to the
// table's values and gives the plug-in the record the build wrote into its ".prg" file.
TEST(Lv2State, FactoryBankPresetsMatchTheirPrgFiles)
{
    World world;
    ASSERT_NE(world.plugin, nullptr) << world.loadMessages;
    LilvNodes* presets = lilv_plugin_get_related(world.plugin, world.uri(LV2_PRESETS__Preset));
    std::map<std::string, LilvState*> byLabel;
    LILV_FOREACH(nodes, i, presets)
    {
        LilvState* state = lilv_state_new_from_world(world.world, world.urids.mapFeatureData(),
                                                     lilv_nodes_get(presets, i));
        if (state != nullptr)
            byLabel[lilv_state_get_label(state)] = state;
    }
    lilv_nodes_free(presets);
    EXPECT_EQ(byLabel.size(), bank::kFactoryBankSize + 1) << "the factory setting and the bank";

    const std::vector<float> silence(64, 0.0f);
    std::vector<float> outL(64), outR(64);
    for (size_t p = 0; p < bank::kFactoryBankSize; ++p) {
        const bank::FactoryPreset& preset = bank::kFactoryBank[p];
        SCOPED_TRACE(preset.name);
        const auto found = byLabel.find(preset.name);
        ASSERT_NE(found, byLabel.end());
        std::ifstream in(std::string(ORVANNE_FACTORY_BANK_DIR) + "/" + preset.folder + "/" + preset.name + ".prg",
                         std::ios::binary);
        const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_EQ(file.size(), sizeof(PresetRecord));
        const PresetRecord written = recordOf(file);
        EXPECT_STREQ(written.presetName, preset.name);

        Instance instance(world, 48000.0);
        ASSERT_TRUE(instance.valid());
        lilv_state_restore(found->second, instance.lilv, setPortValue, &instance, 0, world.urids.features());
        EXPECT_FLOAT_EQ(instance.controls[kPortInputThres], preset.inputThresDb);
        EXPECT_FLOAT_EQ(instance.controls[kPortOutCeiling], preset.outCeilingDb);
        EXPECT_EQ(instance.controls[kPortRecovery], static_cast<float>(preset.recovery));
        EXPECT_EQ(instance.controls[kPortPower], preset.power ? 1.0f : 0.0f);
        instance.activate();
        instance.run(silence.data(), silence.data(), outL.data(), outR.data(), 64);
        const PresetRecord saved = recordOf(saveRecord(instance, world.urids.features()));
        EXPECT_STREQ(saved.presetName, preset.name);
        for (int k = 0; k < kPresetValueCount; ++k)
            EXPECT_NEAR(saved.presetValues[k], written.presetValues[k], 1e-6f) << "value " << k;
    }
    for (auto& entry : byLabel)
        lilv_state_free(entry.second);
}
