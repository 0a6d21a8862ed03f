#include "LilvHost.h"

#include "DemoSignal.h"

#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>
#include <lv2/patch/patch.h>
#include <lv2/presets/presets.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace lv2test {

namespace {

// What the process writes to stderr between construction and finish().
class StderrCapture {
public:
    StderrCapture()
    {
        std::fflush(stderr);
        file = std::tmpfile();
        saved = dup(STDERR_FILENO);
        if (file != nullptr && saved >= 0)
            dup2(fileno(file), STDERR_FILENO);
    }
    std::string finish()
    {
        std::fflush(stderr);
        if (saved >= 0) {
            dup2(saved, STDERR_FILENO);
            close(saved);
            saved = -1;
        }
        std::string text;
        if (file != nullptr) {
            std::rewind(file);
            char buffer[4096];
            size_t n;
            while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0)
                text.append(buffer, n);
            std::fclose(file);
            file = nullptr;
        }
        return text;
    }
    ~StderrCapture() { finish(); }

private:
    std::FILE* file = nullptr;
    int saved = -1;
};

} // namespace

World::World()
{
    setenv("LV2_PATH", ORVANNE_LV2_PATH, 1);
    StderrCapture capture;
    world = lilv_world_new();
    lilv_world_load_all(world);
    const LilvPlugins* plugins = lilv_world_get_all_plugins(world);
    plugin = lilv_plugins_get_by_uri(plugins, uri(kPluginUri));
    // The plug-in's own data files are read when first asked for.
    if (plugin != nullptr && lilv_plugin_verify(plugin)) {
        LilvNode* name = lilv_plugin_get_name(plugin);
        lilv_node_free(name);
        LilvNodes* presets = lilv_plugin_get_related(plugin, uri(LV2_PRESETS__Preset));
        LILV_FOREACH(nodes, i, presets)
        lilv_world_load_resource(world, lilv_nodes_get(presets, i));
        lilv_nodes_free(presets);
    }
    loadMessages = capture.finish();
}

World::~World()
{
    for (LilvNode* node : nodes)
        lilv_node_free(node);
    lilv_world_free(world);
}

const LilvNode* World::uri(const char* text)
{
    nodes.push_back(lilv_new_uri(world, text));
    return nodes.back();
}

const LilvNode* World::string(const char* text)
{
    nodes.push_back(lilv_new_string(world, text));
    return nodes.back();
}

Instance::Instance(World& world, double rate, bool withMap) : world(world)
{
    if (world.plugin == nullptr)
        return;
    lilv = lilv_plugin_instantiate(world.plugin, rate, withMap ? world.urids.features() : nullptr);
    if (lilv == nullptr)
        return;
    for (uint32_t port = 0; port < kPortCount; ++port) {
        const LilvPort* p = lilv_plugin_get_port_by_index(world.plugin, port);
        LilvNode* value = nullptr;
        lilv_port_get_range(world.plugin, p, &value, nullptr, nullptr);
        controls[port] = value != nullptr ? lilv_node_as_float(value) : 0.0f;
        lilv_node_free(value);
        if (port >= kFirstControlInput && port < kFloatPortCount)
            lilv_instance_connect_port(lilv, port, &controls[port]);
    }
    LV2_Atom_Sequence* in = reinterpret_cast<LV2_Atom_Sequence*>(messagesIn);
    in->atom.type = world.urids.map(LV2_ATOM__Sequence);
    in->atom.size = sizeof(LV2_Atom_Sequence_Body);
    in->body.unit = 0;
    in->body.pad = 0;
    lilv_instance_connect_port(lilv, kPortControl, messagesIn);
    lilv_instance_connect_port(lilv, kPortNotify, messagesOut);
}

Instance::~Instance()
{
    if (lilv != nullptr)
        lilv_instance_free(lilv);
}

void Instance::activate()
{
    lilv_instance_activate(lilv);
}

void Instance::run(const float* inL, const float* inR, float* outL, float* outR, uint32_t frames)
{
    lilv_instance_connect_port(lilv, kPortInLeft, const_cast<float*>(inL));
    lilv_instance_connect_port(lilv, kPortInRight, const_cast<float*>(inR));
    lilv_instance_connect_port(lilv, kPortOutLeft, outL);
    lilv_instance_connect_port(lilv, kPortOutRight, outR);
    LV2_Atom_Sequence* out = reinterpret_cast<LV2_Atom_Sequence*>(messagesOut);
    out->atom.type = 0;
    out->atom.size = sizeof(messagesOut) - sizeof(LV2_Atom);
    lilv_instance_run(lilv, frames);
    lv2_atom_sequence_clear(reinterpret_cast<LV2_Atom_Sequence*>(messagesIn));
    readNotifications();
}

