// FolderWatch elsewhere: nothing is watched, so whoever asks lists the folders every time
// (which costs well under a millisecond on a local file system).
#include "../FolderWatch.h"

namespace platform {

bool FolderWatch::supported()
{
    return false;
}

FolderWatch::~FolderWatch()
{
    stop();
}

bool FolderWatch::add(const char* folder, bool contents)
{
    (void)folder;
    (void)contents;
    stop();
    return false;
}

bool FolderWatch::unchanged()
{
    return false;
}

void FolderWatch::stop()
{
    started = false;
    changed = false;
}

} // namespace platform
