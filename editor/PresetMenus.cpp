// The preset, save and links menus of CVSTEditor: the preset folders on disk, the menu
// rebuild, the choices, the Save-As prompt and the maker's web pages.
#include "CVSTEditor.h"

#include "CFrame.h"
#include "EditorDialogs.h"
#include "Platform.h"
#include "PresetRoot.h"
#include "TextCopy.h"
#include "controls/CButtonMenu.h"
#include "controls/CStaticText.h"

#include <cstdio>
#include <cstring>

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

// A name that would not stay inside the user presets folder as a file name.
bool escapesFolder(const char* name)
{
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
        return true;
    return std::strchr(name, '/') != nullptr || std::strchr(name, '\\') != nullptr;
}

} // namespace

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
}

void CVSTEditor::buildPresetMenu(bool save, const char* name)
{
    if (save) {
        if (name == nullptr || name[0] == '\0')
            return;
        savePreset(name);
        return;
    }

    if (presetMenu == nullptr)
        return;
    releaseFolderMenus();
    presetMenu->addEntry(kFactoryName);
    presetMenu->addEntry("-");

    const PresetRecord& hostRecord = owner->getPresetRecord(1);
    hostEntryListed = std::strncmp(hostRecord.presetName, kFactoryName, kPresetNameSize) != 0;
    if (hostEntryListed) {
        char label[kMenuLabelSize];
        char hostName[kPresetNameSize];
        copyText(hostName, hostRecord.presetName, sizeof(hostName));
        std::snprintf(label, sizeof(label), "%s%s", kHostEntryPrefix, hostName);
        presetMenu->addEntry(label);
        presetMenu->addEntry("-");
    }

    // The system roots first (Linux: banks a package put under $XDG_DATA_DIRS), then the
    // program-files root (banks an installer put there), then the user's own root where
    // presets go when the program-files one cannot be written.
    char* root = owner->getPresetRootPath();
    getPresetRootPath(kProductFolder, root);
    VstInt32 next = 2;
    VstInt32 menus = 0;
    char systemRoot[kPathSize];
    for (size_t i = 0; platform::getSystemPresetRootPath(kProductFolder, i, systemRoot, sizeof(systemRoot)); ++i) {
        if (std::strcmp(systemRoot, root) != 0)
            menus = addFolderMenus(systemRoot, menus, next);
    }
    menus = addFolderMenus(root, menus, next);
    char userRoot[kPathSize];
    if (platform::getUserPresetRootPath(kProductFolder, userRoot, sizeof(userRoot), false) &&
        std::strcmp(userRoot, root) != 0)
        addFolderMenus(userRoot, menus, next);
    owner->setPresetCount(next);
    owner->updateDisplay();
    showPresetName();
}

VstInt32 CVSTEditor::addFolderMenus(const char* root, VstInt32 first, VstInt32& next)
{
    VstInt32 count = owner->listPresetFolders(root);
    if (count > kFolderMenuLimit - first)
        count = kFolderMenuLimit - first;
    for (VstInt32 i = 0; i < count; ++i) {
        const VstInt32 k = first + i;
        CButtonMenu* menu = new CButtonMenu(CRect(60, 28, 212, 48), this, kTagFirstFolder + k, nullptr, nullptr,
                                            StylePopup);
        folderMenus[k] = menu;
        folderMenuCount = k + 1;
        const char* folderName = owner->getPresetFolderName(i);
        char folderPath[kPathSize];
        int written = std::snprintf(folderPath, sizeof(folderPath), "%s%s%c", root, folderName,
                                    platform::kPathSeparator);
        folderFirstIndex[k] = next;
        if (written > 0 && static_cast<size_t>(written) < sizeof(folderPath))
            next = owner->addPresetsToMenu(folderPath, next, k);
        menu->setNbItemsPerColumn(kFolderEntriesPerColumn);
        presetMenu->addEntry(menu, folderName);
        // The preset menu holds the submenu from here on.
        menu->release();
    }
    return first + (count > 0 ? count : 0);
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

void CVSTEditor::savePreset(const char* name)
{
    // Where the program-files root cannot be created or written (a user without the right
    // to write there), the preset goes to the user's own root. A save that fails in both
    // is reported, and the program keeps its name, so no one believes it saved.
    char filePath[kSaveFilePathSize];
    std::snprintf(filePath, sizeof(filePath), "%s.prg", name);
    char reason[160] = "no preset folder could be created";
    if (escapesFolder(name)) {
        copyText(reason, "the name cannot be a file name", sizeof(reason));
    } else {
        char root[kPathSize] = {};
        if (getPresetRootPath(kProductFolder, root) && savePresetUnder(root, name, filePath, reason, sizeof(reason)))
            return;
        char userRoot[kPathSize];
        if (platform::getUserPresetRootPath(kProductFolder, userRoot, sizeof(userRoot), true) &&
            std::strcmp(userRoot, root) != 0 && savePresetUnder(userRoot, name, filePath, reason, sizeof(reason)))
            return;
    }
    char text[kSaveFilePathSize + 200];
    std::snprintf(text, sizeof(text), "The preset could not be saved as \"%s\": %s.", filePath, reason);
    editor::showError(kSaveFailedCaption, text);
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
    char name[kPresetNameSize] = {};
    if (std::strcmp(entry, "Save New Preset As...") == 0) {
        confirmed = askPresetName();
        copyText(name, typedPresetName, sizeof(name));
    } else if (std::strcmp(entry, "Save Current Preset") == 0) {
        owner->getCurrentPresetName(name);
        if (std::strcmp(name, kUntitledName) == 0) {
            confirmed = askPresetName();
            copyText(name, typedPresetName, sizeof(name));
        } else {
            confirmed = editor::askQuestion(kWarningCaption, kWarningText);
        }
    } else {
        return;
    }
    // The user's preset is saved even when the host closed the window during the prompt.
    if (confirmed)
        buildPresetMenu(true, name);
    if (!editorOpen.load(std::memory_order_relaxed))
        return;
    buildPresetMenu(false, "");
    if (confirmed)
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
