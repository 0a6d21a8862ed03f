// Editors of one process share the last listing of the preset folders: an editor opened while
// another is open lists what a fresh listing of the disk gives, whether nothing changed, a
// preset file or folder changed on disk in between (under Wine the change is reported a
// little later, so the test waits for it, bounded), or the first editor saved a preset.
#include "PresetListing.h"
#include "CVSTEditor.h"
#include "EditorDialogs.h"
#include "FolderWatch.h"
#include "PluginFactory.h"
#include "PresetFiles.h"
#include "PresetFolders.h"
#include "RecordingHost.h"
#include "TempTree.h"
#include "WaitFor.h"
#include "controls/CButtonMenu.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

class QuietDialogs : public editor::DialogPresenter {
public:
    bool askQuestion(const char*, const char*) override { return false; }
    void showInformation(const char*, const char*) override {}
    bool askName(void*, char*, size_t) override { return false; }
    void openPage(const char*) override {}
    void showError(const char*, const char*) override {}
};

// An effect with its editor, opened into a window of its own (Windows: a hidden one).
struct Instance {
    Instance()
    {
        effect = static_cast<CTarvelleVST*>(createEffectInstance(test_support::recordingHostCallback));
        editor = effect != nullptr ? static_cast<CVSTEditor*>(effect->getEditor()) : nullptr;
#if defined(_WIN32)
        window = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 960, 320, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
#endif
    }
    ~Instance()
    {
        delete effect;
#if defined(_WIN32)
        DestroyWindow(static_cast<HWND>(window));
#endif
    }
    bool open()
    {
        return editor != nullptr && editor->open(window);
    }
    void close()
    {
        editor->close();
    }

    // The submenus with their first indices and labels, the records behind them and the root.
    std::string listed() const
    {
        std::string text = std::string("root ") + effect->getPresetRootPath() + "\n";
        char label[256];
        for (int32_t k = 0; VSTGUI::CButtonMenu* menu = editor->getFolderMenu(k); ++k) {
            text += std::string(effect->getPresetFolderName(k)) + " @" +
                std::to_string(editor->getFolderFirstIndex(k)) + ":";
            for (int32_t j = 0; j < menu->getNbEntries(); ++j)
                text += std::string(" ") + (menu->getEntry(j, label) ? label : "?");
            text += "\n";
        }
        for (VstInt32 i = 2; i < effect->getPresetCount(); ++i) {
            const PresetRecord& record = effect->getPresetRecord(i);
            char values[96];
            std::snprintf(values, sizeof(values), ":%g,%g,%g,%g,%g", record.presetValues[0], record.presetValues[1],
                          record.presetValues[2], record.presetValues[3], record.presetValues[4]);
            text += std::to_string(i) + " " + record.presetName + values + "\n";
        }
        return text;
    }
    std::vector<std::string> presetMenuEntries() const
    {
        std::vector<std::string> entries;
        char label[256];
        for (int32_t i = 0; i < editor->getPresetMenu()->getNbEntries(); ++i)
            entries.push_back(editor->getPresetMenu()->getEntry(i, label) ? label : "?");
        return entries;
    }

    CTarvelleVST* effect = nullptr;
    CVSTEditor* editor = nullptr;
#if defined(_WIN32)
    void* window = nullptr;
#else
    int none = 0;
    void* window = &none;
#endif
};

std::vector<unsigned char> presetBytes(const char* name, float value)
{
    PresetRecord record = {};
    record.presetTag = kUniqueId;
    std::snprintf(record.presetName, sizeof(record.presetName), "%s", name);
    for (float& v : record.presetValues)
        v = value;
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
    return std::vector<unsigned char>(bytes, bytes + sizeof(record));
}

