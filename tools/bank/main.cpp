// orvanne-factory-bank: writes the factory bank (FactoryBank.cpp) as ".prg" files, saved by the
// effect itself, and the LV2 bundle's presets.ttl and manifest.ttl with the same presets.
//   orvanne-factory-bank PRG_ROOT PRESETS_BASE PRESETS_OUT MANIFEST_BASE MANIFEST_OUT
//   orvanne-factory-bank --table   (folder, name and purpose of each preset, tab-separated)
// PRG_ROOT is emptied first and gets one folder per task; the *_BASE files are the configured
// templates (the factory setting), to which the bank's presets are appended.
#include "FactoryBank.h"
#include "PluginFactory.h"
#include "PresetRecord.h"
#include "TarvelleVST.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

namespace fs = std::filesystem;

namespace {

VstIntPtr silentHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float)
{
    return 0;
}

// Parameter indices in the record, with the table's value for each.
struct Setting {
    VstInt32 index;
    float plain;
};

std::string base64(const unsigned char* data, size_t size)
{
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < size; i += 3) {
        const unsigned long chunk = (static_cast<unsigned long>(data[i]) << 16) |
            (i + 1 < size ? static_cast<unsigned long>(data[i + 1]) << 8 : 0) |
            (i + 2 < size ? static_cast<unsigned long>(data[i + 2]) : 0);
        out += kDigits[(chunk >> 18) & 63];
        out += kDigits[(chunk >> 12) & 63];
        out += i + 1 < size ? kDigits[(chunk >> 6) & 63] : '=';
        out += i + 2 < size ? kDigits[chunk & 63] : '=';
    }
    return out;
}

// A URI fragment from a folder or preset name: lower case letters and digits joined by '-'.
std::string slug(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c)))
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        else if (!out.empty() && out.back() != '-')
            out += '-';
    }
    while (!out.empty() && out.back() == '-')
        out.pop_back();
    return out;
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const fs::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out.flush())
        throw std::runtime_error("cannot write " + path.string());
}

std::string number(float value)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.9g", static_cast<double>(value));
    std::string out = text;
    if (out.find_first_of(".e") == std::string::npos)
        out += ".0";
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--table") == 0) {
        for (size_t p = 0; p < bank::kFactoryBankSize; ++p)
            std::printf("%s\t%s\t%s\n", bank::kFactoryBank[p].folder, bank::kFactoryBank[p].name,
                        bank::kFactoryBank[p].purpose);
        return 0;
    }
    if (argc != 6) {
        std::fprintf(stderr,
                     "usage: orvanne-factory-bank PRG_ROOT PRESETS_BASE PRESETS_OUT MANIFEST_BASE MANIFEST_OUT\n"
                     "       orvanne-factory-bank --table\n");
        return 2;
    }
    try {
        const fs::path root = argv[1];
        fs::remove_all(root);
        std::string presets = readFile(argv[2]);
        std::string manifest = readFile(argv[4]);
        std::unique_ptr<CTarvelleVST> effect(static_cast<CTarvelleVST*>(createEffectInstance(silentHost)));
        if (!effect)
            throw std::runtime_error("the effect could not be created");

        for (size_t p = 0; p < bank::kFactoryBankSize; ++p) {
            const bank::FactoryPreset& preset = bank::kFactoryBank[p];
            if (std::string(preset.name).size() >= static_cast<size_t>(kPresetNameSize))
                throw std::runtime_error(std::string("preset name too long: ") + preset.name);
            const Setting settings[] = {{kParamInternalUse, preset.internalUse ? 1.0f : 0.0f},
                                        {kParamPower, preset.power ? 1.0f : 0.0f},
                                        {kParamInputThres, preset.inputThresDb},
                                        {kParamOutCeiling, preset.outCeilingDb},
                                        {kParamRecovery, static_cast<float>(preset.recovery)}};
            for (const Setting& setting : settings) {
                if (setting.plain < effect->getParameterMin(setting.index) ||
                    setting.plain > effect->getParameterMax(setting.index))
                    throw std::runtime_error(std::string("setting out of range in ") + preset.name);
                effect->setParameter(setting.index, effect->normalizeValue(setting.index, setting.plain));
            }
            const fs::path folder = root / preset.folder;
            fs::create_directories(folder);
            char reason[160] = "";
            if (!effect->savePresetFile((folder / preset.name).string().c_str(), reason, sizeof(reason)))
                throw std::runtime_error(std::string("cannot save ") + preset.name + ": " + reason);

            // The LV2 preset: the ports' values, and the record itself as the state, which gives
            // the plug-in the program name.
            const std::string bytes = readFile(folder / (std::string(preset.name) + ".prg"));
            if (bytes.size() != sizeof(PresetRecord))
                throw std::runtime_error(std::string("unexpected file size for ") + preset.name);
            // The table's own values: the plug-in turns them into the record's as the VST host's
            // normalised ones, and a detour through the record would only add rounding.
            auto port = [&](const char* symbol, VstInt32 index) {
                float plain = 0.0f;
                for (const Setting& setting : settings)
                    if (setting.index == index)
                        plain = setting.plain;
                return std::string("        lv2:symbol \"") + symbol + "\" ;\n        pset:value " + number(plain) +
                    "\n";
            };
            const std::string uri = "urn:tarvelle:orvanne#preset-" + slug(preset.folder) + "-" + slug(preset.name);
            const std::string bankUri = "urn:tarvelle:orvanne#bank-" + slug(preset.folder);
            presets += "\n<" + uri + ">\n    a pset:Preset ;\n    lv2:appliesTo <urn:tarvelle:orvanne> ;\n" +
                "    rdfs:label \"" + preset.name + "\" ;\n    rdfs:comment \"" + preset.purpose + "\" ;\n" +
                "    pset:bank <" + bankUri + "> ;\n    lv2:port [\n" + port("input_thres", kParamInputThres) +
                "    ] , [\n" + port("out_ceiling", kParamOutCeiling) + "    ] , [\n" +
                port("recovery", kParamRecovery) + "    ] , [\n" + port("power", kParamPower) + "    ] ;\n" +
                "    state:state [\n        <urn:tarvelle:orvanne#chunk> \"" +
                base64(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()) +
                "\"^^xsd:base64Binary\n    ] .\n";
            if (p == 0 || std::string(bank::kFactoryBank[p - 1].folder) != preset.folder)
                presets += "\n<" + bankUri + ">\n    a pset:Bank ;\n    rdfs:label \"" + preset.folder + "\" .\n";
            manifest += "\n<" + uri + ">\n    a pset:Preset ;\n    lv2:appliesTo <urn:tarvelle:orvanne> ;\n" +
                "    rdfs:seeAlso <presets.ttl> .\n";
        }
        writeFile(argv[3], presets);
        writeFile(argv[5], manifest);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orvanne-factory-bank: %s\n", e.what());
        return 1;
    }
    return 0;
}
