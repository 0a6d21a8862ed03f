// The fake host of the in-process tests: it records every call the effect makes, answers the
// version query with 2400 and everything else with 0, and can be told to answer otherwise
// (per opcode, and which canDo strings it knows) or to act on a call (as a host that reenters
// the effect would).
#pragma once

#include "VstInterface.h"

#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace test_support {

struct HostCall {
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    float opt;
};

// One per process; each fixture resets it.
struct RecordingHost {
    std::vector<HostCall> calls;
    VstIntPtr versionAnswer = 2400;
    VstIntPtr otherAnswer = 0;
    std::map<VstInt32, VstIntPtr> answers; // per opcode, in place of otherAnswer
    std::vector<std::string> canDo;        // audioMasterCanDo answers 1 for these
    VstTimeInfo timeInfo = {};
    // Runs on every call after it is recorded, before the answer is given.
    std::function<void(AEffect* effect, VstInt32 opcode, VstInt32 index)> onCall;

    void reset();
    int count(VstInt32 opcode) const;
    // The index of the last call of any of the opcodes; -1 when there was none.
    VstInt32 lastIndex(std::initializer_list<VstInt32> opcodes) const;
    std::vector<HostCall> callsOf(VstInt32 opcode) const;
};

RecordingHost& recordingHost();

// Records into recordingHost(); audioMasterGetTime answers its timeInfo.
VstIntPtr VSTCALLBACK recordingHostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                            void* ptr, float opt);

} // namespace test_support
