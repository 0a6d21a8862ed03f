#include "Platform.h"
#include "FolderWatch.h"
#include "PresetRoot.h"
#include "TempTree.h"
#include "WaitFor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::set<std::string> listNames(const std::string& folder, std::set<std::string>* directories = nullptr)
{
    std::set<std::string> names;
    platform::DirectoryReader reader;
    if (!reader.open(folder.c_str()))
        return names;
    platform::DirectoryEntry entry;
    while (reader.next(entry)) {
        names.insert(entry.name);
        if (directories != nullptr && entry.isDirectory)
            directories->insert(entry.name);
    }
    return names;
}

TEST(DirectoryReader, ListsFilesAndFoldersWithOrWithoutTrailingSeparator)
{
    TempTree tree;
    fs::create_directory(tree / "Folder One");
    TempTree::writeFile(tree / "a.prg", {1, 2, 3});
    for (bool trailing : {false, true}) {
        std::set<std::string> directories;
        std::set<std::string> names = listNames(tree.path(trailing), &directories);
        EXPECT_EQ(names, (std::set<std::string>{".", "..", "Folder One", "a.prg"}));
        EXPECT_EQ(directories, (std::set<std::string>{".", "..", "Folder One"}));
    }
}

#if !defined(_WIN32)
// The order Windows' file systems list in (letters compared in upper case, "." and ".." first),
// whatever order the Linux file system keeps; menus and preset steps follow it.
TEST(DirectoryReader, ListsByNameLettersComparedInUpperCase)
{
    TempTree tree;
    const std::vector<std::string> expected = {
        ".",     "..",     "00-User Presets", "10-Mastering", "20-Big Bank", "30-Caf\xc3\xa9 S\xc3\xbc\xc3\x9f",
        "A.prg", "AB.prg", "A_.prg",          "b.prg",        "c.prg",       "\xc3\xa4rger.prg"};
    for (auto it = expected.rbegin(); it != expected.rend(); ++it)
        if (*it != "." && *it != "..")
            TempTree::writeFile(tree / *it, {1});
    std::vector<std::string> names;
    platform::DirectoryReader reader;
    ASSERT_TRUE(reader.open(tree.path(false).c_str()));
    platform::DirectoryEntry entry;
    while (reader.next(entry))
        names.push_back(entry.name);
    EXPECT_EQ(names, expected);
}
#endif

TEST(DirectoryReader, MissingFolderOrNullCannotBeOpened)
{
    TempTree tree;
    platform::DirectoryReader reader;
    EXPECT_FALSE(reader.open((tree / "missing").string().c_str()));
    EXPECT_FALSE(reader.open(nullptr));
    EXPECT_FALSE(reader.open(""));
    platform::DirectoryEntry entry;
    EXPECT_FALSE(reader.next(entry));
}

TEST(MakeDirectory, CreatesOneLevelOnly)
{
    TempTree tree;
    EXPECT_TRUE(platform::makeDirectory((tree / "one").string().c_str()));
    EXPECT_TRUE(fs::is_directory(tree / "one"));
    EXPECT_FALSE(platform::makeDirectory((tree / "one").string().c_str())); // exists already
    EXPECT_FALSE(platform::makeDirectory((tree / "two" / "three").string().c_str()));
    EXPECT_FALSE(platform::makeDirectory(nullptr));
}

TEST(JoinPath, JoinsWithTheSeparatorAndRefusesWhatDoesNotFit)
{
    const char sep = platform::kPathSeparator;
    const char* parts[] = {"base", "a", "b"};
    char out[16];
    ASSERT_TRUE(platform::joinPath(out, sizeof(out), parts, 3, true));
    EXPECT_EQ(std::string(out), std::string("base") + sep + "a" + sep + "b" + sep);
    ASSERT_TRUE(platform::joinPath(out, sizeof(out), parts, 3, false));
    EXPECT_EQ(std::string(out), std::string("base") + sep + "a" + sep + "b");

    char small[9]; // "base/a/b" needs 9 with its NUL, the trailing form 10
    EXPECT_TRUE(platform::joinPath(small, sizeof(small), parts, 3, false));
    EXPECT_FALSE(platform::joinPath(small, sizeof(small), parts, 3, true));
    EXPECT_STREQ(small, "");
}

