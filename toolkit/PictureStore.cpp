#include "PictureStore.h"

#include "platform/PlatformBitmap.h"

#include <vector>

namespace VSTGUI {
namespace picture_store {

namespace {

struct Entry {
    int32_t resourceId;
    PlatformBitmap* picture;
    int32_t users;
};

// A few dozen pictures at most: a plain list. Its storage is given back when it empties.
// Used on the UI thread only, like every bitmap, so it takes no lock.
struct Store {
    std::vector<Entry> entries;

    Entry* find(int32_t resourceId)
    {
        for (Entry& e : entries)
            if (e.resourceId == resourceId)
                return &e;
        return nullptr;
    }
};

Store& store()
{
    static Store instance;
    return instance;
}

} // namespace

PlatformBitmap* acquire(int32_t resourceId)
{
    Store& s = store();
    if (Entry* e = s.find(resourceId)) {
        ++e->users;
        return e->picture;
    }
    PlatformBitmap* picture = PlatformBitmap::loadResource(resourceId);
    if (picture != nullptr)
        s.entries.push_back({resourceId, picture, 1});
    return picture;
}

void release(PlatformBitmap* picture)
{
    Store& s = store();
    Entry* e = nullptr;
    for (Entry& candidate : s.entries)
        if (candidate.picture == picture)
            e = &candidate;
    if (e == nullptr || --e->users > 0)
        return;
    delete e->picture;
    *e = s.entries.back();
    s.entries.pop_back();
    if (s.entries.empty())
        std::vector<Entry>().swap(s.entries);
}

std::size_t size()
{
    Store& s = store();
    return s.entries.size();
}

int32_t users(int32_t resourceId)
{
    Store& s = store();
    const Entry* e = s.find(resourceId);
    return e != nullptr ? e->users : 0;
}

} // namespace picture_store
} // namespace VSTGUI
