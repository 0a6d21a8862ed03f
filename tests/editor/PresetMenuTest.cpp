// The preset, save and links menus: folders on disk, numbering, choices, the Save-As prompt.
#include "EditorTestSupport.h"
#include "PresetFolders.h"

#include "CFrame.h"
#include "Platform.h"
#include "PresetRoot.h"
#include "controls/CButtonMenu.h"
#include "controls/CStaticText.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

using namespace editor_test;

namespace {

std::vector<std::string> entries(COptionMenu* menu)
{
    std::vector<std::string> texts;
    char text[256];
    for (int32_t i = 0; i < menu->getNbEntries(); ++i) {
        menu->getEntry(i, text);
        texts.push_back(text);
    }
    return texts;
}

const float kValues[5] = {0.f, 1.f, 0.1f, 0.2f, 0.5f};

std::string fileBytes(const std::string& path)
{
    std::string bytes;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[256];
        for (size_t n; (n = std::fread(buffer, 1, sizeof(buffer), file)) > 0;)
            bytes.append(buffer, n);
        std::fclose(file);
    }
    return bytes;
}

const char* const kWarning = "question Warning: Are you sure you want to save/overwite the current preset to the "
                             "User Presets Folder?";

class PresetMenuTest : public EditorTest {
protected:
    // Chooses entry `path` of the pop-up opened by a click at where.
    void choose(CPoint where, std::initializer_list<const char*> path)
    {
        ScriptedMenuPresenter& menus = ScriptedMenuPresenter::instance();
        std::vector<const char*> texts(path);
        menus.chooser = [texts](const PopupMenu& menu, const PopupPlacement&) {
            const PopupMenu* level = &menu;
            int32_t id = -1;
            for (size_t i = 0; i < texts.size() && level != nullptr; ++i) {
                const PopupMenu* nextLevel = nullptr;
                for (const PopupMenuItem& item : level->items) {
                    if (item.text == texts[i]) {
                        id = item.id;
                        nextLevel = item.submenu.get();
                        break;
                    }
                }
                level = nextLevel;
            }
            return id;
        };
        leftClick(where);
        menus.chooser = nullptr;
    }
    void choosePreset(std::initializer_list<const char*> path) { choose(CPoint(450, 8), path); }
    void chooseSave(const char* entry) { choose(CPoint(330, 8), {entry}); }
    void chooseLink(const char* entry) { choose(CPoint(580, 8), {entry}); }
};

} // namespace

TEST_F(PresetMenuTest, FirstOpenCreatesTheFolderChainAndAnEmptyUserSubmenu)
{
    EXPECT_FALSE(fileExists(presetRoot()));
    openEditor();
    EXPECT_TRUE(fileExists(userFolder()));
    EXPECT_EQ(entries(editor->getPresetMenu()),
              (std::vector<std::string>{"Factory Setting", "-", "-M00-User Presets"}));
    ASSERT_NE(editor->getFolderMenu(0), nullptr);
    EXPECT_EQ(editor->getFolderMenu(0)->getNbEntries(), 0);
    EXPECT_EQ(editor->getFolderMenu(0)->getNbItemsPerColumn(), 32);
    EXPECT_EQ(editor->getFolderMenu(0)->getTag(), 5000);
    EXPECT_EQ(effect->getPresetCount(), 2);
    EXPECT_GE(host().count(audioMasterUpdateDisplay), 1);
}

