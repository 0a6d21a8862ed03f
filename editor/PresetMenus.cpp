// The preset, save and links menus of CVSTEditor: the preset folders on disk, the menu
// rebuild, the choices, the Save-As prompt and the maker's web pages.
#include "CVSTEditor.h"

#include "CFrame.h"
#include "EditorDialogs.h"
#include "Platform.h"
#include "PresetListing.h"
#include "PresetName.h"
#include "PresetRoot.h"
#include "TextCopy.h"
#include "controls/CButtonMenu.h"
#include "controls/CStaticText.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace VSTGUI;

const char* const kMakerWebSite = "http://www.tarvelle.example";

namespace {

constexpr const char* kProductFolder = "Orvanne";
constexpr const char* kFactoryName = "Factory Setting";
constexpr const char* kUntitledName = "Untitled";
constexpr const char* kHostEntryPrefix = "Saved : ";
constexpr size_t kMenuLabelSize = 64;
constexpr int32_t kFolderEntriesPerColumn = 32;

const char* const kWarningCaption = "Warning";
const char* const kWarningText =
    "Are you sure you want to save/overwite the current preset to the User Presets Folder?";
const char* const kSaveFailedCaption = "Preset Not Saved";
const char* const kFallbackCaption = "Preset Saved";
const char* const kFallbackText = "Saved to your own presets folder: ";
// A preset's path with its extension, for the message when it cannot be written.
constexpr size_t kSaveFilePathSize = kPathSize + 8;
const char* const kAboutText = "About Orvanne\n"
                               "\n"
                               "Version 1.1\n"
                               "\n"
                               "Leveling engine and editor by the Tarvelle audio team\n"
                               "Artwork drawn at build time by the Orvanne artwork generator";

struct WebPage {
    const char* entry;
    const char* path;
};
const WebPage kWebPages[] = {
    {"Tarvelle Website", "/index.html"},
    {"Online Support", "/support/index.html"},
    {"Online Store", "/onlinestore/index.html"},
    {"Check Updates", "/downloads/index.html"},
};

// Whether two names are the same file's: Windows' file systems take the letters in any case
// as one.
bool sameFileName(const char* a, const char* b)
{
#if defined(_WIN32)
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        const char x = *a >= 'a' && *a <= 'z' ? static_cast<char>(*a - 'a' + 'A') : *a;
        const char y = *b >= 'a' && *b <= 'z' ? static_cast<char>(*b - 'a' + 'A') : *b;
        if (x != y)
            return false;
    }
    return *a == *b;
#else
    return std::strcmp(a, b) == 0;
#endif
}

// The user is told once per process where saves go when the program-files folder is not
// theirs to write; after that the merged menu shows them where they expect them.
bool fallbackTold = false;

} // namespace

void CVSTEditor::forgetFallbackNotice()
{
    fallbackTold = false;
}

int32_t CVSTEditor::presetRoots(char (*roots)[kPathSize], int32_t capacity, bool createProgramFiles)
{
    // In order of precedence: the system roots (Linux: banks a package put under
    // $XDG_DATA_DIRS; never written), the program-files root (banks an installer put there,
    // and the user presets of whoever may write there), then the user's own root, where
    // presets go when the program-files root cannot be written.
    int32_t count = 0;
    const auto keep = [&]() {
        for (int32_t i = 0; i < count; ++i)
            if (std::strcmp(roots[i], roots[count]) == 0)
                return;
        ++count;
    };
    char programFiles[kPathSize];
    const bool haveProgramFiles = createProgramFiles && getPresetRootPath(kProductFolder, programFiles);
    for (size_t i = 0;
         capacity > count && platform::getSystemPresetRootPath(kProductFolder, i, roots[count], kPathSize); ++i)
        if (!haveProgramFiles || std::strcmp(roots[count], programFiles) != 0)
            keep();
    if (capacity > count && haveProgramFiles) {
        std::memcpy(roots[count], programFiles, kPathSize);
        keep();
    }
    if (capacity > count && platform::getUserPresetRootPath(kProductFolder, roots[count], kPathSize, false))
        keep();
    return count;
}

bool CVSTEditor::getPresetRootPath(const char* product, char* out)
{
    if (out == nullptr)
        return false;
    return platform::getPresetRootPath(product, out, kPathSize);
}

void CVSTEditor::openWebPage(const char* url)
{
    if (url == nullptr)
        return;
    editor::openPage(url);
}

void CVSTEditor::releaseFolderMenus()
{
    // The submenus belong to the preset menu, which lets them go with its entries.
    if (presetMenu != nullptr)
        presetMenu->removeAllEntry();
    for (CButtonMenu*& menu : folderMenus)
        menu = nullptr;
    folderMenuCount = 0;
}

