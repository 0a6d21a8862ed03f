// Chunks, ".prg" preset files, preset folders and the next / previous preset steps.
#include "TarvelleVST.h"

#include "AEffEditor.h"
#include "Platform.h"
#include "TextCopy.h"

#include "PresetName.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr VstInt32 kRecordSize = static_cast<VstInt32>(sizeof(PresetRecord));
constexpr VstInt32 kHostSlot = 1;
constexpr VstInt32 kFirstUserSlot = 2;
constexpr size_t kLabelSize = 64;
const char* const kPresetExtension = ".prg";
const char* const kRejectCaption = "Error -4588";
const char* const kRejectText =
    "Cannot load  the file: The selected file does not match the plug-in parameters. No change occurred.";

// Names read from a host or a file may lack their terminator; the last byte always ends them.
void terminateName(PresetRecord& record)
{
    record.presetName[kPresetNameSize - 1] = '\0';
}

// prefix followed by suffix into out; false when it does not fit.
bool joinText(char* out, size_t size, const char* prefix, const char* suffix)
{
    size_t a = std::strlen(prefix);
    size_t b = std::strlen(suffix);
    if (a + b >= size)
        return false;
    std::memcpy(out, prefix, a);
    std::memcpy(out + a, suffix, b + 1);
    return true;
}

} // namespace

VstInt32 CTarvelleVST::getChunk(void** data, bool isPreset)
{
    (void)isPreset;
    if (data == nullptr || presetTable == nullptr)
        return 0;
    PresetRecord& record = presetTable[currentPresetIndex];
    for (VstInt32 i = 0; i < kPresetValueCount; ++i)
        record.presetValues[i] = getParameter(i);
    getCurrentPresetName(record.presetName);
    *data = &record;
    return kRecordSize;
}

VstInt32 CTarvelleVST::setChunk(void* data, VstInt32 byteSize, bool isPreset)
{
    (void)isPreset;
    // Only a whole record is state; shorter, longer or missing data changes nothing.
    if (data == nullptr || byteSize != kRecordSize || presetTable == nullptr) {
        platform::showErrorMessage(kRejectCaption, kRejectText);
        return 0;
    }
    currentPresetIndex = kHostSlot;
    PresetRecord& record = presetTable[kHostSlot];
    std::memcpy(&record, data, sizeof(record));
    terminateName(record);
    for (VstInt32 i = 0; i < kPresetValueCount; ++i)
        setParameter(i, record.presetValues[i]);
    char name[kPresetNameSize];
    copyText(name, record.presetName, sizeof(name));
    setCurrentPresetName(name);
    // An open editor shows the restored name, as after any other change of preset, and its
    // menu's entry for the host's state names what it now holds.
    if (editor != nullptr && editorLink != nullptr && editor->isOpen()) {
        editorLink->hostStateRestored();
        editorLink->updatePresetNameDisplay();
    }
    return 1;
}

namespace {

VstInt32 validCount(VstInt32 count)
{
    return count > kPresetTableSize ? kPresetTableSize : count;
}

} // namespace

void CTarvelleVST::nextPreset()
{
    VstInt32 count = validCount(presetCount);
    if (presetTable == nullptr || count <= kFirstUserSlot)
        return;
    VstInt32 index = currentPresetIndex + 1;
    if (index == kHostSlot || index >= count)
        index = kFirstUserSlot;
    recallPreset(index);
    updateDisplay();
    requestReset();
}

void CTarvelleVST::previousPreset()
{
    VstInt32 count = validCount(presetCount);
    if (presetTable == nullptr || count <= kFirstUserSlot)
        return;
    VstInt32 index = currentPresetIndex - 1;
    if (index < kFirstUserSlot || index >= count)
        index = count - 1;
    recallPreset(index);
    updateDisplay();
    requestReset();
}

