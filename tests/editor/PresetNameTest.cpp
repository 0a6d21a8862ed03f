// Which names a preset is saved under, and which are refused with "Preset Not Saved" before
// anything is written: one table for every build (the Windows builds run it under Wine), so
// a preset saved on one system lists on the other.
#include "PresetName.h"
#include "CVSTEditor.h"
#include "EditorDialogs.h"
#include "Platform.h"
#include "PluginFactory.h"
#include "PresetFolders.h"
#include "RecordingHost.h"
#include "TempTree.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

class Messages : public editor::DialogPresenter {
public:
    bool askQuestion(const char*, const char*) override { return false; }
    void showInformation(const char* caption, const char* text) override
    {
        log.push_back(std::string(caption) + ": " + text);
    }
    bool askName(void*, char*, size_t) override { return false; }
    void openPage(const char*) override {}
    void showError(const char* caption, const char* text) override
    {
        log.push_back(std::string(caption) + ": " + text);
    }
    std::vector<std::string> log;
};

struct NameCase {
    const char* name;
    // Null: saved; otherwise the reason the message gives.
    const char* refusal;
};

const char* const kCharacters = "a name cannot hold any of \\ / : * ? \" < > |";
const char* const kControl = "a name cannot hold control characters";
const char* const kEnding = "a name cannot end in a dot or a space";
const char* const kDevice = "Windows keeps that name for a device";

const NameCase kNames[] = {
    {"Gentle", nullptr},
    {"Rock & Roll (1983) #2", nullptr},
    {"a+b=c;d,e[f]{g}~'!@$%^&()", nullptr},
    {" Leading space", nullptr},
    {"Dotted.Name", nullptr},
    {"CONSOLE", nullptr},
    {"COM10", nullptr},
    {"LPT0", nullptr},
    {"Nully", nullptr},
    {"COM", nullptr},
    {"Rock/Pop", kCharacters},
    {"Back\\Slash", kCharacters},
    {"Bad:Stream", kCharacters},
    {"Star*", kCharacters},
    {"Why?", kCharacters},
    {"Say \"Hi\"", kCharacters},
    {"<Angle>", kCharacters},
    {"Pipe|Line", kCharacters},
    {"../Escaped", kCharacters},
    {"Tab\tName", kControl},
    {"\x01Start", kControl},
    {"Del\x7f", kControl},
    {"Ends.", kEnding},
    {"Ends ", kEnding},
    {".", kEnding},
    {"..", kEnding},
    {"CON", kDevice},
    {"con", kDevice},
    {"Prn", kDevice},
    {"AUX", kDevice},
    {"NUL.prg", kDevice},
    {"Con.txt", kDevice},
    {"AUX .x", kDevice},
    {"COM1", kDevice},
    {"com9", kDevice},
    {"LPT1", kDevice},
    {"lpt9.bank", kDevice},
};

class PresetNameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CVSTEditor::forgetFallbackNotice();
        effect = static_cast<CTarvelleVST*>(createEffectInstance(test_support::recordingHostCallback));
        ASSERT_NE(effect, nullptr);
        editor = static_cast<CVSTEditor*>(effect->getEditor());
        ASSERT_NE(editor, nullptr);
    }
    void TearDown() override { delete effect; }
    std::string programName() { return editor_test::programName(*effect); }
    // Every file and folder under both base folders, as paths relative to the tree.
    std::vector<std::string> written() const
    {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(tree / ""))
            found.push_back(std::filesystem::relative(entry.path(), tree / "").generic_string());
        return found;
    }

    TempTree tree;
    Messages messages;
    editor_test::InstalledFolders installed{tree / "", &messages};
    editor_test::TestFolders& folders = installed.folders;
    CTarvelleVST* effect = nullptr;
    CVSTEditor* editor = nullptr;
};

} // namespace

TEST_F(PresetNameTest, NamesAreSavedOrRefusedBeforeAnythingIsWritten)
{
    // The refused names first, while no preset folder exists yet.
    const std::vector<std::string> bare = written();
    std::vector<NameCase> cases;
    for (bool saved : {false, true}) {
        for (const NameCase& c : kNames) {
            if ((c.refusal == nullptr) == saved)
                cases.push_back(c);
        }
    }
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.name);
        messages.log.clear();
        effect->setCurrentPresetName("Factory Setting");
        // The refusal comes from the one check every build makes, also straight from the effect.
        const char* refusal = platform::presetNameRefusal(c.name);
        EXPECT_STREQ(refusal != nullptr ? refusal : "(saved)", c.refusal != nullptr ? c.refusal : "(saved)");
        editor->buildPresetMenu(true, c.name);
        if (c.refusal == nullptr) {
            EXPECT_EQ(messages.log, std::vector<std::string>());
            const std::filesystem::path file = std::filesystem::path(folders.programFilesBase) / "Tarvelle" /
                "Plug-In Settings" / "Orvanne" / "00-User Presets" / (std::string(c.name) + ".prg");
            EXPECT_EQ(std::filesystem::exists(file) ? std::filesystem::file_size(file) : 0u, 56u);
            EXPECT_EQ(programName(), c.name);
            std::filesystem::remove(file);
        } else {
            ASSERT_EQ(messages.log.size(), 1u);
            EXPECT_EQ(messages.log[0],
                      std::string("Preset Not Saved: The preset could not be saved as \"") + c.name +
                          ".prg\": " + c.refusal + ".");
            EXPECT_EQ(programName(), "Factory Setting");
            EXPECT_EQ(written(), bare) << "nothing, not even a folder, is made for a refused name";
            // The effect's own save refuses the same names (a separator already ends the name there).
            if (std::strpbrk(c.name, "/\\") == nullptr) {
                char reason[128] = {};
                const std::string path = folders.programFilesBase + platform::kPathSeparator + c.name;
                EXPECT_FALSE(effect->savePresetFile(path.c_str(), reason, sizeof(reason)));
                EXPECT_STREQ(reason, c.refusal);
            }
        }
    }
}
