// A small LV2 host on lilv for the tests: the world with the build tree's bundle on LV2_PATH,
// a URID map, and instances with their own port buffers.
#pragma once

#include "BitExact.h"
#include "Lv2UridMap.h"
#include "OrvannePorts.h"

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <memory>
#include <string>
#include <vector>

namespace lv2test {

using namespace orvanne_lv2;

using test_support::UridMap;

class World {
public:
    // Loads every bundle on LV2_PATH = the build tree's bundle folder; what lilv printed to
    // stderr meanwhile (its warnings and errors) is kept in loadMessages.
    World();
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    LilvWorld* world = nullptr;
    const LilvPlugin* plugin = nullptr; // urn:tarvelle:orvanne, null when not found
    std::string loadMessages;
    UridMap urids;

    // A node owned by the world object (freed with it).
    const LilvNode* uri(const char* text);
    const LilvNode* string(const char* text);

private:
    std::vector<LilvNode*> nodes;
};

class Instance {
public:
    // The instance gets urid:map unless `withMap` is false (as lv2apply, which offers none).
    Instance(World& world, double rate, bool withMap = true);
    ~Instance();
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    bool valid() const { return lilv != nullptr; }
    void activate();
    // Connects the audio ports to these buffers (null leaves a port unconnected) and runs.
    void run(const float* inL, const float* inR, float* outL, float* outR, uint32_t frames);
    // Connects or disconnects a control port (they start connected to `controls`).
    void connectControl(uint32_t port, bool connected);
    const LV2_State_Interface* state() const;

    // A message for the control port, delivered with the next run.
    void send(const LV2_Atom* message);
    // The program name in the plug-in's latest patch:Set on its notify port (since the instance
    // began), empty while it sent none.
    const std::string& notifiedName() const { return lastNotifiedName; }

    LilvInstance* lilv = nullptr;
    World& world;
    float controls[kPortCount] = {}; // control inputs start at their defaults

private:
    void readNotifications();

    // The atom ports' sequences.
    alignas(8) unsigned char messagesIn[1024];
    alignas(8) unsigned char messagesOut[1024];
    std::string lastNotifiedName;
};

// patch:Set of the program name to name, or patch:Get of it when name is null, forged into
// buffer (at least 128 bytes) as the UI sends them.
const LV2_Atom* programNameMessage(UridMap& urids, unsigned char* buffer, uint32_t size, const char* name);

// lilv_state's port-value callbacks over an Instance's control buffers (user data: the Instance).
void setPortValue(const char* symbol, void* instance, const void* value, uint32_t size, uint32_t type);
const void* getPortValue(const char* symbol, void* instance, uint32_t* size, uint32_t* type);

using test_support::firstDifference;

struct Stereo {
    std::vector<float> left, right;
    size_t frames() const { return left.size(); }
};

// The render tool's built-in demo (program material peaking 5 dB above full scale), split
// into its two channels.
Stereo programMaterial();

} // namespace lv2test
