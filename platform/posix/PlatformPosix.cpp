// The platform services on Linux and other POSIX systems.
#include "../SystemServices.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

// One folder's entries, read at once and sorted as Windows' file systems list them: by name,
// letters compared in upper case, so that menus and preset steps come in the same order on
// both platforms. "." and ".." come first, as there.
struct Listing {
    std::vector<DirectoryEntry> entries;
    size_t next = 0;
};

int rank(const char* name)
{
    return std::strcmp(name, ".") == 0 ? 0 : (std::strcmp(name, "..") == 0 ? 1 : 2);
}

bool listedBefore(const DirectoryEntry& a, const DirectoryEntry& b)
{
    if (rank(a.name) != rank(b.name))
        return rank(a.name) < rank(b.name);
    return nameListedBefore(a.name, b.name);
}

} // namespace

DirectoryReader::~DirectoryReader()
{
    close();
}

bool DirectoryReader::open(const char* folder)
{
    close();
    if (folder == nullptr || folder[0] == '\0')
        return false;
    DIR* dir = opendir(folder);
    if (dir == nullptr)
        return false;
    Listing* listing = new Listing();
    for (;;) {
        struct dirent* found = readdir(dir);
        if (found == nullptr)
            break;
        DirectoryEntry entry = {};
        const size_t length = std::strlen(found->d_name);
        if (length >= sizeof(entry.name))
            continue;
        std::memcpy(entry.name, found->d_name, length + 1);
        bool isDirectory = false;
#if defined(DT_DIR) && defined(DT_UNKNOWN)
        if (found->d_type == DT_DIR) {
            isDirectory = true;
        } else if (found->d_type == DT_UNKNOWN || found->d_type == DT_LNK) {
            struct stat info;
            isDirectory = fstatat(dirfd(dir), found->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
        }
#else
        struct stat info;
        isDirectory = fstatat(dirfd(dir), found->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
#endif
        entry.isDirectory = isDirectory;
        listing->entries.push_back(entry);
    }
    closedir(dir);
    std::sort(listing->entries.begin(), listing->entries.end(), listedBefore);
    handle = listing;
    return true;
}

bool DirectoryReader::next(DirectoryEntry& entry)
{
    Listing* listing = static_cast<Listing*>(handle);
    if (listing == nullptr || listing->next >= listing->entries.size())
        return false;
    entry = listing->entries[listing->next++];
    return true;
}

void DirectoryReader::close()
{
    delete static_cast<Listing*>(handle);
    handle = nullptr;
}

bool makeDirectory(const char* path)
{
    return path != nullptr && path[0] != '\0' && mkdir(path, 0755) == 0;
}

bool removeDirectory(const char* path)
{
    return path != nullptr && path[0] != '\0' && rmdir(path) == 0;
}

namespace {

// Copies text without trailing separators into out; false when it does not fit.
bool copyFolder(char* out, size_t size, const char* text)
{
    size_t length = std::strlen(text);
    while (length > 1 && text[length - 1] == '/')
        --length;
    if (length == 0 || length >= size)
        return false;
    std::memcpy(out, text, length);
    out[length] = '\0';
    return true;
}

// Creates path and any missing parents.
bool makeFolders(const char* path)
{
    char partial[256];
    size_t length = std::strlen(path);
    if (length >= sizeof(partial))
        return false;
    for (size_t i = 1; i <= length; ++i) {
        if (i == length || path[i] == '/') {
            std::memcpy(partial, path, i);
            partial[i] = '\0';
            struct stat info;
            if (stat(partial, &info) == 0) {
                if (!S_ISDIR(info.st_mode))
                    return false;
            } else if (mkdir(partial, 0755) != 0 && errno != EEXIST) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

bool systemDataFolder(size_t index, char* out, size_t size)
{
    if (out == nullptr || size == 0)
        return false;
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    if (dirs == nullptr || dirs[0] == '\0')
        dirs = "/usr/local/share:/usr/share";
    // Relative entries are not valid there and are skipped without counting.
    size_t found = 0;
    for (const char* entry = dirs;; ++entry) {
        const char* end = std::strchr(entry, ':');
        const size_t length = end != nullptr ? static_cast<size_t>(end - entry) : std::strlen(entry);
        if (length > 0 && entry[0] == '/' && found++ == index) {
            char folder[256];
            if (length >= sizeof(folder))
                return false;
            std::memcpy(folder, entry, length);
            folder[length] = '\0';
            return copyFolder(out, size, folder);
        }
        if (end == nullptr)
            return false;
        entry = end;
    }
}

namespace detail {

bool systemProgramFilesFolder(char* out, size_t size)
{
    if (out == nullptr || size == 0)
        return false;
    char folder[256];
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && dataHome[0] == '/') {
        if (!copyFolder(folder, sizeof(folder), dataHome))
            return false;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] != '/')
            return false;
        char joined[256];
        int written = std::snprintf(joined, sizeof(joined), "%s/.local/share", home);
        if (written < 0 || static_cast<size_t>(written) >= sizeof(joined))
            return false;
        if (!copyFolder(folder, sizeof(folder), joined))
            return false;
    }
    if (!makeFolders(folder))
        return false;
    size_t length = std::strlen(folder);
    if (length >= size)
        return false;
    std::memcpy(out, folder, length + 1);
    return true;
}

bool systemUserDataFolder(char* out, size_t size)
{
    return systemProgramFilesFolder(out, size);
}

void systemShowError(const char* caption, const char* text)
{
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

namespace {

class MonotonicClock : public Clock {
public:
    uint32_t tickCount() override
    {
        struct timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
        return static_cast<uint32_t>(ms);
    }

    void sleepMilliseconds(uint32_t milliseconds) override
    {
        struct timespec wait;
        wait.tv_sec = static_cast<time_t>(milliseconds / 1000u);
        wait.tv_nsec = static_cast<long>(milliseconds % 1000u) * 1000000L;
        while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {}
    }
};

} // namespace

Clock& systemClock()
{
    static MonotonicClock clock;
    return clock;
}

} // namespace detail

bool openUrl(const char* url)
{
    // Something starting with '-' would reach xdg-open as an option.
    if (url == nullptr || url[0] == '\0' || url[0] == '-')
        return false;
    // Double fork: the grandchild runs xdg-open and is reparented, so no zombie is left behind.
    pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        pid_t grandchild = fork();
        if (grandchild == 0) {
            char program[] = "xdg-open";
            char* argv[] = {program, const_cast<char*>(url), nullptr};
            execvp(program, argv);
            _exit(127);
        }
        _exit(grandchild < 0 ? 1 : 0);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void dispatchPendingPaint() {}

bool initializeDragAndDrop()
{
    return false;
}

void uninitializeDragAndDrop() {}

} // namespace platform
