#include "PluginHost.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#endif

namespace vsthost {

namespace {

// The instance whose entry point is running on this thread. A plug-in calls the host
// during its construction, before the entry point has answered its AEffect record; those
// calls belong to the instance being loaded.
thread_local PluginHost* loadingHost = nullptr;

constexpr VstInt32 kMaxChannels = 256;
constexpr VstIntPtr kFallbackVersion = 2400;

[[maybe_unused]] std::string oneLine(std::string text)
{
    std::replace(text.begin(), text.end(), '\n', ' ');
    std::replace(text.begin(), text.end(), '\r', ' ');
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

void copyHostText(void* ptr, const char* text, size_t capacity)
{
    if (ptr == nullptr || capacity == 0)
        return;
    char* out = static_cast<char*>(ptr);
    size_t n = std::min(std::strlen(text), capacity - 1);
    std::memcpy(out, text, n);
    out[n] = '\0';
}

std::string trimmedLower(const std::string& text)
{
    size_t begin = text.find_first_not_of(" \t");
    size_t end = text.find_last_not_of(" \t");
    std::string out = begin == std::string::npos ? std::string() : text.substr(begin, end - begin + 1);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

#if defined(_WIN32)
bool fileExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void* openModule(const std::string& path, std::string& error)
{
    UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE handle = LoadLibraryA(path.c_str());
    DWORD code = GetLastError();
    SetErrorMode(previous);
    if (handle == nullptr)
        error = path + ": cannot load the library (Windows error " + std::to_string(code) + ")";
    return reinterpret_cast<void*>(handle);
}

void* findSymbol(void* module, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void closeModule(void* module)
{
    FreeLibrary(static_cast<HMODULE>(module));
}
#else
bool fileExists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

void* openModule(const std::string& path, std::string& error)
{
    // A name without a slash would be searched on the library path, not taken as a file.
    std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        error = oneLine(path + ": cannot load the library (" + (reason != nullptr ? reason : "unknown reason") + ")");
    }
    return handle;
}

// The symbol, if the module itself defines it (never one of the program's own, such as
// the test program's `main`).
void* findSymbol(void* module, const char* name)
{
    void* symbol = dlsym(module, name);
    if (symbol == nullptr)
        return nullptr;
    struct link_map* moduleMap = nullptr;
    struct link_map* symbolMap = nullptr;
    Dl_info info;
    if (dlinfo(module, RTLD_DI_LINKMAP, &moduleMap) != 0 ||
        dladdr1(symbol, &info, reinterpret_cast<void**>(&symbolMap), RTLD_DL_LINKMAP) == 0 || moduleMap != symbolMap)
        return nullptr;
    return symbol;
}

void closeModule(void* module)
{
#if defined(__SANITIZE_ADDRESS__)
    // A leak report at exit needs the plug-in's symbols: a sanitized host keeps it mapped.
    (void)module;
#else
    dlclose(module);
#endif
}
#endif

} // namespace

std::unique_ptr<PluginHost> PluginHost::load(const std::string& path, std::string& error, VstIntPtr hostVersion)
{
    error.clear();
    if (path.empty()) {
        error = "no plug-in path given";
        return nullptr;
    }
    if (!fileExists(path)) {
        error = path + ": no such plug-in file";
        return nullptr;
    }

    std::unique_ptr<PluginHost> host(new PluginHost());
    host->hostRecord.hostVersion = hostVersion;
    VstTimeInfo& time = host->hostRecord.timeInfo;
    time.sampleRate = 44100.0;
    time.tempo = 120.0;
    time.timeSigNumerator = 4;
    time.timeSigDenominator = 4;

    host->module = openModule(path, error);
    if (host->module == nullptr)
        return nullptr;

    void* entry = findSymbol(host->module, "VSTPluginMain");
    if (entry == nullptr)
        entry = findSymbol(host->module, "main");
    if (entry == nullptr) {
        error = path + ": no VST 2.4 entry point (neither VSTPluginMain nor main)";
        return nullptr; // the destructor unloads the module
    }

    PluginHost* previous = loadingHost;
    loadingHost = host.get();
    AEffect* effect = reinterpret_cast<VstPluginEntryProc>(entry)(&PluginHost::hostCallback);
    loadingHost = previous;

    if (effect == nullptr) {
        error = path + ": entry point answered null";
        return nullptr;
    }
    if (effect->magic != kEffectMagic) {
        // Not a record this host understands: nothing may be called through it.
        error = path + ": not a VST 2.4 plug-in (bad magic number)";
        return nullptr;
    }
    host->aeffect = effect;
    effect->resvd1 = reinterpret_cast<VstIntPtr>(host.get());
    if (effect->dispatcher == nullptr || effect->numInputs < 0 || effect->numInputs > kMaxChannels ||
        effect->numOutputs < 0 || effect->numOutputs > kMaxChannels) {
        error = path + ": implausible effect record (no dispatcher or bad channel counts)";
        host->closed = true; // nothing more is sent to it
        return nullptr;
    }
    return host;
}

PluginHost::~PluginHost()
{
    if (aeffect != nullptr && !closed) {
        if (running)
            stop();
        dispatch(effClose);
    }
    unload();
}

void PluginHost::unload()
{
    if (module != nullptr)
        closeModule(module);
    module = nullptr;
}

VstIntPtr VSTCALLBACK PluginHost::hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                               void* ptr, float opt)
{
    PluginHost* host = nullptr;
    if (effect != nullptr && effect->resvd1 != 0)
        host = reinterpret_cast<PluginHost*>(effect->resvd1);
    else
        host = loadingHost;
    if (host == nullptr)
        return opcode == audioMasterVersion ? kFallbackVersion : 0;
    return host->answer(opcode, index, value, ptr, opt);
}

VstIntPtr PluginHost::answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    HostRecord& r = hostRecord;
    switch (opcode) {
    case audioMasterAutomate:
        r.automation.push_back({index, opt});
        r.editSequence.emplace_back(opcode, index);
        return 0;
    case audioMasterVersion:
        return r.hostVersion;
    case audioMasterCurrentId:
        return 0;
    case audioMasterIdle:
        ++r.idleCount;
        if (r.onIdle)
            r.onIdle();
        return 0;
    case audioMasterGetTime: {
        ++r.getTimeCount;
        VstTimeInfo& t = r.timeInfo;
        double seconds = t.sampleRate > 0.0 ? t.samplePos / t.sampleRate : 0.0;
        t.ppqPos = seconds * t.tempo / 60.0;
        t.barStartPos = std::floor(t.ppqPos / 4.0) * 4.0;
        t.nanoSeconds = seconds * 1e9;
        t.flags = kVstNanosValid | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid |
            (running ? kVstTransportPlaying : 0);
        return reinterpret_cast<VstIntPtr>(&t);
    }
    case audioMasterIOChanged:
        ++r.ioChangedCount;
        return 1;
    case audioMasterSizeWindow:
        ++r.sizeWindowCount;
        return 0;
    case audioMasterGetSampleRate:
        return static_cast<VstIntPtr>(r.timeInfo.sampleRate);
    case audioMasterGetBlockSize:
        return r.blockSize;
    case audioMasterGetVendorString:
        copyHostText(ptr, "vsthost", kVstMaxVendorStrLen);
        return ptr != nullptr ? 1 : 0;
    case audioMasterGetProductString:
        copyHostText(ptr, "vsthost", kVstMaxProductStrLen);
        return ptr != nullptr ? 1 : 0;
    case audioMasterGetVendorVersion:
        return 1;
    case audioMasterCanDo:
        return 0;
    case audioMasterUpdateDisplay:
        ++r.updateDisplayCount;
        return 1;
    case audioMasterBeginEdit:
        r.edits.push_back({true, index});
        r.editSequence.emplace_back(opcode, index);
        return 1;
    case audioMasterEndEdit:
        r.edits.push_back({false, index});
        r.editSequence.emplace_back(opcode, index);
        return 1;
    default:
        (void)value;
        return 0;
    }
}

VstIntPtr PluginHost::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    if (closed || aeffect == nullptr)
        return 0;
    switch (opcode) {
    case effOpen:
        opened = true;
        break;
    case effSetSampleRate:
        hostRecord.timeInfo.sampleRate = opt;
        break;
    case effSetBlockSize:
        hostRecord.blockSize = static_cast<VstInt32>(value);
        break;
    case effSetBlockSizeAndSampleRate:
        hostRecord.blockSize = static_cast<VstInt32>(value);
        hostRecord.timeInfo.sampleRate = opt;
        break;
    case effMainsChanged:
        running = value != 0;
        break;
    case effClose: {
        // The record is gone once the plug-in answers.
        VstIntPtr result = aeffect->dispatcher(aeffect, opcode, index, value, ptr, opt);
        closed = true;
        running = false;
        return result;
    }
    default:
        break;
    }
    return aeffect->dispatcher(aeffect, opcode, index, value, ptr, opt);
}

