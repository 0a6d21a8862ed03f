#include "RecordingHost.h"

namespace test_support {

void RecordingHost::reset()
{
    calls.clear();
    versionAnswer = 2400;
    otherAnswer = 0;
    answers.clear();
    canDo.clear();
    timeInfo = {};
    onCall = nullptr;
}

int RecordingHost::count(VstInt32 opcode) const
{
    int n = 0;
    for (const HostCall& call : calls)
        n += call.opcode == opcode ? 1 : 0;
    return n;
}

VstInt32 RecordingHost::lastIndex(std::initializer_list<VstInt32> opcodes) const
{
    for (auto call = calls.rbegin(); call != calls.rend(); ++call)
        for (VstInt32 opcode : opcodes)
            if (call->opcode == opcode)
                return call->index;
    return -1;
}

std::vector<HostCall> RecordingHost::callsOf(VstInt32 opcode) const
{
    std::vector<HostCall> found;
    for (const HostCall& call : calls)
        if (call.opcode == opcode)
            found.push_back(call);
    return found;
}

RecordingHost& recordingHost()
{
    static RecordingHost host;
    return host;
}

VstIntPtr VSTCALLBACK recordingHostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                            void* ptr, float opt)
{
    RecordingHost& host = recordingHost();
    host.calls.push_back({opcode, index, value, opt});
    if (host.onCall)
        host.onCall(effect, opcode, index);
    switch (opcode) {
    case audioMasterVersion:
        return host.versionAnswer;
    case audioMasterGetTime:
        return reinterpret_cast<VstIntPtr>(&host.timeInfo);
    case audioMasterCanDo:
        if (ptr != nullptr)
            for (const std::string& known : host.canDo)
                if (known == static_cast<const char*>(ptr))
                    return 1;
        break;
    default:
        break;
    }
    auto answer = host.answers.find(opcode);
    return answer != host.answers.end() ? answer->second : host.otherAnswer;
}

} // namespace test_support
