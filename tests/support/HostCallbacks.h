// Host callbacks shared by the test programs, tools and benchmarks that create the effect
// in-process.
#pragma once

#include "VstInterface.h"

namespace test_support {

// A host that answers only the version query (2400) and ignores everything else.
VstIntPtr VSTCALLBACK quietHost(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt);

} // namespace test_support
