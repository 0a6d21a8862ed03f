// What the last listing of the preset folders found, kept for every editor of the process:
// an editor that opens while the folders are known unchanged builds its menus and fills its
// effect's preset table from it instead of reading the disk again (on Windows under Wine,
// every folder listed and file read is a round trip to Wine's server).
//
// - Kept only while a change notification watches the folders listed (FolderWatch); where
//   none can be set up nothing is kept and every rebuild lists the disk.
// - A listing is forgotten when the watch reports a change, when a save of this process may
//   have written under the folders (forget, which does not wait for the notification), and
//   when the base folders are replaced (a test's folder locator).
// - Reference-counted by the open editors and freed, with its watch, when the last one
//   closes: a first open always lists. UI thread only, like the shared pictures; no lock.
#pragma once

#include "PresetRecord.h"

#include <cstdint>
#include <string>
#include <vector>

struct PresetListing {
    struct Folder {
        std::string name;
        // The preset-table index of the folder's first preset.
        int32_t firstIndex = 0;
        std::vector<std::string> labels;
    };
    // The effect's preset root path as the listing left it.
    std::string rootPath;
    std::vector<Folder> folders;
    // The preset table's records from index 2 on, as the listing loaded them.
    std::vector<PresetRecord> records;
};

namespace preset_listing {

// An editor opened; it holds the kept listing until release.
void acquire();
// An editor closed; the last one frees the listing and stops the watch.
void release();
// The kept listing when nothing changed since it was made; null otherwise.
const PresetListing* unchanged();
// Before listing: watches the roots of product about to be listed, so that a change made
// while they are read is not missed. False when they cannot be watched (or no editor holds the store); the
// listing is then not to be kept.
bool watch(const char* product, const char* const* roots, int32_t rootCount);
// While listing: watches a preset folder before its files are read.
void watchFolder(const char* folder);
// Keeps the listing made since the last watch that answered true, when every folder read
// could be watched.
void keep(PresetListing&& listing);
// Something of ours may have written under the preset folders: the next rebuild lists them.
void forget();

// For tests: the editors holding the store, and whether a listing is kept.
int32_t holders();
bool kept();

} // namespace preset_listing
