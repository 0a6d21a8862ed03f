// The bundle as an LV2 host reads it: no complaints from lilv, the ports of the contract with
// the effect's own ranges, and the factory setting as a preset.
#include "LilvHost.h"

#include "TarvelleVST.h"

#include <gtest/gtest.h>
#include <lv2/presets/presets.h>

#include <cmath>
#include <memory>
#include <set>

using namespace lv2test;

namespace {

struct PortExpectation {
    uint32_t index;
    const char* symbol;
    bool audio;
    bool input;
    VstInt32 param; // the effect parameter behind a control input, else -1
};

const PortExpectation kPorts[] = {
    {kPortInLeft, "in_l", true, true, -1},
    {kPortInRight, "in_r", true, true, -1},
    {kPortOutLeft, "out_l", true, false, -1},
    {kPortOutRight, "out_r", true, false, -1},
    {kPortInputThres, "input_thres", false, true, kParamInputThres},
    {kPortOutCeiling, "out_ceiling", false, true, kParamOutCeiling},
    {kPortRecovery, "recovery", false, true, kParamRecovery},
    {kPortPower, "power", false, true, kParamPower},
    {kPortMeterOutLeft, "out_left", false, false, -1},
    {kPortMeterOutRight, "out_right", false, false, -1},
    {kPortMeterOverLeft, "over_left", false, false, -1},
    {kPortMeterOverRight, "over_right", false, false, -1},
    {kPortGainReduction, "gain_reduction", false, false, -1},
    {kPortLatency, "latency", false, false, -1},
};

VstIntPtr VSTCALLBACK silentHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

} // namespace

TEST(Lv2Bundle, LoadsWithoutWarningsAndDeclaresEveryPort)
{
    World world;
    ASSERT_NE(world.plugin, nullptr) << world.loadMessages;
    EXPECT_EQ(world.loadMessages, "");
    EXPECT_TRUE(lilv_plugin_verify(world.plugin));
    ASSERT_EQ(lilv_plugin_get_num_ports(world.plugin), static_cast<uint32_t>(kPortCount));

    std::unique_ptr<CTarvelleVST> effect(createTarvelleVST(silentHost, nullptr));
    ASSERT_NE(effect, nullptr);
    const LilvNode* audioClass = world.uri(LILV_URI_AUDIO_PORT);
    const LilvNode* controlClass = world.uri(LILV_URI_CONTROL_PORT);
    const LilvNode* inputClass = world.uri(LILV_URI_INPUT_PORT);
    for (const PortExpectation& expected : kPorts) {
        SCOPED_TRACE(expected.symbol);
        const LilvPort* port = lilv_plugin_get_port_by_symbol(world.plugin, world.string(expected.symbol));
        ASSERT_NE(port, nullptr);
        EXPECT_EQ(lilv_port_get_index(world.plugin, port), expected.index);
        EXPECT_TRUE(lilv_port_is_a(world.plugin, port, expected.audio ? audioClass : controlClass));
        EXPECT_EQ(lilv_port_is_a(world.plugin, port, inputClass), expected.input);
        if (expected.param < 0)
            continue;
        // The control inputs are in the parameters' own units: the effect's records.
        LilvNode* def = nullptr;
        LilvNode* min = nullptr;
        LilvNode* max = nullptr;
        lilv_port_get_range(world.plugin, port, &def, &min, &max);
        ASSERT_TRUE(def && min && max);
        const ParamRecord& record = effect->getParamRecord(expected.param);
        EXPECT_EQ(lilv_node_as_float(min), record.min);
        EXPECT_EQ(lilv_node_as_float(max), record.max);
        EXPECT_EQ(lilv_node_as_float(def), record.defaultValue);
        lilv_node_free(def);
        lilv_node_free(min);
        lilv_node_free(max);
    }

    const LilvPort* latency = lilv_plugin_get_port_by_index(world.plugin, kPortLatency);
    EXPECT_TRUE(lilv_port_has_property(world.plugin, latency, world.uri(LV2_CORE__reportsLatency)));
    EXPECT_TRUE(lilv_plugin_has_latency(world.plugin));
    EXPECT_EQ(lilv_plugin_get_latency_port_index(world.plugin), static_cast<uint32_t>(kPortLatency));
    EXPECT_TRUE(lilv_plugin_has_extension_data(world.plugin, world.uri(LV2_STATE__interface)));

    // The recovery steps by the names the editor gives them.
    const LilvPort* recovery = lilv_plugin_get_port_by_index(world.plugin, kPortRecovery);
    LilvScalePoints* points = lilv_port_get_scale_points(world.plugin, recovery);
    std::set<std::pair<float, std::string>> named;
    LILV_FOREACH(scale_points, i, points)
    {
        const LilvScalePoint* point = lilv_scale_points_get(points, i);
        named.emplace(lilv_node_as_float(lilv_scale_point_get_value(point)),
                      lilv_node_as_string(lilv_scale_point_get_label(point)));
    }
    lilv_scale_points_free(points);
    EXPECT_EQ(named,
              (std::set<std::pair<float, std::string>>{
                  {1.0f, "Ultra-Fast"}, {2.0f, "Fast"}, {3.0f, "Medium"}, {4.0f, "Slow"}, {5.0f, "Ultra-Slow"}}));
}

TEST(Lv2Bundle, FactoryPresetRestoresTheFactorySound)
{
    World world;
    ASSERT_NE(world.plugin, nullptr) << world.loadMessages;
    LilvNodes* presets = lilv_plugin_get_related(world.plugin, world.uri(LV2_PRESETS__Preset));
    const LilvNode* preset = world.uri("urn:tarvelle:orvanne#factory-setting");
    ASSERT_TRUE(lilv_nodes_contains(presets, preset));
    lilv_nodes_free(presets);
    LilvState* state = lilv_state_new_from_world(world.world, world.urids.mapFeatureData(), preset);
    ASSERT_NE(state, nullptr);
    EXPECT_STREQ(lilv_state_get_label(state), "Factory Setting");

    // An instance moved away from the factory setting, then given the preset as a host does.
    Instance changed(world, 48000.0);
    Instance fresh(world, 48000.0);
    ASSERT_TRUE(changed.valid() && fresh.valid());
    const Stereo in = programMaterial();
    std::vector<float> outL(in.frames()), outR(in.frames()), refL(in.frames()), refR(in.frames());
    changed.controls[kPortInputThres] = 9.0f;
    changed.controls[kPortRecovery] = 4.0f;
    changed.controls[kPortPower] = 1.0f;
    changed.activate();
    changed.run(in.left.data(), in.right.data(), outL.data(), outR.data(), 4096);
    lilv_state_restore(state, changed.lilv, setPortValue, &changed, 0, world.urids.features());
    lilv_state_free(state);
    EXPECT_EQ(changed.controls[kPortInputThres], 0.0f);
    EXPECT_EQ(changed.controls[kPortRecovery], 1.0f);
    EXPECT_EQ(changed.controls[kPortPower], 0.0f);

    changed.activate();
    fresh.activate();
    changed.run(in.left.data(), in.right.data(), outL.data(), outR.data(), static_cast<uint32_t>(in.frames()));
    fresh.run(in.left.data(), in.right.data(), refL.data(), refR.data(), static_cast<uint32_t>(in.frames()));
    EXPECT_EQ(firstDifference(outL, refL), -1);
    EXPECT_EQ(firstDifference(outR, refR), -1);
}
