// LV2 plug-ins in peer-bench, hosted through lilv.
#pragma once

#include "PeerPlugin.h"

#include <utility>

namespace peers {

class Lv2World;

// Control values by port symbol; every other control input keeps its default.
using ControlSettings = std::vector<std::pair<std::string, float>>;

// Instantiates and activates the plug-in with this URI for stereo blocks of up to maxBlock
// frames. Null (and `error` set) when it is not installed or does not start.
PeerPointer loadLv2(Lv2World& world, const std::string& label, const std::string& uri, double rate, int maxBlock,
                    const ControlSettings& settings, std::string& error);

// The lilv world (every installed bundle) and the URID map the plug-ins share.
class Lv2World {
public:
    Lv2World();
    ~Lv2World();
    Lv2World(const Lv2World&) = delete;
    Lv2World& operator=(const Lv2World&) = delete;

    struct Parts;
    Parts& parts() { return *impl; }

private:
    std::unique_ptr<Parts> impl;
};

} // namespace peers