void CVSTEditor::addPresetEntry(int32_t menuIndex, const char* label)
{
    if (menuIndex < 0 || menuIndex >= folderMenuCount || label == nullptr)
        return;
    if (folderMenus[menuIndex] != nullptr)
        folderMenus[menuIndex]->addEntry(label);
    if (listingInProgress != nullptr && static_cast<size_t>(menuIndex) < listingInProgress->folders.size())
        listingInProgress->folders[static_cast<size_t>(menuIndex)].labels.emplace_back(label);
}

CButtonMenu* CVSTEditor::newFolderMenu(int32_t k)
{
    CButtonMenu* menu = new CButtonMenu(CRect(60, 28, 212, 48), this, kTagFirstFolder + k, nullptr, nullptr,
                                        StylePopup);
    folderMenus[k] = menu;
    folderMenuCount = k + 1;
    return menu;
}

void CVSTEditor::attachFolderMenu(CButtonMenu* menu, const char* folderName)
{
    menu->setNbItemsPerColumn(kFolderEntriesPerColumn);
    presetMenu->addEntry(menu, folderName);
    // The preset menu holds the submenu from here on.
    menu->release();
}

void CVSTEditor::addFolderMenus(const PresetListing& listing, VstInt32& next)
{
    // What the disk held at the last listing, which nothing has changed since: the same
    // submenus and the same records, without reading a folder.
    copyText(owner->getPresetRootPath(), listing.rootPath.c_str(), kPathSize);
    const size_t count = listing.folders.size() < static_cast<size_t>(kFolderMenuLimit)
        ? listing.folders.size()
        : static_cast<size_t>(kFolderMenuLimit);
    for (size_t k = 0; k < count; ++k) {
        const PresetListing::Folder& folder = listing.folders[k];
        CButtonMenu* menu = newFolderMenu(static_cast<int32_t>(k));
        owner->setPresetFolderName(static_cast<VstInt32>(k), folder.name.c_str());
        folderFirstIndex[k] = folder.firstIndex;
        for (const std::string& label : folder.labels)
            menu->addEntry(label.c_str());
        attachFolderMenu(menu, folder.name.c_str());
    }
    next = 2;
    for (const PresetRecord& record : listing.records) {
        if (next >= kPresetTableSize)
            break;
        owner->presetRecord(next++) = record;
    }
}

void CVSTEditor::buildPresetMenu(bool save, const char* name)
{
    if (save) {
        if (name != nullptr && name[0] != '\0')
            savePreset(name);
        return;
    }

    if (presetMenu == nullptr)
        return;
    releaseFolderMenus();
    presetMenu->addEntry(kFactoryName);
    presetMenu->addEntry("-");

    // This build shows the host's state as it is now: an earlier request is answered.
    hostEntryRequested.store(false, std::memory_order_relaxed);
    char label[kMenuLabelSize];
    hostEntryListed = hostEntryLabel(label, sizeof(label));
    if (hostEntryListed) {
        presetMenu->addEntry(label);
        presetMenu->addEntry("-");
    }

    VstInt32 next = 2;
    if (const PresetListing* known = preset_listing::unchanged()) {
        addFolderMenus(*known, next);
    } else {
        char* root = owner->getPresetRootPath();
        getPresetRootPath(kProductFolder, root);
        char roots[kMaxPresetRoots][kPathSize];
        const int32_t rootCount = presetRoots(roots, kMaxPresetRoots, true);
        const char* rootList[kMaxPresetRoots];
        for (int32_t r = 0; r < rootCount; ++r)
            rootList[r] = roots[r];
        // The watch starts before the folders are read: a change made meanwhile is reported.
        PresetListing listing;
        listingInProgress = preset_listing::watch(kProductFolder, rootList, rootCount) ? &listing : nullptr;
        addFolderMenus(roots, rootCount, next);
        if (listingInProgress != nullptr) {
            listingInProgress = nullptr;
            listing.rootPath = root;
            for (VstInt32 i = 2; i < next; ++i)
                listing.records.push_back(owner->getPresetRecord(i));
            preset_listing::keep(std::move(listing));
        }
    }
    owner->setPresetCount(next);
    owner->updateDisplay();
    showPresetName();
}

