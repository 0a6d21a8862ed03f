// Whether anything changed under a few folders since a moment: the editors keep the preset
// folders they listed and list them again only when the disk changed meanwhile.
//
// - Windows: one change notification per folder (file and folder names, sizes and
//   modification times), polled without waiting. Notifications may arrive a little after the
//   change (Wine's server delivers them asynchronously), so a change made by this process
//   itself is to be taken into account by the caller, not through the watch.
// - Elsewhere nothing can be watched: start answers false and the caller lists every time.
// - Used on the UI thread only. A stopped watch holds no handle.
#pragma once

#include <cstddef>

namespace platform {

class FolderWatch {
public:
    static constexpr size_t kMaxFolders = 8;

    // How one folder is watched: a folder that exists, with everything under it; or, for a
    // folder that does not exist yet, its nearest existing parent, for folders made or
    // removed directly in it.
    struct Folder {
        const char* path;
        bool subtree;
    };

    // Whether this platform can watch folders at all.
    static bool supported();

    FolderWatch() = default;
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Stops any earlier watch and watches the given folders from now on. False, with nothing
    // watched, when there are more than kMaxFolders or one of them cannot be watched.
    bool start(const Folder* folders, size_t count);
    // True while started and nothing under the folders was reported changed since start.
    // Never waits; a change once reported stays reported until the next start.
    bool unchanged();
    void stop();
    bool watching() const { return count > 0; }

private:
    void* handles[kMaxFolders] = {};
    size_t count = 0;
    bool changed = false;
};

} // namespace platform