TEST(PresetRoot, CreatesTheFolderChainAndAnswersTheRoot)
{
    TempTree tree;
    char root[256];
    ASSERT_TRUE(platform::getPresetRootPathUnder(tree.path().c_str(), "Orvanne", root, sizeof(root)));
    fs::path expected = tree / "Tarvelle" / "Plug-In Settings" / "Orvanne";
    EXPECT_EQ(std::string(root), expected.string() + platform::kPathSeparator);
    EXPECT_TRUE(fs::is_directory(expected / "00-User Presets"));

    // A second call finds the chain and leaves what is in it alone.
    TempTree::writeFile(expected / "00-User Presets" / "keep.prg", {1});
    char again[256];
    ASSERT_TRUE(platform::getPresetRootPathUnder(tree.path().c_str(), "Orvanne", again, sizeof(again)));
    EXPECT_STREQ(again, root);
    EXPECT_TRUE(fs::exists(expected / "00-User Presets" / "keep.prg"));
}

TEST(PresetRoot, FailureLeavesAnEmptyRoot)
{
    TempTree tree;
    // "Tarvelle" is a file, so the chain cannot be created.
    TempTree::writeFile(tree / "Tarvelle", {0});
    char root[256] = "stale";
    EXPECT_FALSE(platform::getPresetRootPathUnder(tree.path().c_str(), "Orvanne", root, sizeof(root)));
    EXPECT_STREQ(root, "");

    // A root that would not fit is refused before anything is created.
    std::string deep = tree.path() + platform::kPathSeparator + std::string(200, 'd');
    fs::create_directory(deep);
    std::strcpy(root, "stale");
    EXPECT_FALSE(platform::getPresetRootPathUnder(deep.c_str(), "Orvanne", root, sizeof(root)));
    EXPECT_STREQ(root, "");
    EXPECT_FALSE(fs::exists(fs::path(deep) / "Tarvelle"));

    // An output buffer too small for the root is refused as well.
    char tiny[8] = "stale";
    EXPECT_FALSE(platform::getPresetRootPathUnder(tree.path().c_str(), "X", tiny, sizeof(tiny)));
    EXPECT_STREQ(tiny, "");
    EXPECT_FALSE(platform::getPresetRootPathUnder(nullptr, "Orvanne", root, sizeof(root)));
}

// The user's settings folder of a test.
class UserDataAt : public platform::FolderLocator {
public:
    explicit UserDataAt(std::string base) : base(std::move(base)) { previous = platform::setFolderLocator(this); }
    ~UserDataAt() override { platform::setFolderLocator(previous); }
    bool programFiles(char*, size_t) override { return false; }
    bool userData(char* out, size_t size) override
    {
        if (base.size() >= size)
            return false;
        std::memcpy(out, base.c_str(), base.size() + 1);
        return true;
    }

private:
    std::string base;
    platform::FolderLocator* previous = nullptr;
};

TEST(PresetRoot, NearestUserLevelIsWhereTheChainGrowsNext)
{
    const char* const chain[] = {"Tarvelle", "Plug-In Settings", "Orvanne", "00-User Presets"};
    // However many levels of the chain exist under the base, the answer is the deepest of
    // them, until the whole chain is there.
    for (int levels = 0; levels <= 4; ++levels) {
        SCOPED_TRACE(levels);
        TempTree tree;
        std::string level = tree.path();
        for (int i = 0; i < levels; ++i) {
            level += platform::kPathSeparator + std::string(chain[i]);
            fs::create_directory(level);
        }
        UserDataAt base(tree.path());
        char out[256] = "untouched";
        EXPECT_EQ(platform::nearestUserPresetLevel("Orvanne", out, sizeof(out)), levels < 4);
        EXPECT_EQ(std::string(out), levels < 4 ? level : "untouched");
    }
    TempTree tree;
    UserDataAt missing((tree / "absent").string());
    char out[256];
    EXPECT_FALSE(platform::nearestUserPresetLevel("Orvanne", out, sizeof(out)));
}