TEST_F(PresetMenuTest, FoldersNumberTheTableAndABadFileShiftsNothing)
{
    // Two folders of three valid presets each, plus a file of each kind that fails to load.
    openEditor();
    const std::string second = presetRoot() + "Second Folder/";
    makeFolder(second);
    makeFolder(presetRoot() + ".hidden");
    makeFolder(presetRoot() + "ab"); // too short to be a preset folder
    for (const std::string& folder : {userFolder(), second}) {
        for (int i = 0; i < 3; ++i) {
            float values[5] = {0.f, 1.f, 0.1f * float(i + 1), folder == second ? 0.9f : 0.3f, 0.25f};
            std::string name = (folder == second ? "S" : "U") + std::to_string(i);
            writePreset(folder + name + ".prg", name.c_str(), values);
        }
        writePreset(folder + "Foreign.prg", "Foreign", kValues, 0x12345678);
        std::FILE* shortFile = std::fopen((folder + "Short.prg").c_str(), "wb");
        std::fputs("short", shortFile);
        std::fclose(shortFile);
    }
    editor->buildPresetMenu(false, "");
    ASSERT_EQ(editor->getPresetMenu()->getNbEntries(), 4);
    EXPECT_EQ(effect->getPresetCount(), 8);
    EXPECT_EQ(editor->getFolderFirstIndex(0), 2);
    EXPECT_EQ(editor->getFolderFirstIndex(1), 5);
    ASSERT_EQ(editor->getFolderMenu(1)->getNbEntries(), 3);
    EXPECT_EQ(editor->getFolderMenu(1)->getTag(), 5001);

    // The second entry of the second folder is table record 2 + 3 + 1.
    const char* secondFolderName = effect->getPresetFolderName(1);
    char label[256];
    editor->getFolderMenu(1)->getEntry(1, label);
    choosePreset({secondFolderName, label});
    EXPECT_EQ(effect->getCurrentPresetIndex(), 6);
    char name[32];
    effect->getCurrentPresetName(name);
    EXPECT_STREQ(name, label);
    editor->idle(); // the editor shows the new name in its next idle
    EXPECT_STREQ(editor->getPresetNameText()->getText(), label);

    // Back to the factory setting.
    choosePreset({"Factory Setting"});
    EXPECT_EQ(effect->getCurrentPresetIndex(), 0);
    EXPECT_FLOAT_EQ(effect->getParameter(kParamInputThres), 0.5f);
}

TEST_F(PresetMenuTest, TheHostsStateIsListedAsSavedAndRecallsRecordOne)
{
    PresetRecord record = effect->getPresetRecord(0);
    std::snprintf(record.presetName, sizeof(record.presetName), "Mix Bus");
    record.presetValues[kParamInputThres] = 0.8f;
    ASSERT_EQ(effect->setChunk(&record, sizeof(record)), 1);
    openEditor();
    EXPECT_EQ(entries(editor->getPresetMenu()),
              (std::vector<std::string>{"Factory Setting", "-", "Saved : Mix Bus", "-", "-M00-User Presets"}));
    choosePreset({"Factory Setting"});
    EXPECT_FLOAT_EQ(effect->getParameter(kParamInputThres), 0.5f);
    choosePreset({"Saved : Mix Bus"});
    EXPECT_EQ(effect->getCurrentPresetIndex(), 1);
    EXPECT_FLOAT_EQ(effect->getParameter(kParamInputThres), 0.8f);
    editor->idle();
    EXPECT_FLOAT_EQ(editor->getControl(2)->getValue(), 0.8f);
}

TEST_F(PresetMenuTest, RebuildsReleaseTheFormerSubmenus)
{
    openEditor();
    CButtonMenu* old = editor->getFolderMenu(0);
    old->retain();
    EXPECT_EQ(old->getNbReference(), 2);
    editor->buildPresetMenu(false, "");
    EXPECT_EQ(old->getNbReference(), 1); // only the test's own
    old->release();
    EXPECT_NE(editor->getFolderMenu(0), nullptr);
}

TEST_F(PresetMenuTest, EveryFolderSubmenuWorksUpTo127)
{
    openEditor();
    for (int k = 0; k < 130; ++k) {
        char folder[32];
        std::snprintf(folder, sizeof(folder), "F%03d", k);
        makeFolder(presetRoot() + folder);
        float values[5] = {0.f, 1.f, float(k) / 200.f, 0.5f, 0.f};
        writePreset(presetRoot() + folder + "/P" + std::to_string(k) + ".prg", folder, values);
    }
    editor->buildPresetMenu(false, "");
    EXPECT_EQ(editor->getPresetMenu()->getNbSubMenus(), 127);
    EXPECT_EQ(editor->getFolderMenu(127), nullptr);
    // A folder past the hundredth: its entry recalls its preset.
    CButtonMenu* late = editor->getFolderMenu(110);
    ASSERT_NE(late, nullptr);
    EXPECT_EQ(late->getTag(), 5110);
    late->setValue(0.f);
    editor->valueChanged(context, late);
    EXPECT_EQ(effect->getCurrentPresetIndex(), editor->getFolderFirstIndex(110));
    editor->idle();
    EXPECT_STREQ(editor->getPresetNameText()->getText(), effect->getPresetFolderName(110));
}

