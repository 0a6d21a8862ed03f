#include "PresetRoot.h"
#include "PresetTestSupport.h"

#include <algorithm>

namespace {

using PresetFolderTest = PresetTest;
namespace fs = std::filesystem;

std::vector<std::string> folderNames(CTarvelleVST* effect, VstInt32 count)
{
    std::vector<std::string> names;
    for (VstInt32 i = 0; i < count; ++i)
        names.push_back(effect->getPresetFolderName(i));
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(PresetFolderTest, MenuGetsOnlyPresetsThatLoad)
{
    TempTree::writeFile(tree / "Alpha.prg", validRecord("Alpha", 0.1f));
    const float values[5] = {};
    TempTree::writeFile(tree / "Tagless.prg", recordBytes("abcd", "Tagless", values));
    TempTree::writeFile(tree / "Backup.prg.bak", validRecord("Backup"));
    TempTree::writeFile(tree / "Caps.PRG", validRecord("Caps"));
    std::vector<unsigned char> longer = validRecord("Long");
    longer.push_back(1);
    TempTree::writeFile(tree / "Long.prg", longer);
    fs::create_directory(tree / "Folder.prg");

    EXPECT_EQ(effect->countPresetFiles(tree.path(true).c_str()), 5); // the name filter only
    EXPECT_EQ(effect->addPresetsToMenu(tree.path(true).c_str(), 2, 7), 3);
    EXPECT_EQ(menu.entries, (std::vector<std::string>{"7:Alpha"}));
    EXPECT_STREQ(effect->getPresetRecord(2).presetName, "Alpha");
    EXPECT_EQ(effect->getPresetRecord(2).presetValues[2], 0.1f);
}

TEST_F(PresetFolderTest, LabelIsCutToSixtyThreeCharacters)
{
    std::string name(70, 'n');
    TempTree::writeFile(tree / (name + ".prg"), validRecord("Long Label"));
    EXPECT_EQ(effect->addPresetsToMenu(tree.path(true).c_str(), 2, 0), 3);
    ASSERT_EQ(menu.entries.size(), 1u);
    EXPECT_EQ(menu.entries[0], "0:" + std::string(63, 'n'));
}

TEST_F(PresetFolderTest, StopsAtTheEndOfTheTableAndNeverFillsTheFixedSlots)
{
    TempTree::writeFile(tree / "one.prg", validRecord("One"));
    TempTree::writeFile(tree / "two.prg", validRecord("Two"));
    EXPECT_EQ(effect->addPresetsToMenu(tree.path(true).c_str(), kPresetTableSize - 1, 0), kPresetTableSize);
    EXPECT_EQ(menu.entries.size(), 1u);
    EXPECT_EQ(effect->addPresetsToMenu(tree.path(true).c_str(), kPresetTableSize, 0), kPresetTableSize);

    PresetRecord factory = effect->getPresetRecord(0);
    PresetRecord host = effect->getPresetRecord(1);
    EXPECT_EQ(effect->addPresetsToMenu(tree.path(true).c_str(), 0, 0), 0);
    EXPECT_EQ(effect->addPresetsToMenu(tree.path(true).c_str(), 1, 0), 1);
    EXPECT_EQ(std::memcmp(&effect->getPresetRecord(0), &factory, sizeof(factory)), 0);
    EXPECT_EQ(std::memcmp(&effect->getPresetRecord(1), &host, sizeof(host)), 0);

    EXPECT_EQ(effect->addPresetsToMenu((tree / "missing").string().c_str(), 2, 0), 2);
    EXPECT_EQ(effect->addPresetsToMenu(nullptr, 2, 0), 2);
    EXPECT_EQ(effect->countPresetFiles(nullptr), 0);
}

TEST_F(PresetFolderTest, ListsFoldersOfThreeOrMoreCharactersThatFit)
{
    for (const char* name : {"00-User Presets", "Mastering", "ab", ".hidden"})
        fs::create_directory(tree / name);
    std::string longest(31, 'f');
    fs::create_directory(tree / longest);
    fs::create_directory(tree / std::string(32, 'g'));
    fs::create_directory(tree / std::string(40, 'h'));
    TempTree::writeFile(tree / "plainfile", {1});

    VstInt32 count = effect->listPresetFolders(tree.path(true).c_str());
    ASSERT_EQ(count, 3);
    EXPECT_EQ(folderNames(effect, count), (std::vector<std::string>{"00-User Presets", "Mastering", longest}));
}

TEST_F(PresetFolderTest, MissingOrUnknownRootListsNothing)
{
    EXPECT_EQ(effect->listPresetFolders(""), 0);
    EXPECT_EQ(effect->listPresetFolders(nullptr), 0);
    EXPECT_EQ(effect->listPresetFolders((tree / "missing").string().c_str()), 0);
    // The effect's own root is empty until it is found.
    EXPECT_STREQ(effect->getPresetRootPath(), "");
    EXPECT_EQ(effect->listPresetFolders(effect->getPresetRootPath()), 0);
}

TEST_F(PresetFolderTest, FolderWhosePathWouldNotFitIsSkipped)
{
    // A root of 220 characters: a 31-character folder plus separator would reach 252 (fits),
    // but only when the root is short enough; build the root so that it does not.
    std::string root = tree.path(true);
    std::string deep = root + std::string(230 - root.size(), 'r');
    fs::create_directory(deep);
    fs::create_directory(fs::path(deep) / "short");
    fs::create_directory(fs::path(deep) / std::string(30, 'w'));
    deep += platform::kPathSeparator;
    VstInt32 count = effect->listPresetFolders(deep.c_str());
    ASSERT_EQ(count, 1);
    EXPECT_STREQ(effect->getPresetFolderName(0), "short");
}

TEST_F(PresetFolderTest, StopsAfter128Folders)
{
    for (int i = 0; i < 130; ++i)
        fs::create_directory(tree / ("folder " + std::to_string(i)));
    EXPECT_EQ(effect->listPresetFolders(tree.path(true).c_str()), 128);
}

TEST_F(PresetFolderTest, RebuildLikeTheEditorFillsTheTableFolderByFolder)
{
    char root[256];
    ASSERT_TRUE(platform::getPresetRootPathUnder(tree.path().c_str(), "Orvanne", root, sizeof(root)));
    fs::path user = fs::path(root) / "00-User Presets";
    for (const char* name : {"a", "b", "c"})
        TempTree::writeFile(user / (std::string(name) + ".prg"), validRecord(name));
    fs::create_directory(fs::path(root) / "Second");
    TempTree::writeFile(fs::path(root) / "Second" / "d.prg", validRecord("d"));

    VstInt32 folders = effect->listPresetFolders(root);
    ASSERT_EQ(folders, 2);
    VstInt32 next = 2;
    for (VstInt32 k = 0; k < folders; ++k) {
        std::string folder = std::string(root) + effect->getPresetFolderName(k) + platform::kPathSeparator;
        next = effect->addPresetsToMenu(folder.c_str(), next, k);
    }
    EXPECT_EQ(next, 6);
    EXPECT_EQ(menu.entries.size(), 4u);
    effect->setPresetCount(next);
    char name[kPresetNameSize];
    for (VstInt32 i = 2; i < 6; ++i)
        EXPECT_TRUE(effect->getPresetNameIndexed(0, i, name)) << i;
}

// Next / previous over a table of fixed slots plus user presets.
class StepTest : public PresetTest {
protected:
    void fill(VstInt32 count)
    {
        for (VstInt32 i = 2; i < count; ++i) {
            std::string name = "user" + std::to_string(i);
            TempTree::writeFile(tree / (name + ".prg"), validRecord(name.c_str(), 0.1f * static_cast<float>(i)));
            ASSERT_TRUE(effect->loadPresetFile(i, file(name + ".prg").c_str()));
        }
        effect->setPresetCount(count);
    }
    VstInt32 stepFrom(VstInt32 start, bool forward)
    {
        effect->recallPreset(start);
        if (forward)
            effect->nextPreset();
        else
            effect->previousPreset();
        return effect->getCurrentPresetIndex();
    }
};

TEST_F(StepTest, WrapsOverFiveRecordsSkippingTheFixedSlots)
{
    fill(5);
    EXPECT_EQ(stepFrom(4, true), 2);
    EXPECT_EQ(stepFrom(0, true), 2);
    EXPECT_EQ(stepFrom(1, true), 2);
    EXPECT_EQ(stepFrom(2, true), 3);
    EXPECT_EQ(stepFrom(2, false), 4);
    EXPECT_EQ(stepFrom(0, false), 4);
    EXPECT_EQ(stepFrom(1, false), 4);
    EXPECT_EQ(stepFrom(4, false), 3);
    EXPECT_EQ(programName(), "user3");

    recordingHost().calls.clear();
    effect->nextPreset();
    EXPECT_EQ(recordingHost().count(audioMasterAutomate), 5);
    EXPECT_GE(recordingHost().count(audioMasterUpdateDisplay), 1);
}

TEST_F(StepTest, DoesNothingWithoutUserPresets)
{
    fill(2);
    EXPECT_EQ(stepFrom(0, true), 0);
    EXPECT_EQ(stepFrom(1, false), 1);
    recordingHost().calls.clear();
    effect->nextPreset();
    effect->previousPreset();
    EXPECT_TRUE(recordingHost().calls.empty());
}

TEST_F(StepTest, CurrentRecordBeyondAShrunkenTableWrapsIntoIt)
{
    fill(5);
    effect->recallPreset(4);
    effect->setPresetCount(3);
    effect->nextPreset();
    EXPECT_EQ(effect->getCurrentPresetIndex(), 2);
    effect->recallPreset(4);
    effect->previousPreset();
    EXPECT_EQ(effect->getCurrentPresetIndex(), 2);
}

} // namespace
