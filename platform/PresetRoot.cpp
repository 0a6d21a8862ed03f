#include "PresetRoot.h"

#include "Platform.h"

#include <cstring>

namespace platform {

bool joinPath(char* out, size_t size, const char* const* parts, size_t count, bool trailingSeparator)
{
    if (out == nullptr || size == 0)
        return false;
    size_t length = 0;
    for (size_t i = 0; i < count; ++i) {
        const char* part = parts[i] != nullptr ? parts[i] : "";
        size_t partLength = std::strlen(part);
        bool separator = i + 1 < count || trailingSeparator;
        if (length + partLength + (separator ? 1 : 0) >= size) {
            out[0] = '\0';
            return false;
        }
        std::memcpy(out + length, part, partLength);
        length += partLength;
        if (separator)
            out[length++] = kPathSeparator;
    }
    out[length] = '\0';
    return true;
}

namespace {

// A folder counts as present when it can be listed; otherwise it is created when asked to be.
bool ensureFolder(const char* path, bool create, CreatedFolders* created)
{
    DirectoryReader reader;
    if (reader.open(path))
        return true;
    if (!create || !makeDirectory(path))
        return false;
    if (created != nullptr && created->count < CreatedFolders::kMaxLevels) {
        const size_t length = std::strlen(path);
        if (length < sizeof(created->paths[0])) {
            std::memcpy(created->paths[created->count], path, length + 1);
            ++created->count;
        }
    }
    return true;
}

} // namespace

void CreatedFolders::remove()
{
    while (count > 0)
        removeDirectory(paths[--count]);
}

bool getPresetRootPathUnder(const char* base, const char* product, char* out, size_t size, bool create,
                            CreatedFolders* created)
{
    if (out == nullptr || size == 0)
        return false;
    out[0] = '\0';
    if (base == nullptr || base[0] == '\0' || product == nullptr || product[0] == '\0')
        return false;

    const char* parts[] = {base, kMakerFolder, kSettingsFolder, product, kUserPresetsFolder};
    constexpr size_t kParts = sizeof(parts) / sizeof(parts[0]);
    char level[256];
    // Every level, the user presets folder included, must fit before anything is created.
    if (!joinPath(level, sizeof(level), parts, kParts, true))
        return false;
    for (size_t count = 2; count <= kParts; ++count) {
        if (!joinPath(level, sizeof(level), parts, count, false) || !ensureFolder(level, create, created))
            return false;
    }
    char root[256];
    if (!joinPath(root, sizeof(root), parts, 4, true) || std::strlen(root) >= size)
        return false;
    std::memcpy(out, root, std::strlen(root) + 1);
    return true;
}

bool getPresetRootPath(const char* product, char* out, size_t size, CreatedFolders* created)
{
    if (out == nullptr || size == 0)
        return false;
    out[0] = '\0';
    char base[256];
    if (!programFilesFolder(base, sizeof(base)))
        return false;
    return getPresetRootPathUnder(base, product, out, size, true, created);
}

bool getUserPresetRootPath(const char* product, char* out, size_t size, bool create, CreatedFolders* created)
{
    if (out == nullptr || size == 0)
        return false;
    out[0] = '\0';
    char base[256];
    if (!userDataFolder(base, sizeof(base)))
        return false;
    return getPresetRootPathUnder(base, product, out, size, create, created);
}

bool nearestUserPresetLevel(const char* product, char* out, size_t size)
{
    if (out == nullptr || size == 0 || product == nullptr || product[0] == '\0')
        return false;
    char base[256];
    if (!userDataFolder(base, sizeof(base)))
        return false;
    const char* parts[] = {base, kMakerFolder, kSettingsFolder, product, kUserPresetsFolder};
    constexpr size_t kParts = sizeof(parts) / sizeof(parts[0]);
    for (size_t count = kParts; count >= 1; --count) {
        char level[256];
        DirectoryReader reader;
        if (!joinPath(level, sizeof(level), parts, count, false) || !reader.open(level))
            continue;
        if (count == kParts || std::strlen(level) >= size)
            return false;
        std::memcpy(out, level, std::strlen(level) + 1);
        return true;
    }
    return false;
}

bool getSystemPresetRootPath(const char* product, size_t index, char* out, size_t size)
{
    if (out == nullptr || size == 0)
        return false;
    out[0] = '\0';
    if (product == nullptr || product[0] == '\0')
        return false;
    char base[256];
    size_t found = 0;
    for (size_t i = 0; systemDataFolder(i, base, sizeof(base)); ++i) {
        const char* parts[] = {base, kMakerFolder, kSettingsFolder, product};
        char root[256];
        DirectoryReader reader;
        if (!joinPath(root, sizeof(root), parts, 4, true) || !reader.open(root) || found++ != index)
            continue;
        if (std::strlen(root) >= size)
            return false;
        std::memcpy(out, root, std::strlen(root) + 1);
        return true;
    }
    return false;
}

} // namespace platform
