#include "PresetTestSupport.h"

#include <cerrno>

namespace {

using PresetFileTest = PresetTest;
namespace fs = std::filesystem;

TEST_F(PresetFileTest, SaveWritesTheCurrentRecordUnderTheNameOfThePath)
{
    effect->setParameter(2, 0.75f);
    effect->savePresetFile(file("Warm Bus").c_str());
    std::vector<unsigned char> written = TempTree::readFile(tree / "Warm Bus.prg");
    ASSERT_EQ(written.size(), 56u);
    EXPECT_EQ(programName(), "Warm Bus");
    EXPECT_EQ(written, chunk());
    EXPECT_EQ(std::string(written.begin(), written.begin() + 4), "nvrO");

    // It loads back into a user slot.
    ASSERT_TRUE(effect->loadPresetFile(2, file("Warm Bus.prg").c_str()));
    EXPECT_STREQ(effect->getPresetRecord(2).presetName, "Warm Bus");
    EXPECT_EQ(effect->getPresetRecord(2).presetValues[2], effect->getParameter(2));
}

TEST_F(PresetFileTest, FortyCharacterNameGivesThirtyOneInTheRecord)
{
    std::string name(40, 'x');
    effect->savePresetFile(file(name).c_str());
    EXPECT_TRUE(fs::exists(tree / (name + ".prg")));
    EXPECT_EQ(programName(), std::string(31, 'x'));
}

TEST_F(PresetFileTest, UnwritablePathWritesNothingKeepsTheNameAndSaysWhy)
{
    char reason[64] = {};
    EXPECT_FALSE(effect->savePresetFile(file("missing" + std::string(1, platform::kPathSeparator) + "Lost").c_str(),
                                        reason, sizeof(reason)));
    EXPECT_FALSE(fs::exists(tree / "missing"));
    EXPECT_EQ(programName(), "Factory Setting");
    EXPECT_STREQ(reason, std::strerror(ENOENT));

    // A path that cannot take the extension within a path buffer is not cut into another file.
    std::string longPath = tree.path(true) + std::string(260 - tree.path(true).size() - 2, 'p');
    effect->savePresetFile(longPath.c_str());
    EXPECT_EQ(std::distance(fs::directory_iterator(tree.root), fs::directory_iterator()), 0);
    effect->savePresetFile(nullptr);
}

#if !defined(_WIN32)
TEST_F(PresetFileTest, AFullDiskLeavesNoFileKeepsTheNameAndSaysWhy)
{
    // The file lands on a device that takes no data: the buffered write fails when closed.
    fs::create_symlink("/dev/full", tree / "Full.prg");
    char reason[64] = {};
    EXPECT_FALSE(effect->savePresetFile(file("Full").c_str(), reason, sizeof(reason)));
    EXPECT_STREQ(reason, std::strerror(ENOSPC));
    EXPECT_EQ(programName(), "Factory Setting");
    EXPECT_FALSE(fs::is_symlink(tree / "Full.prg"));
}
#endif

TEST_F(PresetFileTest, LoadAcceptsOnlyWholeRecordsWithTheTag)
{
    TempTree::writeFile(tree / "good.prg", validRecord("Good"));
    std::vector<unsigned char> longer = validRecord("Longer");
    longer.push_back(0);
    TempTree::writeFile(tree / "long.prg", longer);
    std::vector<unsigned char> shorter = validRecord("Shorter");
    shorter.pop_back();
    TempTree::writeFile(tree / "short.prg", shorter);
    TempTree::writeFile(tree / "empty.prg", {});
    const float values[5] = {};
    TempTree::writeFile(tree / "tag.prg", recordBytes("Orvn", "Wrong Tag", values));

    ASSERT_TRUE(effect->loadPresetFile(3, file("good.prg").c_str()));
    PresetRecord kept = effect->getPresetRecord(3);
    EXPECT_STREQ(kept.presetName, "Good");

    for (const char* name : {"long.prg", "short.prg", "empty.prg", "missing.prg"}) {
        EXPECT_FALSE(effect->loadPresetFile(3, file(name).c_str())) << name;
        EXPECT_EQ(std::memcmp(&effect->getPresetRecord(3), &kept, sizeof(kept)), 0) << name;
    }
    // A whole record without the tag is refused; its bytes stay in the slot, which the
    // caller reuses for the next file.
    EXPECT_FALSE(effect->loadPresetFile(3, file("tag.prg").c_str()));
    EXPECT_STREQ(effect->getPresetRecord(3).presetName, "Wrong Tag");
}

TEST_F(PresetFileTest, ExtensionMustBeExactlyPrg)
{
    for (const char* name : {"caps.PRG", "double.prg.bak", "noextension", "dot.prgx"}) {
        TempTree::writeFile(tree / name, validRecord("Valid"));
        EXPECT_FALSE(effect->loadPresetFile(2, file(name).c_str())) << name;
    }
    EXPECT_FALSE(effect->loadPresetFile(2, nullptr));
}

TEST_F(PresetFileTest, SlotOutsideTheTableIsRefused)
{
    TempTree::writeFile(tree / "good.prg", validRecord("Good"));
    EXPECT_FALSE(effect->loadPresetFile(-1, file("good.prg").c_str()));
    EXPECT_FALSE(effect->loadPresetFile(kPresetTableSize, file("good.prg").c_str()));
    EXPECT_TRUE(effect->loadPresetFile(kPresetTableSize - 1, file("good.prg").c_str()));
}

TEST_F(PresetFileTest, UnterminatedNameInAFileIsCut)
{
    std::vector<unsigned char> bytes = validRecord("");
    std::memset(bytes.data() + 4, 'Z', 32);
    TempTree::writeFile(tree / "z.prg", bytes);
    ASSERT_TRUE(effect->loadPresetFile(2, file("z.prg").c_str()));
    EXPECT_EQ(std::string(effect->getPresetRecord(2).presetName), std::string(31, 'Z'));
}

} // namespace