TEST_F(PresetMenuTest, SaveCurrentAsksTheWarningQuestion)
{
    openEditor();
    const std::string file = userFolder() + "Factory Setting.prg";
    dialogs.questionAnswers = {false};
    chooseSave("Save Current Preset");
    ASSERT_EQ(dialogs.log.size(), 1u);
    EXPECT_EQ(dialogs.log[0],
              "question Warning: Are you sure you want to save/overwite the current preset to the "
              "User Presets Folder?");
    EXPECT_FALSE(fileExists(file));

    dialogs.questionAnswers = {true};
    chooseSave("Save Current Preset");
    EXPECT_TRUE(fileExists(file));
    // The rebuild lists it at once.
    ASSERT_EQ(editor->getFolderMenu(0)->getNbEntries(), 1);
    char label[256];
    editor->getFolderMenu(0)->getEntry(0, label);
    EXPECT_STREQ(label, "Factory Setting");
    EXPECT_EQ(effect->getPresetCount(), 3);
}

TEST_F(PresetMenuTest, SaveAsTakesTheTypedNameCutTo31AndCancelSavesNothing)
{
    openEditor();
    effect->setCurrentPresetName("Untitled");
    dialogs.typedNames = {"Loud Master"};
    chooseSave("Save Current Preset"); // "Untitled" asks for a name instead
    EXPECT_EQ(dialogs.log, (std::vector<std::string>{"save as"}));
    EXPECT_TRUE(fileExists(userFolder() + "Loud Master.prg"));
    EXPECT_STREQ(editor->getPresetNameText()->getText(), "Loud Master");

    const std::string forty(40, 'n');
    dialogs.typedNames = {forty};
    chooseSave("Save New Preset As...");
    EXPECT_STREQ(editor->getTypedPresetName(), std::string(31, 'n').c_str());
    EXPECT_TRUE(fileExists(userFolder() + std::string(31, 'n') + ".prg"));

    // Cancel after a successful Save-As writes nothing.
    dialogs.typedNames = {"<cancel>"};
    const int before = effect->getPresetCount();
    chooseSave("Save New Preset As...");
    EXPECT_STREQ(editor->getTypedPresetName(), "");
    EXPECT_STREQ(editor::dialogName(), "");
    EXPECT_EQ(effect->getPresetCount(), before);

    // OK with an empty field: nothing either.
    dialogs.typedNames = {""};
    chooseSave("Save New Preset As...");
    EXPECT_EQ(effect->getPresetCount(), before);
}

TEST_F(PresetMenuTest, SaveAsOntoAnExistingPresetAsksFirstAndNoKeepsTheFile)
{
    openEditor();
    writePreset(userFolder() + "Gentle.prg", "Gentle", kValues);
    const std::string before = fileBytes(userFolder() + "Gentle.prg");
    ASSERT_EQ(before.size(), 56u);
    effect->setParameterAutomated(kParamInputThres, 0.9f);

    dialogs.typedNames = {"Gentle"};
    dialogs.questionAnswers = {false};
    chooseSave("Save New Preset As...");
    EXPECT_EQ(dialogs.log, (std::vector<std::string>{"save as", kWarning}));
    EXPECT_EQ(fileBytes(userFolder() + "Gentle.prg"), before);
    EXPECT_STREQ(editor->getTypedPresetName(), "Gentle");
    EXPECT_STREQ(editor::dialogName(), "Gentle");
    EXPECT_EQ(programName(*effect), "Factory Setting");

    dialogs.log.clear();
    dialogs.typedNames = {"Gentle"};
    dialogs.questionAnswers = {true};
    chooseSave("Save New Preset As...");
    EXPECT_EQ(dialogs.log, (std::vector<std::string>{"save as", kWarning}));
    const std::string after = fileBytes(userFolder() + "Gentle.prg");
    ASSERT_EQ(after.size(), 56u);
    PresetRecord saved;
    std::memcpy(&saved, after.data(), sizeof(saved));
    EXPECT_FLOAT_EQ(saved.presetValues[kParamInputThres], 0.9f);

    // A name that is no preset yet, and one only a folder has, ask nothing.
    makeFolder(userFolder() + "Folder.prg");
    for (const char* fresh : {"Brand New", "Folder"}) {
        dialogs.log.clear();
        dialogs.typedNames = {fresh};
        chooseSave("Save New Preset As...");
        EXPECT_EQ(dialogs.log, (std::vector<std::string>{"save as"})) << fresh;
    }
    EXPECT_TRUE(fileExists(userFolder() + "Brand New.prg"));
}

