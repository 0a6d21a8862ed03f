// Arbitrary bytes and declared sizes handed to effSetChunk. The first four input bytes choose
// the declared size (never more than the bytes that follow, as a host's buffer would be);
// the rest is the chunk, copied into a buffer of exactly that length.
#include "FuzzSupport.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CTarvelleVST& effect = fuzz::effect();
    if (size < 4)
        return 0;
    int32_t declared;
    std::memcpy(&declared, data, 4);
    std::vector<uint8_t> chunk(data + 4, data + size);
    VstIntPtr byteSize = declared;
    if (byteSize > static_cast<VstIntPtr>(chunk.size()))
        byteSize = static_cast<VstIntPtr>(chunk.size()) - (declared & 1); // exact or one short
    VstIntPtr answer = effect.dispatcher(effSetChunk, declared & 1, byteSize, chunk.empty() ? nullptr : chunk.data(),
                                         0.0f);
    if (answer != 0 && byteSize != 56)
        std::abort();
    fuzz::checkState(effect);
    effect.nextPreset();
    effect.previousPreset();
    return 0;
}