void CVSTEditor::addFolderMenus(const char (*roots)[kPathSize], int32_t rootCount, VstInt32& next)
{
    // A folder name found in several roots is one submenu holding the presets of all of them.
    const char* rootList[kMaxPresetRoots];
    for (int32_t r = 0; r < rootCount; ++r)
        rootList[r] = roots[r];
    VstInt32 count = owner->listPresetFolders(rootList, rootCount);
    if (count > kFolderMenuLimit)
        count = kFolderMenuLimit;
    for (VstInt32 k = 0; k < count; ++k) {
        CButtonMenu* menu = newFolderMenu(k);
        const char* folderName = owner->getPresetFolderName(k);
        char folderPaths[kMaxPresetRoots][kPathSize];
        const char* folderList[kMaxPresetRoots];
        for (int32_t r = 0; r < rootCount; ++r) {
            int written = std::snprintf(folderPaths[r], kPathSize, "%s%s%c", roots[r], folderName,
                                        platform::kPathSeparator);
            folderList[r] = written > 0 && written < static_cast<int>(kPathSize) ? folderPaths[r] : nullptr;
        }
        folderFirstIndex[k] = next;
        if (listingInProgress != nullptr) {
            for (int32_t r = 0; r < rootCount; ++r)
                preset_listing::watchFolder(folderList[r]);
            listingInProgress->folders.emplace_back();
            listingInProgress->folders.back().name = folderName;
            listingInProgress->folders.back().firstIndex = next;
        }
        next = owner->addPresetsToMenu(folderList, rootCount, next, k);
        attachFolderMenu(menu, folderName);
    }
}

bool CVSTEditor::presetFileExists(const char* name)
{
    char fileName[kPresetNameSize + 8];
    std::snprintf(fileName, sizeof(fileName), "%s.prg", name);
    char roots[kMaxPresetRoots][kPathSize];
    const int32_t rootCount = presetRoots(roots, kMaxPresetRoots, true);
    for (int32_t r = 0; r < rootCount; ++r) {
        char folder[kPathSize];
        int written = std::snprintf(folder, sizeof(folder), "%s%s", roots[r], platform::kUserPresetsFolder);
        platform::DirectoryReader reader;
        if (written <= 0 || static_cast<size_t>(written) >= sizeof(folder) || !reader.open(folder))
            continue;
        platform::DirectoryEntry entry;
        while (reader.next(entry)) {
            if (sameFileName(entry.name, fileName) && !entry.isDirectory)
                return true;
        }
    }
    return false;
}

bool CVSTEditor::savePresetUnder(const char* root, const char* name, char* filePath, char* reason, size_t reasonSize)
{
    char path[kPathSize];
    int written = std::snprintf(path, sizeof(path), "%s%s%c%s", root, platform::kUserPresetsFolder,
                                platform::kPathSeparator, name);
    std::snprintf(filePath, kSaveFilePathSize, "%s.prg", path);
    if (written < 0 || static_cast<size_t>(written) >= sizeof(path)) {
        copyText(reason, "the path is too long", reasonSize);
        return false;
    }
    return owner->savePresetFile(path, reason, reasonSize);
}

bool CVSTEditor::savePreset(const char* name)
{
    // Where the program-files root cannot be created or written (a user without the right
    // to write there), the preset goes to the user's own root, and the user is told so. A
    // save that fails in both is reported, the program keeps its name, and any folder made
    // for it is taken away again, so no one believes it saved.
    // Whatever the save writes or takes away again, the next rebuild lists it (the watch's
    // notice may come later than that).
    preset_listing::forget();
    char filePath[kSaveFilePathSize];
    std::snprintf(filePath, sizeof(filePath), "%s.prg", name);
    char reason[160] = "no preset folder could be created";
    // A name no file system of ours would keep as it is refused before anything is made.
    if (const char* refusal = platform::presetNameRefusal(name)) {
        copyText(reason, refusal, sizeof(reason));
    } else {
        platform::CreatedFolders created;
        char root[kPathSize] = {};
        if (platform::getPresetRootPath(kProductFolder, root, sizeof(root), &created) &&
            savePresetUnder(root, name, filePath, reason, sizeof(reason)))
            return true;
        char userRoot[kPathSize];
        if (platform::getUserPresetRootPath(kProductFolder, userRoot, sizeof(userRoot), true, &created) &&
            std::strcmp(userRoot, root) != 0 && savePresetUnder(userRoot, name, filePath, reason, sizeof(reason))) {
            if (!fallbackTold) {
                fallbackTold = true;
                char text[kSaveFilePathSize + 64];
                std::snprintf(text, sizeof(text), "%s%s", kFallbackText, filePath);
                editor::showInformation(kFallbackCaption, text);
            }
            return true;
        }
        created.remove();
    }
    char text[kSaveFilePathSize + 200];
    std::snprintf(text, sizeof(text), "The preset could not be saved as \"%s\": %s.", filePath, reason);
    editor::showError(kSaveFailedCaption, text);
    return false;
}

bool CVSTEditor::hostEntryLabel(char* label, size_t size) const
{
    const PresetRecord& hostRecord = owner->getPresetRecord(1);
    if (std::strncmp(hostRecord.presetName, kFactoryName, kPresetNameSize) == 0)
        return false;
    char hostName[kPresetNameSize];
    copyText(hostName, hostRecord.presetName, sizeof(hostName));
    std::snprintf(label, size, "%s%s", kHostEntryPrefix, hostName);
    return true;
}

