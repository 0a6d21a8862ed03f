#include "VstPeer.h"

#include "PluginHost.h"

namespace peers {

namespace {

class VstPeer : public PeerPlugin {
public:
    VstPeer(std::unique_ptr<vsthost::PluginHost> loaded, const std::string& label, int maxBlock)
        : PeerPlugin(label, maxBlock), host(std::move(loaded))
    {
    }
    ~VstPeer() override { host->stop(); }

    void run(int frames) override
    {
        float* in[2] = {inLeft.data(), inRight.data()};
        float* out[2] = {outLeft.data(), outRight.data()};
        host->processReplacing(in, out, frames);
    }

private:
    std::unique_ptr<vsthost::PluginHost> host;
};

} // namespace

PeerPointer loadVst(const std::string& path, double rate, int maxBlock, std::string& error)
{
    std::unique_ptr<vsthost::PluginHost> host = vsthost::PluginHost::load(path, error);
    if (!host)
        return nullptr;
    AEffect* effect = host->effect();
    if (effect->numInputs != 2 || effect->numOutputs != 2) {
        error = "is not a stereo plug-in";
        return nullptr;
    }
    std::string label = host->effectName();
    if (label.empty())
        label = host->productString();
    if (label.empty())
        label = path;
    host->start(static_cast<float>(rate), maxBlock);
    return PeerPointer(new VstPeer(std::move(host), label, maxBlock));
}

} // namespace peers
