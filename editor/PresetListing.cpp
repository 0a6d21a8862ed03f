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

    // Between watch and keep, while every folder read so far is watched.
    bool recording = false;

    void clear()
    {
        listing.reset();
        watch.stop();
        recording = false;
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
    if (s.holders == 0 || !platform::FolderWatch::supported() || rootCount <= 0)
        return false;
    // Every root, for the folders in it; and while the user's own root does not exist, the
    // folder where its chain would grow next, so that a root made by another program is seen.
    s.recording = true;
    for (int32_t r = 0; r < rootCount && s.recording; ++r)
        s.recording = s.watch.add(roots[r], false);
    char nearest[256];
    if (s.recording && platform::nearestUserPresetLevel(product, nearest, sizeof(nearest)))
        s.recording = s.watch.add(nearest, false);
    s.locatorChanges = platform::folderLocatorChanges();
    return s.recording;
}

void watchFolder(const char* folder)
{
    Store& s = store();
    if (s.recording && folder != nullptr)
        s.recording = s.watch.add(folder, true);
}

void keep(PresetListing&& listing)
{
    Store& s = store();
    if (s.holders == 0 || !s.recording)
        return;
    s.recording = false;
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