TEST_F(PresetMenuTest, ATypedNameWithAFolderInItWritesNoFileOutsideTheUserFolder)
{
    openEditor();
    dialogs.typedNames = {"../Escaped"};
    chooseSave("Save New Preset As...");
    EXPECT_FALSE(fileExists(presetRoot() + "Escaped.prg"));
    EXPECT_FALSE(fileExists(userFolder() + "../Escaped.prg"));
    // Not saved, and said so: the program keeps its name.
    EXPECT_EQ(programName(*effect), "Factory Setting");
}

TEST_F(PresetMenuTest, NamesOfUpTo31CharactersAreShownWholeAfterAChoiceAndARestore)
{
    openEditor();
    const char* const longName = "Drum Bus Glue Version 12";
    writePreset(userFolder() + longName + ".prg", longName, kValues);
    editor->buildPresetMenu(false, "");
    choosePreset({"00-User Presets", longName});
    editor->idle();
    EXPECT_STREQ(editor->getPresetNameText()->getText(), longName);

    // A state the host restores while the window is open shows its own name.
    PresetRecord record = effect->getPresetRecord(0);
    const std::string longest(31, 'r');
    std::snprintf(record.presetName, sizeof(record.presetName), "%s", longest.c_str());
    record.presetValues[kParamInputThres] = 0.8f;
    ASSERT_EQ(effect->setChunk(&record, sizeof(record)), 1);
    editor->idle(); // what the effect reported reaches the views in the next idle
    EXPECT_STREQ(editor->getPresetNameText()->getText(), longest.c_str());
    EXPECT_FLOAT_EQ(editor->getControl(kParamInputThres)->getValue(), 0.8f);
}

TEST_F(PresetMenuTest, AHostRestoreRenewsTheSavedEntryAtTheNextIdle)
{
    openEditor();
    EXPECT_EQ(entries(editor->getPresetMenu()),
              (std::vector<std::string>{"Factory Setting", "-", "-M00-User Presets"}));
    struct Restore {
        const char* name;
        float inputThres;
        std::vector<std::string> menu;
    };
    const Restore restores[] = {
        {"Verse", 0.8f, {"Factory Setting", "-", "Saved : Verse", "-", "-M00-User Presets"}},
        {"Chorus", 0.3f, {"Factory Setting", "-", "Saved : Chorus", "-", "-M00-User Presets"}},
        {"Factory Setting", 0.6f, {"Factory Setting", "-", "-M00-User Presets"}},
        {"Bridge", 0.7f, {"Factory Setting", "-", "Saved : Bridge", "-", "-M00-User Presets"}},
    };
    for (const Restore& r : restores) {
        SCOPED_TRACE(r.name);
        PresetRecord record = effect->getPresetRecord(0);
        std::snprintf(record.presetName, sizeof(record.presetName), "%s", r.name);
        record.presetValues[kParamInputThres] = r.inputThres;
        ASSERT_EQ(effect->setChunk(&record, sizeof(record)), 1);
        editor->idle();
        EXPECT_EQ(entries(editor->getPresetMenu()), r.menu);
        // The entry recalls what it names.
        choosePreset({"Factory Setting"});
        if (r.menu.size() == 5) {
            choosePreset({r.menu[2].c_str()});
            EXPECT_EQ(effect->getCurrentPresetIndex(), 1);
            EXPECT_FLOAT_EQ(effect->getParameter(kParamInputThres), r.inputThres);
        }
        // The folder submenus are still reached through the menu.
        writePreset(userFolder() + "Kept.prg", "Kept", kValues);
        editor->buildPresetMenu(false, "");
        choosePreset({"00-User Presets", "Kept"});
        EXPECT_EQ(effect->getCurrentPresetIndex(), 2);
    }
}

