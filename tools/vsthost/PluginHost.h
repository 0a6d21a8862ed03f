// A small headless VST 2.4 host: loads a plug-in binary by path exactly as a host does
// (dlopen or LoadLibrary, then the entry point), answers the host callback and records
// what the plug-in reports back (automation, display updates, edit brackets).
#pragma once

#include "VstInterface.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
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
    // audioMasterBeginEdit, audioMasterAutomate and audioMasterEndEdit in the order they came,
    // each with its parameter index.
    std::vector<std::pair<VstInt32, VstInt32>> editSequence;
    int updateDisplayCount = 0;
    int idleCount = 0;
    int getTimeCount = 0;
    VstTimeInfo timeInfo = {};
    // Host state the callback answers from; samplePos advances with every processed frame.
    VstInt32 blockSize = 1024;
    int ioChangedCount = 0;
    int sizeWindowCount = 0;
    // Run when the plug-in asks for the host's idle (audioMasterIdle); a test host closes
    // the editor or the plug-in from here, as real hosts do from their idle.
    std::function<void()> onIdle;
};

class PluginHost {
public:
    // Loads the binary and calls its entry point (VSTPluginMain, then main). On failure
    // answers null and sets error to a one-line reason.
    static std::unique_ptr<PluginHost> load(const std::string& path, std::string& error, VstIntPtr hostVersion = 2400);
    ~PluginHost(); // effClose, then unloads the binary

    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    AEffect* effect() const { return aeffect; }
    HostRecord& record() { return hostRecord; }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f);

    // Conveniences over dispatch and the record's entries.
    int numParams() const { return closed ? 0 : aeffect->numParams; }
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

    // effOpen, then effSetSampleRate, effSetBlockSize and effMainsChanged(1). effOpen is sent
    // only once per instance (here or through open() or dispatch).
    void start(float sampleRate, VstInt32 blockSize);
    // effMainsChanged(0).
    void stop();
    void processReplacing(float** inputs, float** outputs, VstInt32 frames);

    // Additions.
    void open(); // effOpen, once
    bool isOpen() const { return opened; }
    bool isRunning() const { return running; }
    bool isClosed() const { return closed; }
    std::string productString();
    VstInt32 latency() const { return closed ? 0 : aeffect->initialDelay; }
    float sampleRate() const { return static_cast<float>(hostRecord.timeInfo.sampleRate); }
    // Stereo in, stereo out, whatever the plug-in's channel counts: inputs beyond the
    // second repeat the right channel (a single input gets the left one), a single output
    // goes to both sides, outputs beyond the second are discarded. Runs in pieces of at most
    // the block size given to start(); allocates nothing.
    void processStereo(const float* inLeft, const float* inRight, float* outLeft, float* outRight, VstInt32 frames);
    // effGetChunk: a copy of the plug-in's state (empty when it gives none).
    std::vector<unsigned char> getChunk(bool preset = false);
    // effSetChunk: the plug-in's answer.
    VstIntPtr setChunk(const void* data, size_t size, bool preset = false);

private:
    PluginHost() = default;
    static VstIntPtr VSTCALLBACK hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                              void* ptr, float opt);
    VstIntPtr answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
    std::string text(VstInt32 opcode, VstInt32 index = 0);
    void reserveScratch(VstInt32 frames);
    void unload();

    void* module = nullptr;
    AEffect* aeffect = nullptr;
    HostRecord hostRecord;
    bool opened = false;
    bool running = false;
    bool closed = false;
    // Scratch channels for processStereo, sized by start().
    std::vector<std::vector<float>> scratchIn, scratchOut;
    std::vector<float*> inPointers, outPointers;
    VstInt32 scratchFrames = 0;
};

} // namespace vsthost
