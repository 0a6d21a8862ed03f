// Instances created and closed over and over. Sanitizer-only coverage: natively it checks
// only that loading works and that a closed module is unloaded.
#include "StressSupport.h"

#include <dlfcn.h>

using stress::Programme;
using vsthost::PluginHost;

namespace {

// Every instance decodes its editor's pictures, which the sanitizers slow several times over:
// there the suite stays within its time with fewer cycles.
#if defined(ORVANNE_SANITIZED)
constexpr int kCycles = 400;
#else
constexpr int kCycles = 2000;
#endif

// Whether the module is mapped in this process.
bool moduleMapped()
{
    void* handle = dlopen(ORVANNE_PLUGIN_PATH, RTLD_NOW | RTLD_NOLOAD);
    if (handle != nullptr)
        dlclose(handle);
    return handle != nullptr;
}

// A host scanning, duplicating and removing plug-ins: each cycle loads the binary, runs a
// block (every twentieth with the editor opened and closed), and closes. A leak or a stale pointer shows up
// under the sanitizers; a slow growth shows as a failure to load late in the run.
TEST(InstanceStress, CreateCloseCycles)
{
    const Programme in(256, 7);
    std::vector<float> outL(in.frames()), outR(in.frames());
    // The first twentieth unloads the module with each instance and loads it again (its statics made
    // and undone every time); the rest keeps one loaded throughout, as a host keeps a plug-in it
    // uses, so those cycles meet a module that is already mapped.
    std::unique_ptr<PluginHost> resident;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        if (cycle == kCycles / 20) {
            resident = stress::loadPlugin();
            ASSERT_TRUE(resident);
        }
        std::unique_ptr<PluginHost> host = stress::loadPlugin();
        ASSERT_TRUE(host) << "cycle " << cycle;
        host->start(cycle % 3 == 0 ? 48000.0f : 44100.0f, 256);
        if (cycle % 20 == 0) {
            int parent = 0;
            host->dispatch(effEditOpen, 0, 0, &parent);
            host->setParameter(2, 0.7f);
            host->dispatch(effEditIdle);
            host->dispatch(effEditClose);
        }
        host->processStereo(in.left.data(), in.right.data(), outL.data(), outR.data(),
                            static_cast<VstInt32>(in.frames()));
        if (cycle % 2 == 0)
            host->stop(); // half the hosts close a running plug-in
        host.reset();
#if !defined(__SANITIZE_ADDRESS__)
        // (The sanitized host keeps modules mapped for its leak report.)
        if (!resident) {
            ASSERT_FALSE(moduleMapped()) << "cycle " << cycle << ": the module stayed loaded after its instance closed";
        }
#endif
    }
}

} // namespace
