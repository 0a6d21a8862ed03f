// What the preset tests of every build share: base folders of the test's own in place of the
// program-files and the user's settings folders, and the effect's current program name.
#pragma once

#include "EditorDialogs.h"
#include "Platform.h"
#include "RecordingHost.h"
#include "TarvelleVST.h"

#include <cstring>
#include <filesystem>
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

// The test's own base folders, "programs" and "roaming" under root, in place of the system's,
// and dialogs answering for the system's message boxes, for the object's life; the recording
// host starts afresh.
class InstalledFolders {
public:
    InstalledFolders(const std::filesystem::path& root, editor::DialogPresenter* dialogs)
    {
        test_support::recordingHost().reset();
        folders.programFilesBase = (root / "programs").string();
        folders.userDataBase = (root / "roaming").string();
        std::filesystem::create_directories(folders.programFilesBase);
        std::filesystem::create_directories(folders.userDataBase);
        savedLocator = platform::setFolderLocator(&folders);
        savedDialogs = editor::setDialogPresenter(dialogs);
    }
    ~InstalledFolders()
    {
        platform::setFolderLocator(savedLocator);
        editor::setDialogPresenter(savedDialogs);
    }
    InstalledFolders(const InstalledFolders&) = delete;
    InstalledFolders& operator=(const InstalledFolders&) = delete;

    TestFolders folders;

private:
    platform::FolderLocator* savedLocator = nullptr;
    editor::DialogPresenter* savedDialogs = nullptr;
};

inline std::string programName(CTarvelleVST& effect)
{
    char name[32] = {};
    effect.getCurrentPresetName(name);
    return name;
}

} // namespace editor_test
