// Chunks, ".prg" preset files, preset folders and the next / previous preset steps.
#include "TarvelleVST.h"

#include "AEffEditor.h"
#include "Platform.h"
#include "TextCopy.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

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
    // An open editor shows the restored name, as after any other change of preset.
    if (editor != nullptr && editorLink != nullptr && editor->isOpen())
        editorLink->updatePresetNameDisplay();
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

VstInt32 CTarvelleVST::addPresetsToMenu(const char* folder, VstInt32 firstIndex, VstInt32 menuIndex)
{
    // The factory and host slots are never filled from disk.
    if (folder == nullptr || folder[0] == '\0' || firstIndex < kFirstUserSlot || firstIndex >= kPresetTableSize)
        return firstIndex;
    VstInt32 next = firstIndex;
    platform::DirectoryReader reader;
    if (!reader.open(folder))
        return next;
    platform::DirectoryEntry entry;
    while (next < kPresetTableSize && reader.next(entry)) {
        if (entry.isDirectory || std::strstr(entry.name, kPresetExtension) == nullptr)
            continue;
        char fullPath[kPathSize];
        if (!joinText(fullPath, sizeof(fullPath), folder, entry.name))
            continue;
        if (!loadPresetFile(next, fullPath))
            continue;
        char label[kLabelSize];
        size_t length = std::strlen(entry.name);
        size_t labelLength = length >= 4 ? length - 4 : 0;
        if (labelLength >= sizeof(label))
            labelLength = sizeof(label) - 1;
        std::memcpy(label, entry.name, labelLength);
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
