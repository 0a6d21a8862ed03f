// A private temporary folder per test, removed with everything in it afterwards.
#pragma once

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#if defined(_WIN32)
#include <process.h>
#define ORVANNE_TEST_PID _getpid()
#else
#include <unistd.h>
#define ORVANNE_TEST_PID getpid()
#endif

class TempTree {
public:
    TempTree()
    {
        static std::atomic<int> counter{0};
        namespace fs = std::filesystem;
        for (int attempt = 0; attempt < 100; ++attempt) {
            fs::path candidate = fs::temp_directory_path() /
                ("orvanne-test-" + std::to_string(ORVANNE_TEST_PID) + "-" + std::to_string(counter++));
            std::error_code error;
            if (fs::create_directory(candidate, error)) {
                root = candidate;
                return;
            }
        }
    }
    ~TempTree()
    {
        std::error_code error;
        if (!root.empty())
            std::filesystem::remove_all(root, error);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    // The folder as a string, with a trailing separator when asked for.
    std::string path(bool trailingSeparator = false) const
    {
        std::string text = root.string();
        if (trailingSeparator)
            text += static_cast<char>(std::filesystem::path::preferred_separator);
        return text;
    }
    std::filesystem::path operator/(const std::string& name) const { return root / name; }
    // A file in the folder, as a string.
    std::string file(const std::string& name) const { return (root / name).string(); }
    // The names of what the folder holds, sorted.
    std::vector<std::string> names() const
    {
        std::vector<std::string> found;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(root, error))
            found.push_back(entry.path().filename().string());
        std::sort(found.begin(), found.end());
        return found;
    }

    static void writeFile(const std::filesystem::path& file, const std::vector<unsigned char>& bytes)
    {
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    static std::vector<unsigned char> readFile(const std::filesystem::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    std::filesystem::path root;
};