void CVSTEditor::hostStateRestored()
{
    // Any thread: the menu belongs to the window's thread, which renews the entry in idle.
    hostEntryRequested.store(true, std::memory_order_release);
}

void CVSTEditor::showHostEntry()
{
    if (!editorOpen.load(std::memory_order_relaxed) || presetMenu == nullptr)
        return;
    // Entries 0 and 1 are "Factory Setting" and its separator; the host's entry and its own
    // separator follow them when listed.
    char label[kMenuLabelSize];
    const bool listed = hostEntryLabel(label, sizeof(label));
    if (listed && hostEntryListed) {
        presetMenu->setEntry(2, label);
    } else if (listed) {
        presetMenu->addEntry(label, 2);
        presetMenu->addEntry("-", 3);
    } else if (hostEntryListed) {
        presetMenu->removeEntry(3);
        presetMenu->removeEntry(2);
    }
    hostEntryListed = listed;
}

void CVSTEditor::updatePresetNameDisplay()
{
    // Any thread: the name is read and shown by the next idle.
    presetNameRequested.store(true, std::memory_order_release);
}

void CVSTEditor::showPresetName()
{
    if (!editorOpen.load(std::memory_order_relaxed) || presetNameText == nullptr)
        return;
    // The whole name (31 characters); only the host's program-name opcode cuts it.
    char name[kPathSize] = {};
    owner->getCurrentPresetName(name);
    presetNameText->setText(name);
}

bool CVSTEditor::askPresetName()
{
    editor::runSaveAsDialog(toolkitFrame != nullptr ? toolkitFrame->getWindow() : nullptr);
    copyText(typedPresetName, editor::dialogName(), sizeof(typedPresetName));
    return typedPresetName[0] != '\0';
}

void CVSTEditor::presetMenuChosen(int32_t entry)
{
    if (entry == 0)
        owner->recallFactorySetting(0);
    else if (entry == 2 && hostEntryListed)
        owner->recallPreset(1);
    markFrameDirty();
}

void CVSTEditor::folderMenuChosen(int32_t folder, int32_t entry)
{
    if (folder < 0 || folder >= folderMenuCount || entry < 0)
        return;
    const int32_t index = folderFirstIndex[folder] + entry;
    // Only entries the last rebuild put into the table.
    if (index >= owner->getPresetCount())
        return;
    owner->recallPreset(index);
}

void CVSTEditor::saveMenuChosen(const char* entry)
{
    bool confirmed = false;
    bool typed = false;
    char name[kPresetNameSize] = {};
    if (std::strcmp(entry, "Save New Preset As...") == 0) {
        typed = true;
    } else if (std::strcmp(entry, "Save Current Preset") == 0) {
        owner->getCurrentPresetName(name);
        if (std::strcmp(name, kUntitledName) == 0)
            typed = true;
        else
            confirmed = editor::askQuestion(kWarningCaption, kWarningText);
    } else {
        return;
    }
    if (typed) {
        confirmed = askPresetName();
        copyText(name, typedPresetName, sizeof(name));
        // A typed name that is already a preset replaces it only after the same question as
        // "Save Current Preset"; No writes nothing, and the typed name stays the dialog's.
        if (confirmed && platform::presetNameRefusal(name) == nullptr && presetFileExists(name))
            confirmed = editor::askQuestion(kWarningCaption, kWarningText);
    }
    // The user's preset is saved even when the host closed the window during the prompt.
    const bool saved = confirmed && savePreset(name);
    if (!editorOpen.load(std::memory_order_relaxed))
        return;
    buildPresetMenu(false, "");
    if (saved)
        selectSavedPreset(name);
    markFrameDirty();
}

void CVSTEditor::selectSavedPreset(const char* name)
{
    if (name == nullptr || name[0] == '\0')
        return;
    for (int32_t k = 0; k < folderMenuCount; ++k) {
        if (folderMenus[k] == nullptr || std::strcmp(owner->getPresetFolderName(k), platform::kUserPresetsFolder) != 0)
            continue;
        char label[COptionMenu::kEntryTextSize];
        for (int32_t j = 0; j < folderMenus[k]->getNbEntries(); ++j) {
            if (folderMenus[k]->getEntry(j, label) && std::strcmp(label, name) == 0) {
                owner->setCurrentPresetIndex(folderFirstIndex[k] + j);
                return;
            }
        }
    }
}

void CVSTEditor::linksMenuChosen(const char* entry)
{
    if (std::strcmp(entry, "About Orvanne...") == 0) {
        editor::showInformation("", kAboutText);
        return;
    }
    for (const WebPage& page : kWebPages) {
        if (std::strcmp(entry, page.entry) == 0) {
            char url[kPathSize];
            std::snprintf(url, sizeof(url), "%s%s", kMakerWebSite, page.path);
            openWebPage(url);
            return;
        }
    }
}