TEST_F(PresetMenuTest, ALongNameShowsItsBeginningAndAnEllipsis)
{
    openEditor();
    // Which pixels of the name box (and the pixel it is grown by on each side) are text.
    auto nameBox = [this](const char* name) {
        effect->setCurrentPresetName(name);
        editor->updatePresetNameDisplay();
        editor->idle();
        editor->getToolkitFrame()->draw(context);
        std::vector<std::vector<bool>> text;
        const uint32_t background = pixel(376, 3);
        for (int32_t x = 375; x < 547; ++x) {
            text.emplace_back();
            for (int32_t y = 3; y < 17; ++y)
                text.back().push_back(pixel(x, y) != background);
        }
        return text;
    };
    auto firstColumn = [](const std::vector<std::vector<bool>>& text) {
        for (size_t x = 0; x < text.size(); ++x)
            if (std::count(text[x].begin(), text[x].end(), true) > 0)
                return int(x);
        return -1;
    };
    const std::vector<std::vector<bool>> longName = nameBox("Thirty-One-Char-Name-abcdefghij");
    const std::vector<std::vector<bool>> start = nameBox("Thirty-One-Char");
    // The long name starts at the box's left edge, with its first 40 columns as the centred
    // "Thirty-One-Char" draws them: its beginning is shown whole.
    const int first = firstColumn(longName);
    const int startFirst = firstColumn(start);
    ASSERT_GE(first, 0);
    EXPECT_LE(first, 3);
    EXPECT_GT(startFirst, 30) << "a name that fits stays centred";
    // (Matched within a pixel: the first column may be an edge of the glyph the box trims.)
    bool matched = false;
    for (int shift = -1; shift <= 1 && !matched; ++shift) {
        matched = true;
        for (int x = 2; x < 40; ++x)
            matched = matched && longName[size_t(first + x)] == start[size_t(startFirst + shift + x)];
    }
    EXPECT_TRUE(matched);
    // The ellipsis: the last marks sit low on the line (dots), nothing of a letter above them.
    int last = -1;
    for (size_t x = 0; x < longName.size(); ++x)
        if (std::count(longName[x].begin(), longName[x].end(), true) > 0)
            last = int(x);
    ASSERT_GT(last, 150) << "the text fills the box";
    int low = 0;
    for (int x = last - 8; x <= last; ++x) {
        for (size_t y = 0; y < 14; ++y) {
            if (longName[size_t(x)][y]) {
                EXPECT_GE(y, 7u) << "column " << x;
                ++low;
            }
        }
    }
    EXPECT_GT(low, 0);
}

TEST_F(PresetMenuTest, AfterASaveTheArrowsStepFromTheSavedPreset)
{
    openEditor();
    for (const char* name : {"Master A", "Master B", "Master C"})
        writePreset(userFolder() + name + ".prg", name, kValues);
    editor->buildPresetMenu(false, "");
    choosePreset({"00-User Presets", "Master A"});
    effect->setParameterAutomated(kParamInputThres, 0.7f);
    dialogs.typedNames = {"Zed"};
    chooseSave("Save New Preset As...");
    ASSERT_TRUE(fileExists(userFolder() + "Zed.prg"));
    ASSERT_EQ(effect->getPresetCount(), 6);

    // The saved preset is the current record, holding what was saved.
    const VstInt32 saved = effect->getCurrentPresetIndex();
    EXPECT_STREQ(effect->getPresetRecord(saved).presetName, "Zed");
    EXPECT_FLOAT_EQ(effect->getPresetRecord(saved).presetValues[kParamInputThres], 0.7f);
    EXPECT_STREQ(editor->getPresetNameText()->getText(), "Zed");
    const VstInt32 before = saved == 2 ? 5 : saved - 1;
    leftClick(CPoint(364, 10)); // previous
    EXPECT_EQ(effect->getCurrentPresetIndex(), before);
    editor->idle();
    EXPECT_STRNE(editor->getPresetNameText()->getText(), "Zed");
    leftClick(CPoint(558, 10)); // next
    EXPECT_EQ(effect->getCurrentPresetIndex(), saved);
    editor->idle();
    EXPECT_STREQ(editor->getPresetNameText()->getText(), "Zed");

    // A save that is cancelled leaves the current preset where it was.
    dialogs.typedNames = {"<cancel>"};
    chooseSave("Save New Preset As...");
    EXPECT_EQ(effect->getCurrentPresetIndex(), saved);
}

