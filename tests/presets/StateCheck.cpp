// Carries plug-in state between builds: "save PLUGIN FILE" sets known values and a program
// name and writes the chunk; "check PLUGIN FILE" restores the chunk into PLUGIN and verifies
// that every parameter and the program name are those the file holds, and that the plug-in
// hands back the same 56 bytes. Exit status 0 on success.
#include "PluginHost.h"
#include "StateFile.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> readAll(const std::string& path)
{
    std::vector<unsigned char> bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return bytes;
    unsigned char buffer[256];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    std::fclose(file);
    return bytes;
}

float valueAt(const std::vector<unsigned char>& bytes, size_t offset)
{
    uint32_t bits = 0;
    for (int b = 0; b < 4; ++b)
        bits |= static_cast<uint32_t>(bytes[offset + b]) << (8 * b);
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

int fail(const std::string& message)
{
    std::fprintf(stderr, "state check: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
        return fail("usage: orvanne-state-check save|check PLUGIN FILE");
    std::string mode = argv[1];
    std::string error;
    std::unique_ptr<vsthost::PluginHost> host = vsthost::PluginHost::load(argv[2], error);
    if (!host)
        return fail(error);

    if (mode == "save") {
        host->setParameter(1, 1.0f);
        host->setParameter(2, 0.8125f);
        host->setParameter(3, 0.3f);
        host->setParameter(4, 0.75f);
        char name[] = "Cross Build Check";
        host->dispatch(effSetProgramName, 0, 0, name);
        if (!state::saveState(host->effect(), argv[3], error))
            return fail(error);
        return 0;
    }
    if (mode != "check")
        return fail("unknown mode " + mode);

    std::vector<unsigned char> saved = readAll(argv[3]);
    if (saved.size() != 56)
        return fail("the state file does not hold 56 bytes");
    if (!state::loadState(host->effect(), argv[3], error))
        return fail(error);
    int failures = 0;
    for (int i = 0; i < 5; ++i) {
        float expected = valueAt(saved, 36 + 4 * static_cast<size_t>(i));
        float got = host->getParameter(i);
        if (std::memcmp(&expected, &got, 4) != 0) {
            std::fprintf(stderr, "parameter %d: %.9g, the file holds %.9g\n", i, got, expected);
            ++failures;
        }
    }
    std::string name(reinterpret_cast<const char*>(saved.data() + 4),
                     strnlen(reinterpret_cast<const char*>(saved.data() + 4), 32));
    if (host->programName() != name.substr(0, kVstMaxProgNameLen - 1)) {
        std::fprintf(stderr, "program name \"%s\", the file holds \"%s\"\n", host->programName().c_str(), name.c_str());
        ++failures;
    }
    void* data = nullptr;
    VstIntPtr size = host->dispatch(effGetChunk, 0, 0, &data);
    if (size != 56 || data == nullptr || std::memcmp(data, saved.data(), 56) != 0) {
        std::fprintf(stderr, "the chunk handed back differs from the file\n");
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}
