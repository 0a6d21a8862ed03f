// A small headless VST 2.4 host: loads a plug-in binary by path exactly as a host does
// (dlopen or LoadLibrary, then the entry point), answers the host callback and records
// what the plug-in reports back (automation, display updates, edit brackets).
#pragma once

#include "VstInterface.h"

#include <memory>
#include <string>
#include <vector>

namespace vsthost {

struct AutomationEvent {
    VstInt32 index;
    float value;
};

struct EditEvent {
    bool begin; // true for audioMasterBeginEdit, false for audioMasterEndEdit
    VstInt32 index;
};

// What the host answers and what it saw; one per loaded instance.
struct HostRecord {
    VstIntPtr hostVersion = 2400; // answer to audioMasterVersion
    std::vector<AutomationEvent> automation;
    std::vector<EditEvent> edits;
    int updateDisplayCount = 0;
    int idleCount = 0;
    int getTimeCount = 0;
    VstTimeInfo timeInfo = {};
};

class PluginHost {
public:
    // Loads the binary and calls its entry point (VSTPluginMain, then main). On failure
    // answers null and sets error to a one-line reason.
    static std::unique_ptr<PluginHost> load(const std::string& path, std::string& error,
                                            VstIntPtr hostVersion = 2400);
    ~PluginHost(); // effClose, then unloads the binary

    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    AEffect* effect() const { return aeffect; }
    HostRecord& record() { return hostRecord; }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);

    // Conveniences over dispatch and the record's entries.
    int numParams() const { return aeffect->numParams; }
    float getParameter(VstInt32 index);
    void setParameter(VstInt32 index, float value);
    std::string parameterName(VstInt32 index);
    std::string parameterLabel(VstInt32 index);
    std::string parameterDisplay(VstInt32 index);
    std::string effectName();
    std::string vendorString();
    std::string programName();
    VstIntPtr canDo(const char* text);
    // Finds a parameter by the name the plug-in reports; -1 when there is none.
    int findParameter(const std::string& name);

    // effSetSampleRate, effSetBlockSize, then effMainsChanged(1).
    void start(float sampleRate, VstInt32 blockSize);
    // effMainsChanged(0).
    void stop();
    void processReplacing(float** inputs, float** outputs, VstInt32 frames);

private:
    PluginHost() = default;

    void* module = nullptr;
    AEffect* aeffect = nullptr;
    HostRecord hostRecord;
};

} // namespace vsthost