// The base folders of one case, with two preset folders on them, installed for its length.
class Disk {
public:
    Disk()
    {
        write("01-Factory", "Alpha", 0.25f);
        write("01-Factory", "Beta", 0.5f);
        write("00-User Presets", "Gone", 0.75f);
    }
    void write(const char* folder, const char* name, float value)
    {
        EXPECT_FALSE(
            test_support::writePresetFile(folders.programFilesBase, folder, name, presetBytes(name, value)).empty());
    }
    std::filesystem::path presetFile(const char* folder, const char* name) const
    {
        return std::filesystem::path(test_support::presetRoot(folders.programFilesBase)) / folder /
            (std::string(name) + ".prg");
    }

private:
    TempTree tree;
    QuietDialogs dialogs;
    editor_test::InstalledFolders installed{tree / "", &dialogs};
    const editor_test::TestFolders& folders = installed.folders;
};

} // namespace

TEST(PresetListing, AnEditorOpenedAfterAnotherListsWhatTheDiskHolds)
{
    struct Case {
        const char* between;
        std::function<void(Disk&, Instance& first)> change;
        // What the later editor's listing holds (or no longer holds) once the change is seen.
        const char* token;
        bool present;
        // Whether it holds at once: changes of this process are never waited for.
        bool atOnce;
    };
    const Case cases[] = {
        {"nothing", [](Disk&, Instance&) {}, "01-Factory @3: Alpha Beta\n", true, true},
        {"a preset file added", [](Disk& t, Instance&) { t.write("01-Factory", "Gamma", 0.125f); },
         ": Alpha Beta Gamma\n", true, false},
        {"a preset file removed",
         [](Disk& t, Instance&) { std::filesystem::remove(t.presetFile("00-User Presets", "Gone")); }, "Gone", false,
         false},
        {"a preset file rewritten", [](Disk& t, Instance&) { t.write("01-Factory", "Alpha", 1.0f); }, "Alpha:1,1,1,1,1",
         true, false},
        {"a preset folder added", [](Disk& t, Instance&) { t.write("02-Added", "Delta", 0.5f); }, "02-Added @", true,
         false},
        {"a preset saved from the first editor",
         [](Disk&, Instance& first) { first.editor->buildPresetMenu(true, "Saved Here"); },
         "00-User Presets @2: Gone Saved Here\n", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.between);
        Disk disk;
        Instance first, later, fresh;
        ASSERT_TRUE(first.open());
        // Where the disk can be watched, the listing is kept for the editors opened next.
        EXPECT_EQ(preset_listing::kept(), platform::FolderWatch::supported());
        const std::string before = first.listed();
        c.change(disk, first);

        // The later editor's host restored a state: its menu names it, whatever the listing.
        PresetRecord& hostSlot = later.effect->presetRecord(1);
        hostSlot = first.effect->getPresetRecord(2);
        std::snprintf(hostSlot.presetName, sizeof(hostSlot.presetName), "From Host");
        std::string listed;
        const auto seen = [&]() {
            EXPECT_TRUE(later.open());
            listed = later.listed();
            later.close();
            return (listed.find(c.token) != std::string::npos) == c.present;
        };
        if (c.atOnce) {
            EXPECT_TRUE(seen()) << listed;
        } else {
            EXPECT_TRUE(test_support::waitUntil(seen, std::chrono::seconds(10)))
                << "the change was not listed within 10 s:\n"
                << listed;
        }
        if (std::strcmp(c.between, "nothing") == 0) {
            EXPECT_EQ(listed, before);
        }

        // What the later editor shows and steps through, from the kept listing or not.
        ASSERT_TRUE(later.open());
        const std::vector<std::string> entries = later.presetMenuEntries();
        ASSERT_GE(entries.size(), 4u);
        EXPECT_EQ(entries[2], "Saved : From Host");
        later.effect->recallPreset(0);
        later.effect->nextPreset();
        EXPECT_EQ(editor_test::programName(*later.effect), later.effect->getPresetRecord(2).presetName);
        later.close();

        // A listing made from scratch gives the same.
        preset_listing::forget();
        ASSERT_TRUE(fresh.open());
        EXPECT_EQ(fresh.listed(), listed);
        fresh.close();
        first.close();
        EXPECT_EQ(preset_listing::holders(), 0);
        EXPECT_FALSE(preset_listing::kept()) << "nothing is kept once the last editor closed";
    }
}