void PluginHost::open()
{
    if (!opened)
        dispatch(effOpen);
}

float PluginHost::getParameter(VstInt32 index)
{
    if (closed || aeffect->getParameter == nullptr)
        return 0.0f;
    return aeffect->getParameter(aeffect, index);
}

void PluginHost::setParameter(VstInt32 index, float value)
{
    if (closed || aeffect->setParameter == nullptr)
        return;
    aeffect->setParameter(aeffect, index, value);
}

std::string PluginHost::text(VstInt32 opcode, VstInt32 index)
{
    // Far larger than any VST text limit, so a plug-in that overruns a little harms nothing.
    char buffer[512] = {};
    dispatch(opcode, index, 0, buffer);
    buffer[sizeof(buffer) - 1] = '\0';
    return buffer;
}

std::string PluginHost::parameterName(VstInt32 index)
{
    return text(effGetParamName, index);
}

std::string PluginHost::parameterLabel(VstInt32 index)
{
    return text(effGetParamLabel, index);
}

std::string PluginHost::parameterDisplay(VstInt32 index)
{
    return text(effGetParamDisplay, index);
}

std::string PluginHost::effectName()
{
    return text(effGetEffectName);
}

std::string PluginHost::vendorString()
{
    return text(effGetVendorString);
}

std::string PluginHost::productString()
{
    return text(effGetProductString);
}

