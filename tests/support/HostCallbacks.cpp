#include "HostCallbacks.h"

namespace test_support {

VstIntPtr VSTCALLBACK quietHost(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    (void)effect, (void)index, (void)value, (void)ptr, (void)opt;
    return opcode == audioMasterVersion ? 2400 : 0;
}

} // namespace test_support
