// Whether anything changed in a set of folders since each was added: the editors keep the
// preset folders they listed and list them again only when the disk changed meanwhile.
//
// - Windows: one change notification per folder, polled without waiting. Each folder is
//   watched alone, never with the folders inside it: Wine's notifications do not reach into
//   subfolders that already exist, so whoever needs those adds them too. Notifications may
//   arrive a little after the change (Wine's server delivers them asynchronously), so a
//   change made by this process itself is to be taken into account by the caller.
// - Elsewhere nothing can be watched: add answers false and the caller lists every time.
// - Used on the UI thread only. A stopped watch holds no handle.
#pragma once

#include <cstddef>
#include <vector>

namespace platform {

class FolderWatch {
public:
    // Whether this platform can watch folders at all.
    static bool supported();

    FolderWatch() = default;
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Watches one more folder from now on: folders made, removed or renamed in it, and with
    // contents also its files made, removed, renamed, written or resized. True as well for a
    // folder that does not exist (nothing in it can change; a watch of its parent sees it
    // made); false when an existing folder cannot be watched, and then nothing is watched.
    bool add(const char* folder, bool contents);
    // True while something is watched and no change was reported since it was added. Never
    // waits; a change once reported stays reported until stop.
    bool unchanged();
    void stop();
    bool watching() const { return started; }

private:
    std::vector<void*> handles;
    bool started = false;
    bool changed = false;
};

} // namespace platform