TEST_F(PresetMenuTest, TheHostHearsOfEditsOfParametersOnly)
{
    openEditor();
    writePreset(userFolder() + "One.prg", "One", kValues);
    writePreset(userFolder() + "Two.prg", "Two", kValues);
    editor->buildPresetMenu(false, "");
    host().calls.clear();
    leftClick(CPoint(558, 10));
    leftClick(CPoint(364, 10));
    choosePreset({"00-User Presets", "Two"});
    choosePreset({"Factory Setting"});
    chooseSave("Save New Preset As..."); // cancelled
    chooseLink("About Orvanne...");
    editor->getToolkitFrame()->onWheel(context, CPoint(288, 138), 1.f);
    int edits = 0;
    for (const HostCall& call : host().calls) {
        if (call.opcode != audioMasterBeginEdit && call.opcode != audioMasterEndEdit)
            continue;
        ++edits;
        EXPECT_GE(call.index, 0);
        EXPECT_LT(call.index, kNumParams) << (call.opcode == audioMasterBeginEdit ? "begin" : "end");
    }
    EXPECT_EQ(edits, 2); // the wheel's gesture on Recovery
    EXPECT_EQ(host().count(audioMasterBeginEdit), 1);
}

TEST_F(PresetMenuTest, LinksShowTheAboutMessageAndOpenTheMakersPages)
{
    openEditor();
    chooseLink("About Orvanne...");
    ASSERT_EQ(dialogs.log.size(), 1u);
    EXPECT_EQ(dialogs.log[0].rfind("information : About Orvanne\n\nVersion 1.1\n\n", 0), 0u) << dialogs.log[0];
    dialogs.log.clear();
    chooseLink("Tarvelle Website");
    chooseLink("Online Support");
    chooseLink("Online Store");
    chooseLink("Check Updates");
    EXPECT_EQ(dialogs.log,
              (std::vector<std::string>{"open http://www.tarvelle.example/index.html",
                                        "open http://www.tarvelle.example/support/index.html",
                                        "open http://www.tarvelle.example/onlinestore/index.html",
                                        "open http://www.tarvelle.example/downloads/index.html"}));
    CVSTEditor::openWebPage(nullptr);
    EXPECT_EQ(dialogs.log.size(), 4u);
}

TEST_F(PresetMenuTest, WithoutADataFolderNothingIsListedOrSaved)
{
    ::setenv("XDG_DATA_HOME", "relative", 1);
    const char* home = std::getenv("HOME");
    std::string savedHome = home != nullptr ? home : "";
    ::setenv("HOME", "relative", 1);
    openEditor();
    EXPECT_EQ(entries(editor->getPresetMenu()), (std::vector<std::string>{"Factory Setting", "-"}));
    dialogs.questionAnswers = {true};
    chooseSave("Save Current Preset");
    EXPECT_EQ(effect->getPresetCount(), 2);
    if (home != nullptr)
        ::setenv("HOME", savedHome.c_str(), 1);
}

