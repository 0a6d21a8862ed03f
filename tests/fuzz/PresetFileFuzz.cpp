// Arbitrary file contents (and so arbitrary sizes) handed to loadPresetFile, then to the
// folder scan that the preset menu runs. The first input byte picks the table slot.
#include "FuzzSupport.h"
#include "TempTree.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

// Removed with its files when the fuzzer exits normally.
const std::string& folder()
{
    static TempTree tree;
    static const std::string path = [] {
        if (tree.path().empty())
            std::abort();
        return tree.path(true);
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CTarvelleVST& effect = fuzz::effect();
    if (size < 1)
        return 0;
    std::string file = folder() + "input.prg";
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (out == nullptr)
        return 0;
    if (size > 1)
        std::fwrite(data + 1, 1, size - 1, out);
    std::fclose(out);

    VstInt32 slot = 2 + data[0] % (kPresetTableSize - 2);
    bool loaded = effect.loadPresetFile(slot, file.c_str());
    if (loaded && size - 1 != 56)
        std::abort();
    const PresetRecord& record = effect.getPresetRecord(slot);
    if (std::memchr(record.presetName, 0, sizeof(record.presetName)) == nullptr)
        std::abort();
    if (loaded) {
        effect.setPresetCount(slot + 1);
        effect.recallPreset(slot);
        fuzz::checkState(effect);
    }
    effect.addPresetsToMenu(folder().c_str(), 2, 0);
    return 0;
}
