#include "StateFile.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace state {

namespace {

bool endsWith(const std::string& text, const char* suffix)
{
    size_t length = std::strlen(suffix);
    return text.size() >= length && text.compare(text.size() - length, length, suffix) == 0;
}

VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, 0.0f);
}

} // namespace

bool loadState(AEffect* effect, const std::string& path, std::string& error)
{
    if (effect == nullptr || effect->dispatcher == nullptr) {
        error = "no plug-in to load the state into";
        return false;
    }
    if ((effect->flags & effFlagsProgramChunks) == 0) {
        error = "the plug-in does not take state chunks";
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = "cannot open state file " + path;
        return false;
    }
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        size = std::ftell(file);
    if (size <= 0 || size > kMaxStateFileBytes || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        error = size == 0 ? "state file " + path + " is empty"
                          : "state file " + path + " cannot be read or is too large";
        return false;
    }
    std::vector<unsigned char> bytes(static_cast<size_t>(size));
    bool complete = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    std::fclose(file);
    if (!complete) {
        error = "cannot read state file " + path;
        return false;
    }
    VstInt32 isPreset = endsWith(path, ".prg") ? 1 : 0;
    if (dispatch(effect, effSetChunk, isPreset, static_cast<VstIntPtr>(bytes.size()), bytes.data()) == 0) {
        error = "the plug-in rejected the state in " + path;
        return false;
    }
    return true;
}

bool saveState(AEffect* effect, const std::string& path, std::string& error)
{
    if (effect == nullptr || effect->dispatcher == nullptr) {
        error = "no plug-in to save the state of";
        return false;
    }
    void* data = nullptr;
    VstIntPtr size = dispatch(effect, effGetChunk, 0, 0, &data);
    if (size <= 0 || data == nullptr) {
        error = "the plug-in gave no state chunk";
        return false;
    }
    // Copy at once: the plug-in's memory is only good until its next call.
    std::vector<unsigned char> bytes(static_cast<const unsigned char*>(data),
                                     static_cast<const unsigned char*>(data) + size);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = "cannot create state file " + path;
        return false;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0)
        written = false;
    if (!written) {
        std::remove(path.c_str());
        error = "cannot write state file " + path;
        return false;
    }
    return true;
}

} // namespace state
