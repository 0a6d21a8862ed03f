// The preset folders land under the program-files folder that the system (Wine in the tests)
// reports, for the build's own bitness.
#include "Platform.h"
#include "PresetRoot.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

TEST(ProgramFiles, IsTheFolderTheSystemReports)
{
    char folder[256];
    ASSERT_TRUE(platform::programFilesFolder(folder, sizeof(folder)));
    char expected[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableA("ProgramFiles", expected, sizeof(expected));
    ASSERT_GT(length, 0u);
    ASSERT_LT(length, sizeof(expected));
    EXPECT_EQ(lstrcmpiA(folder, expected), 0) << folder << " vs " << expected;
    EXPECT_TRUE(fs::is_directory(folder));
}

TEST(ProgramFiles, HoldsThePresetFolderChain)
{
    std::string product = "Orvanne Test " + std::to_string(GetCurrentProcessId());
    char root[256];
    ASSERT_TRUE(platform::getPresetRootPath(product.c_str(), root, sizeof(root)));
    char folder[256];
    ASSERT_TRUE(platform::programFilesFolder(folder, sizeof(folder)));
    fs::path expected = fs::path(folder) / "Tarvelle" / "Plug-In Settings" / product;
    EXPECT_EQ(std::string(root), expected.string() + "\\");
    EXPECT_TRUE(fs::is_directory(expected / "00-User Presets"));
    std::error_code error;
    fs::remove_all(expected, error);
}
