// Preset files where the plug-in looks for them: folders of the preset root under a data
// folder (the test's XDG_DATA_HOME), made as needed.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace test_support {

inline std::string presetRoot(const std::string& dataHome)
{
    return dataHome + "/Tarvelle/Plug-In Settings/Orvanne/";
}

// Writes bytes as folder/name.prg; its path, or an empty one when it could not be written.
inline std::string writePresetFile(const std::string& dataHome, const std::string& folder, const std::string& name,
                                   const std::vector<unsigned char>& bytes)
{
    const std::string directory = presetRoot(dataHome) + folder;
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    const std::string path = directory + "/" + name + ".prg";
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return !error && out.good() && !bytes.empty() ? path : std::string();
}

} // namespace test_support