bool CTarvelleVST::savePresetFile(const char* path, char* reason, size_t reasonSize)
{
    auto fail = [reason, reasonSize](const char* why) {
        if (reason != nullptr && reasonSize > 0)
            copyText(reason, why, reasonSize);
        return false;
    };
    if (path == nullptr || path[0] == '\0' || presetTable == nullptr)
        return fail("no file name");
    const char* separator = std::strrchr(path, platform::kPathSeparator);
    const char* fileName = separator != nullptr ? separator + 1 : path;
    char filePath[kPathSize];
    if (fileName[0] == '\0')
        return fail("no file name");
    if (const char* refusal = platform::presetNameRefusal(fileName))
        return fail(refusal);
    if (!joinText(filePath, sizeof(filePath), path, kPresetExtension))
        return fail("the path is too long");

    // The record as it will be once saved: the file's name and the current values. The program
    // keeps its old name until the file is really there, so a failed save is not mistaken
    // for a saved one.
    PresetRecord saved = presetTable[currentPresetIndex];
    copyText(saved.presetName, fileName, sizeof(saved.presetName));
    for (VstInt32 i = 0; i < kPresetValueCount; ++i)
        saved.presetValues[i] = getParameter(i);

    errno = 0;
    std::FILE* file = std::fopen(filePath, "wb");
    if (file == nullptr)
        return fail(errno != 0 ? std::strerror(errno) : "the file cannot be created");
    bool written = std::fwrite(&saved, sizeof(saved), 1, file) == 1;
    int error = written ? 0 : errno;
    if (std::fclose(file) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written) {
        // A partly written record would be a corrupt preset; leave no file instead.
        std::remove(filePath);
        return fail(error != 0 ? std::strerror(error) : "the file cannot be written");
    }
    char name[kPresetNameSize];
    copyText(name, fileName, sizeof(name));
    setCurrentPresetName(name);
    PresetRecord& record = presetTable[currentPresetIndex];
    for (VstInt32 i = 0; i < kPresetValueCount; ++i)
        record.presetValues[i] = saved.presetValues[i];
    return true;
}

bool CTarvelleVST::loadPresetFile(VstInt32 index, const char* path)
{
    if (path == nullptr || presetTable == nullptr || index < 0 || index >= kPresetTableSize)
        return false;
    const char* extension = std::strrchr(path, '.');
    if (extension == nullptr || std::strcmp(extension, kPresetExtension) != 0)
        return false;
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
        return false;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        size = std::ftell(file);
    // Exactly one record; anything shorter or longer leaves the table as it was.
    PresetRecord loaded;
    bool complete = size == kRecordSize && std::fseek(file, 0, SEEK_SET) == 0 &&
        std::fread(&loaded, sizeof(loaded), 1, file) == 1;
    std::fclose(file);
    if (!complete)
        return false;
    terminateName(loaded);
    presetTable[index] = loaded;
    return loaded.presetTag == kUniqueId;
}

namespace {

// Merges lists that are each in listing order into one in listing order; of entries that
// compare equal, those of an earlier list come first. Each entry: (list number, position).
template <typename Name>
std::vector<std::pair<size_t, size_t>> mergeListings(const std::vector<std::vector<std::string>>& lists, Name name)
{
    std::vector<std::pair<size_t, size_t>> merged;
    std::vector<size_t> heads(lists.size(), 0);
    for (;;) {
        size_t best = lists.size();
        for (size_t i = 0; i < lists.size(); ++i) {
            if (heads[i] >= lists[i].size())
                continue;
            if (best == lists.size() ||
                platform::nameListedBefore(name(lists[i][heads[i]]), name(lists[best][heads[best]])))
                best = i;
        }
        if (best == lists.size())
            return merged;
        merged.emplace_back(best, heads[best]++);
    }
}

} // namespace

VstInt32 CTarvelleVST::addPresetsToMenu(const char* folder, VstInt32 firstIndex, VstInt32 menuIndex)
{
    return addPresetsToMenu(&folder, 1, firstIndex, menuIndex);
}