void Instance::send(const LV2_Atom* message)
{
    // An event at frame 0: the frame time, then the atom.
    LV2_Atom_Sequence* in = reinterpret_cast<LV2_Atom_Sequence*>(messagesIn);
    alignas(8) unsigned char event[sizeof(messagesIn)] = {};
    const uint32_t size = lv2_atom_total_size(message);
    if (sizeof(LV2_Atom_Event) - sizeof(LV2_Atom) + size > sizeof(event))
        return;
    std::memcpy(event + sizeof(int64_t), message, size);
    lv2_atom_sequence_append_event(in, sizeof(messagesIn) - sizeof(LV2_Atom),
                                   reinterpret_cast<const LV2_Atom_Event*>(event));
}

void Instance::readNotifications()
{
    const LV2_Atom_Sequence* out = reinterpret_cast<const LV2_Atom_Sequence*>(messagesOut);
    UridMap& ids = world.urids;
    if (out->atom.type != ids.map(LV2_ATOM__Sequence))
        return;
    LV2_ATOM_SEQUENCE_FOREACH(out, event)
    {
        if (event->body.type != ids.map(LV2_ATOM__Object))
            continue;
        const LV2_Atom_Object* object = reinterpret_cast<const LV2_Atom_Object*>(&event->body);
        const LV2_Atom* property = nullptr;
        const LV2_Atom* value = nullptr;
        lv2_atom_object_get(object, ids.map(LV2_PATCH__property), &property, ids.map(LV2_PATCH__value), &value, 0);
        if (object->body.otype == ids.map(LV2_PATCH__Set) && property != nullptr && value != nullptr &&
            property->type == ids.map(LV2_ATOM__URID) &&
            reinterpret_cast<const LV2_Atom_URID*>(property)->body == ids.map(kProgramNameUri) &&
            value->type == ids.map(LV2_ATOM__String))
            lastNotifiedName = static_cast<const char*>(LV2_ATOM_BODY_CONST(value));
    }
}

const LV2_Atom* programNameMessage(UridMap& urids, unsigned char* buffer, uint32_t size, const char* name)
{
    LV2_Atom_Forge forge;
    lv2_atom_forge_init(&forge, urids.mapFeatureData());
    lv2_atom_forge_set_buffer(&forge, buffer, size);
    LV2_Atom_Forge_Frame frame;
    const LV2_Atom* message = reinterpret_cast<const LV2_Atom*>(
        lv2_atom_forge_object(&forge, &frame, 0, urids.map(name != nullptr ? LV2_PATCH__Set : LV2_PATCH__Get)));
    lv2_atom_forge_key(&forge, urids.map(LV2_PATCH__property));
    lv2_atom_forge_urid(&forge, urids.map(kProgramNameUri));
    if (name != nullptr) {
        lv2_atom_forge_key(&forge, urids.map(LV2_PATCH__value));
        lv2_atom_forge_string(&forge, name, static_cast<uint32_t>(std::strlen(name)));
    }
    lv2_atom_forge_pop(&forge, &frame);
    return message;
}

void Instance::connectControl(uint32_t port, bool connected)
{
    lilv_instance_connect_port(lilv, port, connected ? &controls[port] : nullptr);
}

const LV2_State_Interface* Instance::state() const
{
    return static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(lilv, LV2_STATE__interface));
}

namespace {

int portOf(Instance& instance, const char* symbol)
{
    LilvNode* name = lilv_new_string(instance.world.world, symbol);
    const LilvPort* port = lilv_plugin_get_port_by_symbol(instance.world.plugin, name);
    lilv_node_free(name);
    return port != nullptr ? static_cast<int>(lilv_port_get_index(instance.world.plugin, port)) : -1;
}

} // namespace

void setPortValue(const char* symbol, void* instance, const void* value, uint32_t size, uint32_t type)
{
    Instance& target = *static_cast<Instance*>(instance);
    const int port = portOf(target, symbol);
    if (port >= 0 && size == sizeof(float) && type == target.world.urids.map(LV2_ATOM__Float))
        std::memcpy(&target.controls[port], value, sizeof(float));
}

const void* getPortValue(const char* symbol, void* instance, uint32_t* size, uint32_t* type)
{
    Instance& source = *static_cast<Instance*>(instance);
    const int port = portOf(source, symbol);
    if (port < 0)
        return nullptr;
    *size = sizeof(float);
    *type = source.world.urids.map(LV2_ATOM__Float);
    return &source.controls[port];
}

Stereo programMaterial()
{
    const std::vector<float> interleaved = render::DemoSignal::generate();
    Stereo sound;
    sound.left.resize(interleaved.size() / 2);
    sound.right.resize(interleaved.size() / 2);
    for (size_t i = 0; i < sound.left.size(); ++i) {
        sound.left[i] = interleaved[2 * i];
        sound.right[i] = interleaved[2 * i + 1];
    }
    return sound;
}

} // namespace lv2test
