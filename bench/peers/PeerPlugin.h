// One plug-in under test in peer-bench, whatever its interface: stereo buffers of the largest
// block that the bench copies its input into (as a host does) and reads the output from.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace peers {

class PeerPlugin {
public:
    explicit PeerPlugin(std::string label, int maxBlock)
        : name(std::move(label)), inLeft(maxBlock), inRight(maxBlock), outLeft(maxBlock), outRight(maxBlock)
    {
    }
    virtual ~PeerPlugin() = default;

    PeerPlugin(const PeerPlugin&) = delete;
    PeerPlugin& operator=(const PeerPlugin&) = delete;

    // Processes the first `frames` frames of the input buffers into the output buffers.
    virtual void run(int frames) = 0;

    const std::string name;
    std::vector<float> inLeft, inRight, outLeft, outRight;
};

// A plug-in that could not be loaded answers null and says why in `error`.
using PeerPointer = std::unique_ptr<PeerPlugin>;

} // namespace peers
