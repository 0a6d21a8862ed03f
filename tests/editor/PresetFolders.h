// What the preset tests of every build share: base folders of the test's own in place of the
// program-files and the user's settings folders, and the effect's current program name.
#pragma once

#include "Platform.h"
#include "TarvelleVST.h"

#include <cstring>
#include <string>

namespace editor_test {

class TestFolders : public platform::FolderLocator {
public:
    bool programFiles(char* out, size_t size) override { return give(programFilesBase, out, size); }
    bool userData(char* out, size_t size) override { return give(userDataBase, out, size); }
    std::string programFilesBase, userDataBase;

private:
    static bool give(const std::string& base, char* out, size_t size)
    {
        if (base.empty() || base.size() >= size)
            return false;
        std::memcpy(out, base.c_str(), base.size() + 1);
        return true;
    }
};

inline std::string programName(CTarvelleVST& effect)
{
    char name[32] = {};
    effect.getCurrentPresetName(name);
    return name;
}

} // namespace editor_test