TEST(FolderWatch, ReportsEveryChangeInItsFoldersWithoutWaiting)
{
    TempTree tree;
    const std::string other = tree.path();
    if (!platform::FolderWatch::supported()) {
        platform::FolderWatch watch;
        EXPECT_FALSE(watch.add(other.c_str(), true));
        EXPECT_FALSE(watch.unchanged()) << "where nothing is watched, everything may have changed";
        return;
    }
    // Each change to a folder holding "old.prg" and "sub", watched with or without its files,
    // and the folder "sub" too when asked.
    struct Case {
        const char* change;
        bool contents;
        bool sub;
        std::function<void(const fs::path&)> make;
    };
    const Case cases[] = {
        {"a file added", true, false, [](const fs::path& at) { TempTree::writeFile(at / "new.prg", {1}); }},
        {"a file removed", true, false, [](const fs::path& at) { fs::remove(at / "old.prg"); }},
        {"a file rewritten", true, false,
         [](const fs::path& at) {
             TempTree::writeFile(at / "old.prg", {1, 2, 3, 4});
         }},
        {"a file renamed", true, false, [](const fs::path& at) { fs::rename(at / "old.prg", at / "new.prg"); }},
        {"a file added to a watched subfolder", true, true,
         [](const fs::path& at) { TempTree::writeFile(at / "sub" / "new.prg", {1}); }},
        {"a folder added", false, false, [](const fs::path& at) { fs::create_directory(at / "02-New"); }},
        {"a folder removed", false, false, [](const fs::path& at) { fs::remove(at / "sub"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        TempTree folder;
        fs::create_directory(folder / "sub");
        TempTree::writeFile(folder / "old.prg", {1});
        platform::FolderWatch watch;
        const std::string path = folder.path();
        const std::string sub = (folder / "sub").string();
        ASSERT_TRUE(watch.add(other.c_str(), true));
        ASSERT_TRUE(watch.add(path.c_str(), c.contents));
        ASSERT_TRUE(!c.sub || watch.add(sub.c_str(), true));
        EXPECT_TRUE(watch.unchanged());
        c.make(folder.path());
        EXPECT_TRUE(test_support::waitUntil([&]() { return !watch.unchanged(); }, std::chrono::seconds(10)))
            << "no change reported within 10 s";
        EXPECT_FALSE(watch.unchanged()) << "a change once reported stays reported";
        watch.stop();
        EXPECT_FALSE(watch.watching());
    }
    // A folder that does not exist has nothing to report; one that cannot be watched ends the watch.
    platform::FolderWatch watch;
    const std::string missing = (tree / "missing").string();
    EXPECT_TRUE(watch.add(missing.c_str(), true));
    EXPECT_TRUE(watch.unchanged());
    EXPECT_FALSE(watch.add("", true));
    EXPECT_FALSE(watch.watching()) << "a watch with a hole holds nothing";
    EXPECT_FALSE(watch.unchanged());
}

#if !defined(_WIN32)
// The data folder stands in for the program-files folder on Linux.
class DataFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        save("XDG_DATA_HOME", xdg, hadXdg);
        save("HOME", home, hadHome);
        save("XDG_DATA_DIRS", dirs, hadDirs);
    }
    void TearDown() override
    {
        restore("XDG_DATA_HOME", xdg, hadXdg);
        restore("HOME", home, hadHome);
        restore("XDG_DATA_DIRS", dirs, hadDirs);
    }
    static void save(const char* name, std::string& value, bool& had)
    {
        const char* v = std::getenv(name);
        had = v != nullptr;
        value = had ? v : "";
    }
    static void restore(const char* name, const std::string& value, bool had)
    {
        if (had)
            setenv(name, value.c_str(), 1);
        else
            unsetenv(name);
    }
    std::string xdg, home, dirs;
    bool hadXdg = false, hadHome = false, hadDirs = false;
    TempTree tree;
};

TEST_F(DataFolder, UsesAnAbsoluteXdgDataHome)
{
    std::string data = (tree / "data").string();
    setenv("XDG_DATA_HOME", (data + "/").c_str(), 1);
    char out[256];
    ASSERT_TRUE(platform::programFilesFolder(out, sizeof(out)));
    EXPECT_EQ(std::string(out), data);
    EXPECT_TRUE(fs::is_directory(data));

    char root[256];
    ASSERT_TRUE(platform::getPresetRootPath("Orvanne", root, sizeof(root)));
    EXPECT_EQ(std::string(root), data + "/Tarvelle/Plug-In Settings/Orvanne/");
    EXPECT_TRUE(fs::is_directory(data + "/Tarvelle/Plug-In Settings/Orvanne/00-User Presets"));
}

TEST_F(DataFolder, FallsBackToTheHomeFolderForARelativeOrMissingXdgDataHome)
{
    setenv("HOME", tree.path().c_str(), 1);
    for (bool relative : {true, false}) {
        if (relative)
            setenv("XDG_DATA_HOME", "relative/data", 1);
        else
            unsetenv("XDG_DATA_HOME");
        char out[256];
        ASSERT_TRUE(platform::programFilesFolder(out, sizeof(out)));
        EXPECT_EQ(std::string(out), tree.path() + "/.local/share");
    }
    unsetenv("HOME");
    char out[256] = "stale";
    EXPECT_FALSE(platform::programFilesFolder(out, sizeof(out)));
    EXPECT_STREQ(out, "stale");
    char root[256] = "stale";
    EXPECT_FALSE(platform::getPresetRootPath("Orvanne", root, sizeof(root)));
    EXPECT_STREQ(root, "");
}

// The system roots: the entries of $XDG_DATA_DIRS in order, relative ones skipped, only roots
// that exist, and nothing created; without the variable, /usr/local/share and /usr/share.
TEST_F(DataFolder, SystemPresetRootsFollowXdgDataDirs)
{
    const std::string a = (tree / "a").string(), b = (tree / "b").string(), c = (tree / "c").string();
    for (const std::string& base : {a, c})
        fs::create_directories(base + "/Tarvelle/Plug-In Settings/Orvanne");
    fs::create_directories(b + "/Tarvelle/Plug-In Settings");
    setenv("XDG_DATA_DIRS", ("relative/share:" + c + "/:" + b + "::" + a).c_str(), 1);
    char root[256];
    std::vector<std::string> roots;
    for (size_t i = 0; platform::getSystemPresetRootPath("Orvanne", i, root, sizeof(root)); ++i)
        roots.push_back(root);
    EXPECT_EQ(roots,
              (std::vector<std::string>{c + "/Tarvelle/Plug-In Settings/Orvanne/",
                                        a + "/Tarvelle/Plug-In Settings/Orvanne/"}));
    EXPECT_FALSE(fs::exists(b + "/Tarvelle/Plug-In Settings/Orvanne")) << "a system root is never created";
    EXPECT_STREQ(root, "");

    unsetenv("XDG_DATA_DIRS");
    char folder[256];
    std::vector<std::string> folders;
    for (size_t i = 0; platform::systemDataFolder(i, folder, sizeof(folder)); ++i)
        folders.push_back(folder);
    EXPECT_EQ(folders, (std::vector<std::string>{"/usr/local/share", "/usr/share"}));
}
#endif

class RecordingPresenter : public platform::MessagePresenter {
public:
    void showError(const char* caption, const char* text) override
    {
        shown.push_back(std::string(caption) + "|" + text);
    }
    std::vector<std::string> shown;
};

TEST(Messages, GoToTheInstalledPresenter)
{
    RecordingPresenter presenter;
    platform::MessagePresenter* previous = platform::setMessagePresenter(&presenter);
    platform::showErrorMessage("Caption", "Text");
    platform::showErrorMessage(nullptr, nullptr);
    EXPECT_EQ(platform::setMessagePresenter(previous), &presenter);
    EXPECT_EQ(presenter.shown, (std::vector<std::string>{"Caption|Text", "|"}));
}

class StoppedClock : public platform::Clock {
public:
    uint32_t tickCount() override { return 42; }
    void sleepMilliseconds(uint32_t ms) override { slept += ms; }
    uint32_t slept = 0;
};

TEST(Clock, CanBeReplacedAndRestored)
{
    StoppedClock stopped;
    platform::Clock* previous = platform::setClock(&stopped);
    EXPECT_EQ(platform::clock().tickCount(), 42u);
    platform::clock().sleepMilliseconds(4);
    EXPECT_EQ(stopped.slept, 4u);
    platform::setClock(previous);
    EXPECT_NE(&platform::clock(), &stopped);
}

TEST(OpenUrl, RefusesNothingOrAnOptionLikeText)
{
    EXPECT_FALSE(platform::openUrl(nullptr));
    EXPECT_FALSE(platform::openUrl(""));
#if !defined(_WIN32)
    EXPECT_FALSE(platform::openUrl("--help"));
#endif
}

} // namespace
