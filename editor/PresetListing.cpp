#include "PresetListing.h"

#include "FolderWatch.h"
#include "Platform.h"
#include "PresetRoot.h"

#include <memory>

namespace preset_listing {

namespace {

struct Store {
    int32_t holders = 0;
    platform::FolderWatch watch;
    // Valid only together with the watch that was started before it was listed.
    std::unique_ptr<PresetListing> listing;
    uint32_t locatorChanges = 0;

    void clear()
    {
        listing.reset();
        watch.stop();
    }
};

Store& store()
{
    static Store instance;
    return instance;
}

} // namespace

void acquire()
{
    ++store().holders;
}

void release()
{
    Store& s = store();
    if (s.holders > 0 && --s.holders == 0)
        s.clear();
}

const PresetListing* unchanged()
{
    Store& s = store();
    if (s.listing == nullptr)
        return nullptr;
    if (s.locatorChanges != platform::folderLocatorChanges() || !s.watch.unchanged()) {
        s.clear();
        return nullptr;
    }
    return s.listing.get();
}

bool watch(const char* product, const char* const* roots, int32_t rootCount)
{
    Store& s = store();
    s.clear();
    if (s.holders == 0 || !platform::FolderWatch::supported() || rootCount < 0 ||
        static_cast<size_t>(rootCount) >= platform::FolderWatch::kMaxFolders)
        return false;
    // Every root with everything under it; and while the user's own root does not exist, the
    // folder where its chain would grow next, so that a root made by another program is seen.
    platform::FolderWatch::Folder folders[platform::FolderWatch::kMaxFolders];
    size_t count = 0;
    for (int32_t r = 0; r < rootCount; ++r)
        folders[count++] = {roots[r], true};
    char nearest[256];
    if (platform::nearestUserPresetLevel(product, nearest, sizeof(nearest)))
        folders[count++] = {nearest, false};
    if (count == 0 || !s.watch.start(folders, count))
        return false;
    s.locatorChanges = platform::folderLocatorChanges();
    return true;
}

void keep(PresetListing&& listing)
{
    Store& s = store();
    if (s.holders == 0 || !s.watch.watching())
        return;
    s.listing.reset(new PresetListing(std::move(listing)));
}

void forget()
{
    store().clear();
}

int32_t holders()
{
    return store().holders;
}

bool kept()
{
    return store().listing != nullptr;
}

} // namespace preset_listing