namespace {

class Messages : public platform::MessagePresenter {
public:
    void showError(const char* caption, const char* text) override
    {
        log.push_back(std::string(caption) + ": " + text);
    }
    std::vector<std::string> log;
};

class PresetFallbackTest : public PresetMenuTest {
protected:
    void SetUp() override
    {
        PresetMenuTest::SetUp();
        blocked = data.path() + "/blocked";
        std::FILE* file = std::fopen(blocked.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fclose(file);
        folders.programFilesBase = blocked;
        folders.userDataBase = data.path() + "/roaming";
        ASSERT_TRUE(platform::makeDirectory(folders.userDataBase.c_str()));
        savedLocator = platform::setFolderLocator(&folders);
        savedMessages = platform::setMessagePresenter(&messages);
        CVSTEditor::forgetFallbackNotice();
    }
    void TearDown() override
    {
        platform::setFolderLocator(savedLocator);
        platform::setMessagePresenter(savedMessages);
        PresetMenuTest::TearDown();
    }
    std::string userRoot() const { return folders.userDataBase + "/Tarvelle/Plug-In Settings/Orvanne/"; }
    std::string programName() { return editor_test::programName(*effect); }

    std::string blocked;
    // Base folders as a user without the right to write under the program-files folder sees
    // them: a program-files base under which no folder can be created (it is a file), and a
    // user data folder of its own.
    TestFolders folders;
    Messages messages;
    platform::FolderLocator* savedLocator = nullptr;
    platform::MessagePresenter* savedMessages = nullptr;
};

} // namespace

TEST_F(PresetFallbackTest, AProgramFilesRootThatCannotBeCreatedSendsSavesToTheUsersRoot)
{
    openEditor();
    dialogs.typedNames = {"Kept"};
    chooseSave("Save New Preset As...");
    EXPECT_TRUE(fileExists(userRoot() + "00-User Presets/Kept.prg"));
    EXPECT_EQ(programName(), "Kept");
    EXPECT_EQ(messages.log, std::vector<std::string>());
    // The user is told where it went, once: a second save says nothing more.
    const std::string told = "information Preset Saved: Saved to your own presets folder: " + userRoot() +
        "00-User Presets/Kept.prg";
    EXPECT_EQ(dialogs.log, (std::vector<std::string>{"save as", told}));
    dialogs.typedNames = {"Kept Too"};
    chooseSave("Save New Preset As...");
    EXPECT_TRUE(fileExists(userRoot() + "00-User Presets/Kept Too.prg"));
    EXPECT_EQ(dialogs.log, (std::vector<std::string>{"save as", told, "save as"}));
    // Listed from the user's root, and recalled from there.
    EXPECT_EQ(entries(editor->getPresetMenu()),
              (std::vector<std::string>{"Factory Setting", "-", "-M00-User Presets"}));
    choosePreset({"00-User Presets", "Kept"});
    EXPECT_EQ(effect->getCurrentPresetIndex(), 3); // after "Kept Too.prg", as the files are listed
    EXPECT_EQ(programName(), "Kept");
}

TEST_F(PresetFallbackTest, SameNamedFoldersOfTheRootsAreOneSortedSubmenuTheArrowsStepThrough)
{
    // An installer's bank and presets under program files, the user's own in the user's root;
    // both have a "00-User Presets" and a "Gentle" in it.
    folders.programFilesBase = data.path() + "/programs";
    const std::string programRoot = folders.programFilesBase + "/Tarvelle/Plug-In Settings/Orvanne/";
    for (const std::string& folder :
         {folders.programFilesBase, folders.programFilesBase + "/Tarvelle",
          folders.programFilesBase + "/Tarvelle/Plug-In Settings", programRoot, programRoot + "00-User Presets",
          programRoot + "Installed Bank", folders.userDataBase + "/Tarvelle",
          folders.userDataBase + "/Tarvelle/Plug-In Settings", userRoot(), userRoot() + "00-User Presets",
          userRoot() + "Mine Only"})
        platform::makeDirectory(folder.c_str());
    struct File {
        std::string folder;
        const char* name;
        float inputThres;
    };
    const File files[] = {
        {programRoot + "00-User Presets/", "Zulu", 0.1f},  {programRoot + "00-User Presets/", "gentle", 0.2f},
        {programRoot + "00-User Presets/", "Alpha", 0.3f}, {programRoot + "Installed Bank/", "Bank One", 0.4f},
        {userRoot() + "00-User Presets/", "Mike", 0.5f},   {userRoot() + "00-User Presets/", "gentle", 0.6f},
        {userRoot() + "00-User Presets/", "Beta", 0.7f},   {userRoot() + "Mine Only/", "Solo", 0.8f},
    };
    for (const File& file : files) {
        const float values[5] = {0.f, 1.f, file.inputThres, 0.5f, 0.f};
        writePreset(file.folder + file.name + ".prg", file.name, values);
    }

    openEditor();
    EXPECT_EQ(
        entries(editor->getPresetMenu()),
        (std::vector<std::string>{"Factory Setting", "-", "-M00-User Presets", "-MInstalled Bank", "-MMine Only"}));
    EXPECT_EQ(entries(editor->getFolderMenu(0)),
              (std::vector<std::string>{"Alpha", "Beta", "gentle", "gentle", "Mike", "Zulu"}));
    ASSERT_EQ(effect->getPresetCount(), 10);
    // The program-files "gentle" comes first; each entry recalls its own file.
    choosePreset({"00-User Presets", "gentle"});
    EXPECT_EQ(effect->getCurrentPresetIndex(), 4);
    EXPECT_FLOAT_EQ(effect->getParameter(kParamInputThres), 0.2f);
    CButtonMenu* merged = editor->getFolderMenu(0);
    merged->setValue(3.f);
    editor->valueChanged(context, merged);
    EXPECT_FLOAT_EQ(effect->getParameter(kParamInputThres), 0.6f);

    // The arrows go through the same list, folder after folder, and wrap.
    choosePreset({"Factory Setting"});
    const float stepped[] = {0.3f, 0.7f, 0.2f, 0.6f, 0.5f, 0.1f, 0.4f, 0.8f, 0.3f};
    for (float expected : stepped) {
        leftClick(CPoint(558, 10)); // next
        EXPECT_FLOAT_EQ(effect->getParameter(kParamInputThres), expected);
    }
    leftClick(CPoint(364, 10)); // previous, from the first to the last
    EXPECT_FLOAT_EQ(effect->getParameter(kParamInputThres), 0.8f);

    // Reopening shows the same menu.
    closeEditor();
    openEditor();
    EXPECT_EQ(editor->getPresetMenu()->getNbEntries(), 5);
    EXPECT_EQ(editor->getFolderMenu(0)->getNbEntries(), 6);
}

TEST_F(PresetFallbackTest, ASaveThatFailsLeavesNoNewFolder)
{
    // The user's root can be made, but the preset's path does not fit under it.
    folders.userDataBase = data.path() + "/" + std::string(80, 'a') + "/" + std::string(80, 'b');
    makeFolder(data.path() + "/" + std::string(80, 'a'));
    makeFolder(folders.userDataBase);
    openEditor();
    dialogs.typedNames = {std::string(31, 'n')};
    chooseSave("Save New Preset As...");
    ASSERT_EQ(messages.log.size(), 1u);
    EXPECT_NE(messages.log[0].find("the path is too long"), std::string::npos) << messages.log[0];
    EXPECT_FALSE(fileExists(folders.userDataBase + "/Tarvelle"));
    EXPECT_EQ(entries(editor->getPresetMenu()), (std::vector<std::string>{"Factory Setting", "-"}));
}

#ifndef _WIN32
// A package's bank under $XDG_DATA_DIRS comes before the user's own root; saving still goes to
// the user's root, and nothing is created under the system folder.
// The system bank's folders join the menu (one list of folders over all roots, by name), and a
// save never goes there.
TEST_F(PresetMenuTest, ASystemBankJoinsTheMenuAndIsNeverSavedTo)
{
    const std::string systemRoot = systemData() + "/Tarvelle/Plug-In Settings/Orvanne/";
    std::filesystem::create_directories(systemRoot + "02-Loud Mastering");
    ASSERT_TRUE(effect->savePresetFile((systemRoot + "02-Loud Mastering/Club Loud").c_str()));
    openEditor();
    EXPECT_EQ(entries(editor->getPresetMenu()),
              (std::vector<std::string>{"Factory Setting", "-", "-M00-User Presets", "-M02-Loud Mastering"}));
    choosePreset({"02-Loud Mastering", "Club Loud"});
    EXPECT_EQ(effect->getCurrentPresetIndex(), 2);

    dialogs.typedNames = {"Mine"};
    chooseSave("Save New Preset As...");
    EXPECT_TRUE(std::filesystem::exists(userFolder() + "Mine.prg"));
    EXPECT_FALSE(std::filesystem::exists(systemRoot + "00-User Presets"));
}
#endif

TEST_F(PresetFallbackTest, ASaveThatFailsEverywhereSaysWhyOnceAndKeepsTheName)
{
    // Neither root can be created.
    folders.userDataBase = blocked;
    openEditor();
    dialogs.typedNames = {"Lost"};
    chooseSave("Save New Preset As...");
    ASSERT_EQ(messages.log.size(), 1u);
    EXPECT_EQ(messages.log[0],
              "Preset Not Saved: The preset could not be saved as \"Lost.prg\": "
              "no preset folder could be created.");
    EXPECT_EQ(programName(), "Factory Setting");

    // The folder is there but the file cannot be written (here: a folder already has its name).
    messages.log.clear();
    folders.userDataBase = data.path() + "/roaming";
    char root[256];
    ASSERT_TRUE(platform::getUserPresetRootPath("Orvanne", root, sizeof(root), true));
    const std::string taken = std::string(root) + "00-User Presets/Taken.prg";
    ASSERT_TRUE(platform::makeDirectory(taken.c_str()));
    dialogs.typedNames = {"Taken"};
    chooseSave("Save New Preset As...");
    ASSERT_EQ(messages.log.size(), 1u);
    EXPECT_EQ(messages.log[0],
              "Preset Not Saved: The preset could not be saved as \"" + taken + "\": " + std::strerror(EISDIR) + ".");
    EXPECT_EQ(programName(), "Factory Setting");
}