VstInt32 CTarvelleVST::addPresetsToMenu(const char* const* folders, VstInt32 folderCount, VstInt32 firstIndex,
                                        VstInt32 menuIndex)
{
    // The factory and host slots are never filled from disk.
    if (folders == nullptr || folderCount <= 0 || firstIndex < kFirstUserSlot || firstIndex >= kPresetTableSize)
        return firstIndex;
    // The file names of every folder, each list in its folder's order; merged, same-named
    // folders of several roots read as one, the first root's file first where names are equal.
    std::vector<std::vector<std::string>> names(static_cast<size_t>(folderCount));
    for (VstInt32 f = 0; f < folderCount; ++f) {
        const char* folder = folders[f];
        platform::DirectoryReader reader;
        if (folder == nullptr || folder[0] == '\0' || !reader.open(folder))
            continue;
        platform::DirectoryEntry entry;
        while (reader.next(entry)) {
            if (!entry.isDirectory && std::strstr(entry.name, kPresetExtension) != nullptr)
                names[static_cast<size_t>(f)].emplace_back(entry.name);
        }
    }
    VstInt32 next = firstIndex;
    for (const auto& at : mergeListings(names, [](const std::string& n) { return n.c_str(); })) {
        if (next >= kPresetTableSize)
            break;
        const std::string& name = names[at.first][at.second];
        char fullPath[kPathSize];
        if (!joinText(fullPath, sizeof(fullPath), folders[at.first], name.c_str()))
            continue;
        if (!loadPresetFile(next, fullPath))
            continue;
        char label[kLabelSize];
        size_t labelLength = name.size() >= 4 ? name.size() - 4 : 0;
        if (labelLength >= sizeof(label))
            labelLength = sizeof(label) - 1;
        std::memcpy(label, name.data(), labelLength);
        label[labelLength] = '\0';
        if (presetMenuTarget != nullptr)
            presetMenuTarget->addPresetEntry(menuIndex, label);
        ++next;
    }
    return next;
}

VstInt32 CTarvelleVST::countPresetFiles(const char* folder)
{
    if (folder == nullptr || folder[0] == '\0')
        return 0;
    platform::DirectoryReader reader;
    if (!reader.open(folder))
        return 0;
    VstInt32 count = 0;
    platform::DirectoryEntry entry;
    while (reader.next(entry)) {
        if (std::strstr(entry.name, kPresetExtension) != nullptr)
            ++count;
    }
    return count;
}

VstInt32 CTarvelleVST::listPresetFolders(const char* root)
{
    // No root (it could not be found or created): nothing is listed.
    if (root == nullptr || root[0] == '\0' || presetFolderNames == nullptr)
        return 0;
    platform::DirectoryReader reader;
    if (!reader.open(root))
        return 0;
    size_t rootLength = std::strlen(root);
    VstInt32 count = 0;
    platform::DirectoryEntry entry;
    while (count < kPresetFolderCount && reader.next(entry)) {
        size_t length = std::strlen(entry.name);
        if (!entry.isDirectory || entry.name[0] == '.' || length <= 2)
            continue;
        // A name that does not fit its slot, or a folder whose path (root, name, separator)
        // would not fit a path buffer, is left out rather than cut into a wrong one.
        if (length >= static_cast<size_t>(kPresetNameSize) || rootLength + length + 1 >= static_cast<size_t>(kPathSize))
            continue;
        std::memcpy(presetFolderNames[count], entry.name, length + 1);
        ++count;
    }
    return count;
}

VstInt32 CTarvelleVST::listPresetFolders(const char* const* roots, VstInt32 rootCount)
{
    if (roots == nullptr || rootCount <= 0 || presetFolderNames == nullptr)
        return 0;
    std::vector<std::vector<std::string>> names(static_cast<size_t>(rootCount));
    for (VstInt32 r = 0; r < rootCount; ++r) {
        const VstInt32 count = listPresetFolders(roots[r]);
        for (VstInt32 i = 0; i < count; ++i)
            names[static_cast<size_t>(r)].emplace_back(presetFolderNames[i]);
    }
    // One name for the folders of that name in every root, in listing order.
    VstInt32 count = 0;
    for (const auto& at : mergeListings(names, [](const std::string& n) { return n.c_str(); })) {
        const std::string& name = names[at.first][at.second];
        if (count > 0 && name == presetFolderNames[count - 1])
            continue;
        if (count == kPresetFolderCount)
            break;
        std::memcpy(presetFolderNames[count], name.c_str(), name.size() + 1);
        ++count;
    }
    return count;
}