std::string PluginHost::programName()
{
    return text(effGetProgramName);
}

VstIntPtr PluginHost::canDo(const char* what)
{
    return dispatch(effCanDo, 0, 0, const_cast<char*>(what));
}

int PluginHost::findParameter(const std::string& name)
{
    int count = numParams();
    for (int i = 0; i < count; ++i)
        if (parameterName(i) == name)
            return i;
    std::string wanted = trimmedLower(name);
    for (int i = 0; i < count; ++i)
        if (trimmedLower(parameterName(i)) == wanted)
            return i;
    return -1;
}

void PluginHost::start(float rate, VstInt32 blockSize)
{
    open();
    dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    dispatch(effSetBlockSize, 0, blockSize);
    reserveScratch(blockSize);
    dispatch(effMainsChanged, 0, 1);
    dispatch(effStartProcess);
}

void PluginHost::stop()
{
    dispatch(effStopProcess);
    dispatch(effMainsChanged, 0, 0);
}

void PluginHost::processReplacing(float** inputs, float** outputs, VstInt32 frames)
{
    if (closed || frames <= 0)
        return;
    if (aeffect->processReplacing != nullptr) {
        aeffect->processReplacing(aeffect, inputs, outputs, frames);
    } else if (aeffect->process != nullptr) {
        // Only the accumulating call: accumulate onto silence.
        for (VstInt32 c = 0; c < aeffect->numOutputs; ++c)
            std::fill(outputs[c], outputs[c] + frames, 0.0f);
        aeffect->process(aeffect, inputs, outputs, frames);
    }
    hostRecord.timeInfo.samplePos += frames;
}

void PluginHost::reserveScratch(VstInt32 frames)
{
    if (closed || frames <= 0 || frames <= scratchFrames)
        return;
    size_t inputs = static_cast<size_t>(std::max<VstInt32>(aeffect->numInputs, 1));
    size_t outputs = static_cast<size_t>(std::max<VstInt32>(aeffect->numOutputs, 1));
    scratchIn.assign(inputs, std::vector<float>(static_cast<size_t>(frames), 0.0f));
    scratchOut.assign(outputs, std::vector<float>(static_cast<size_t>(frames), 0.0f));
    inPointers.resize(inputs);
    outPointers.resize(outputs);
    for (size_t c = 0; c < inputs; ++c)
        inPointers[c] = scratchIn[c].data();
    for (size_t c = 0; c < outputs; ++c)
        outPointers[c] = scratchOut[c].data();
    scratchFrames = frames;
}

void PluginHost::processStereo(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                               VstInt32 frames)
{
    if (closed || frames <= 0)
        return;
    if (scratchFrames == 0)
        reserveScratch(std::min(frames, std::max<VstInt32>(hostRecord.blockSize, 1)));
    VstInt32 numIn = aeffect->numInputs;
    VstInt32 numOut = aeffect->numOutputs;
    for (VstInt32 done = 0; done < frames;) {
        VstInt32 n = std::min(frames - done, scratchFrames);
        size_t bytes = static_cast<size_t>(n) * sizeof(float);
        // Copies first: the caller's buffers may be the same for input and output.
        for (VstInt32 c = 0; c < numIn; ++c)
            std::memcpy(inPointers[c], (c == 0 ? inLeft : inRight) + done, bytes);
        processReplacing(inPointers.data(), outPointers.data(), n);
        if (numOut == 0) {
            std::fill(outLeft + done, outLeft + done + n, 0.0f);
            std::fill(outRight + done, outRight + done + n, 0.0f);
        } else {
            std::memcpy(outLeft + done, outPointers[0], bytes);
            std::memcpy(outRight + done, outPointers[numOut > 1 ? 1 : 0], bytes);
        }
        done += n;
    }
}

std::vector<unsigned char> PluginHost::getChunk(bool preset)
{
    void* data = nullptr;
    VstIntPtr size = dispatch(effGetChunk, preset ? 1 : 0, 0, &data);
    if (data == nullptr || size <= 0)
        return {};
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    return std::vector<unsigned char>(bytes, bytes + size);
}

VstIntPtr PluginHost::setChunk(const void* data, size_t size, bool preset)
{
    // The plug-in takes a non-const pointer; hand it a copy so the caller's data stays intact.
    std::vector<unsigned char> copy(static_cast<const unsigned char*>(data),
                                    static_cast<const unsigned char*>(data) + size);
    return dispatch(effSetChunk, preset ? 1 : 0, static_cast<VstIntPtr>(size), copy.empty() ? nullptr : copy.data());
}

} // namespace vsthost
