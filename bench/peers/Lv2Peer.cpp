#include "Lv2Peer.h"

#include "Lv2UridMap.h"

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/parameters/parameters.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <cstring>

namespace peers {

struct Lv2World::Parts {
    LilvWorld* world = nullptr;
    test_support::UridMap urids;
    LilvNode* audioPort = nullptr;
    LilvNode* controlPort = nullptr;
    LilvNode* atomPort = nullptr;
    LilvNode* cvPort = nullptr;
    LilvNode* inputPort = nullptr;

    LV2_URID urid(const char* uri) { return urids.map(uri); }
};

Lv2World::Lv2World() : impl(new Parts)
{
    Parts& p = *impl;
    p.world = lilv_world_new();
    lilv_world_load_all(p.world);
    p.audioPort = lilv_new_uri(p.world, LV2_CORE__AudioPort);
    p.controlPort = lilv_new_uri(p.world, LV2_CORE__ControlPort);
    p.atomPort = lilv_new_uri(p.world, LV2_ATOM__AtomPort);
    p.cvPort = lilv_new_uri(p.world, LV2_CORE__CVPort);
    p.inputPort = lilv_new_uri(p.world, LV2_CORE__InputPort);
}

Lv2World::~Lv2World()
{
    for (LilvNode* node : {impl->audioPort, impl->controlPort, impl->atomPort, impl->cvPort, impl->inputPort})
        lilv_node_free(node);
    lilv_world_free(impl->world);
}

namespace {

constexpr uint32_t kAtomCapacity = 8192;

class Lv2Peer : public PeerPlugin {
public:
    Lv2Peer(const std::string& label, int maxBlock, Lv2World::Parts& world, double rate)
        : PeerPlugin(label, maxBlock), blockLength(maxBlock), sampleRate(static_cast<float>(rate))
    {
        const LV2_URID intType = world.urid(LV2_ATOM__Int);
        const LV2_URID floatType = world.urid(LV2_ATOM__Float);
        options[0] = {LV2_OPTIONS_INSTANCE, 0,       world.urid(LV2_BUF_SIZE__maxBlockLength),
                      sizeof(int32_t),      intType, &blockLength};
        options[1] = {LV2_OPTIONS_INSTANCE, 0,       world.urid(LV2_BUF_SIZE__nominalBlockLength),
                      sizeof(int32_t),      intType, &blockLength};
        options[2] = {LV2_OPTIONS_INSTANCE, 0,         world.urid(LV2_PARAMETERS__sampleRate),
                      sizeof(float),        floatType, &sampleRate};
        options[3] = {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
        mapFeature = {LV2_URID__map, world.urids.mapFeatureData()};
        unmapFeature = {LV2_URID__unmap, world.urids.unmapFeatureData()};
        optionsFeature = {LV2_OPTIONS__options, options};
        boundedFeature = {LV2_BUF_SIZE__boundedBlockLength, nullptr};
        features[0] = &mapFeature;
        features[1] = &unmapFeature;
        features[2] = &optionsFeature;
        features[3] = &boundedFeature;
        features[4] = nullptr;
        sequenceType = world.urid(LV2_ATOM__Sequence);
        chunkType = world.urid(LV2_ATOM__Chunk);
    }

    ~Lv2Peer() override
    {
        if (instance) {
            lilv_instance_deactivate(instance);
            lilv_instance_free(instance);
        }
    }

    void run(int frames) override
    {
        // Atom ports start every cycle empty (inputs) or with their whole capacity (outputs).
        for (size_t i = 0; i < atoms.size(); ++i) {
            auto* sequence = reinterpret_cast<LV2_Atom_Sequence*>(atoms[i].data());
            sequence->atom.size = atomIsInput[i] ? sizeof(LV2_Atom_Sequence_Body) : kAtomCapacity;
            sequence->atom.type = atomIsInput[i] ? sequenceType : chunkType;
            sequence->body.unit = 0;
            sequence->body.pad = 0;
        }
        lilv_instance_run(instance, static_cast<uint32_t>(frames));
    }

    bool start(Lv2World::Parts& world, const LilvPlugin* plugin, const ControlSettings& settings, std::string& error)
    {
        instance = lilv_plugin_instantiate(plugin, static_cast<double>(sampleRate), features);
        if (!instance) {
            error = "could not be instantiated";
            return false;
        }
        const uint32_t count = lilv_plugin_get_num_ports(plugin);
        controls.assign(count, 0.0f);
        std::vector<float*> audioIn{inLeft.data(), inRight.data()};
        std::vector<float*> audioOut{outLeft.data(), outRight.data()};
        size_t nextIn = 0, nextOut = 0;
        std::vector<size_t> atomPorts;
        for (uint32_t i = 0; i < count; ++i) {
            const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
            const bool input = lilv_port_is_a(plugin, port, world.inputPort);
            if (lilv_port_is_a(plugin, port, world.audioPort)) {
                std::vector<float*>& side = input ? audioIn : audioOut;
                size_t& next = input ? nextIn : nextOut;
                if (next >= side.size()) {
                    error = "has more than two audio inputs or outputs";
                    return false;
                }
                lilv_instance_connect_port(instance, i, side[next++]);
            } else if (lilv_port_is_a(plugin, port, world.controlPort)) {
                if (input)
                    controls[i] = controlValue(plugin, port, settings);
                lilv_instance_connect_port(instance, i, &controls[i]);
            } else if (lilv_port_is_a(plugin, port, world.atomPort)) {
                atoms.emplace_back(kAtomCapacity / sizeof(uint64_t) + 2);
                atomIsInput.push_back(input);
                atomPorts.push_back(i);
            } else if (lilv_port_is_a(plugin, port, world.cvPort)) {
                cv.emplace_back(inLeft.size());
                lilv_instance_connect_port(instance, i, cv.back().data());
            } else {
                lilv_instance_connect_port(instance, i, nullptr);
            }
        }
        if (nextIn != 2 || nextOut != 2) {
            error = "is not a stereo plug-in";
            return false;
        }
        for (size_t k = 0; k < atomPorts.size(); ++k)
            lilv_instance_connect_port(instance, static_cast<uint32_t>(atomPorts[k]), atoms[k].data());
        lilv_instance_activate(instance);
        return true;
    }

private:
    float controlValue(const LilvPlugin* plugin, const LilvPort* port, const ControlSettings& settings)
    {
        const char* symbol = lilv_node_as_string(lilv_port_get_symbol(plugin, port));
        for (const auto& setting : settings)
            if (setting.first == symbol)
                return setting.second;
        LilvNode* defaultValue = nullptr;
        LilvNode* minimum = nullptr;
        LilvNode* maximum = nullptr;
        lilv_port_get_range(plugin, port, &defaultValue, &minimum, &maximum);
        float value = 0.0f;
        if (defaultValue)
            value = lilv_node_as_float(defaultValue);
        else if (minimum)
            value = lilv_node_as_float(minimum);
        lilv_node_free(defaultValue);
        lilv_node_free(minimum);
        lilv_node_free(maximum);
        return value;
    }

    LilvInstance* instance = nullptr;
    int32_t blockLength;
    float sampleRate;
    LV2_Options_Option options[4];
    LV2_Feature mapFeature, unmapFeature, optionsFeature, boundedFeature;
    const LV2_Feature* features[5];
    LV2_URID sequenceType = 0, chunkType = 0;
    std::vector<float> controls;
    std::vector<std::vector<uint64_t>> atoms; // 8-byte aligned atom buffers
    std::vector<bool> atomIsInput;
    std::vector<std::vector<float>> cv;
};

} // namespace

PeerPointer loadLv2(Lv2World& world, const std::string& label, const std::string& uri, double rate, int maxBlock,
                    const ControlSettings& settings, std::string& error)
{
    Lv2World::Parts& parts = world.parts();
    LilvNode* name = lilv_new_uri(parts.world, uri.c_str());
    const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(parts.world), name);
    lilv_node_free(name);
    if (!plugin) {
        error = "is not installed (no LV2 plug-in " + uri + ")";
        return nullptr;
    }
    std::unique_ptr<Lv2Peer> peer(new Lv2Peer(label, maxBlock, parts, rate));
    if (!peer->start(parts, plugin, settings, error))
        return nullptr;
    return peer;
}

} // namespace peers
