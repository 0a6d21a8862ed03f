// The product's preset folder: <program files>\Tarvelle\Plug-In Settings\<product>\ with
// "00-User Presets" inside it, each level created when missing.
#pragma once

#include <cstddef>

namespace platform {

constexpr const char* kMakerFolder = "Tarvelle";
constexpr const char* kSettingsFolder = "Plug-In Settings";
constexpr const char* kUserPresetsFolder = "00-User Presets";

// The folders one call below created, outermost first, so that a save that fails can take
// them away again and leave the disk as it found it.
struct CreatedFolders {
    static constexpr size_t kMaxLevels = 6;
    char paths[kMaxLevels][256] = {};
    size_t count = 0;
    // Removes them, innermost first; a folder that is no longer empty stays.
    void remove();
};

// Finds or creates the folder chain and writes the root (with a trailing separator) to out.
// When the base folder is unknown, a level cannot be created, or the path does not fit
// size bytes, out becomes the empty string and the answer is false: nothing may be listed
// or saved then.
// created, when given, receives the folders made.
bool getPresetRootPath(const char* product, char* out, size_t size, CreatedFolders* created = nullptr);

// The same under the user's own settings folder (userDataFolder), where presets go when the
// program-files root cannot be written. With create false nothing is created: the answer is
// false unless the whole chain is already there.
bool getUserPresetRootPath(const char* product, char* out, size_t size, bool create, CreatedFolders* created = nullptr);

// The deepest level of that chain that exists (without a trailing separator) while the whole
// chain does not: where the chain's next folder would appear. False when the whole chain
// exists, when not even the base folder does, or when the path does not fit size bytes.
bool nearestUserPresetLevel(const char* product, char* out, size_t size);

// The index-th product root (with a trailing separator) among those that exist under the
// system data folders (systemDataFolder), in their order; nothing is created. Packages install
// factory banks there; the menu lists them before the user's own root, which alone is saved to.
bool getSystemPresetRootPath(const char* product, size_t index, char* out, size_t size);

// The same under a given base folder (no trailing separator); for tests and other bases.
bool getPresetRootPathUnder(const char* base, const char* product, char* out, size_t size, bool create = true,
                            CreatedFolders* created = nullptr);

// Joins parts into out separated by the platform's separator, with a trailing one when
// trailingSeparator is set. False (out empty) when the result would not fit size bytes.
bool joinPath(char* out, size_t size, const char* const* parts, size_t count, bool trailingSeparator);

} // namespace platform
