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

bool FolderWatch::start(const Folder* folders, size_t folderCount)
{
    (void)folders;
    (void)folderCount;
    stop();
    return false;
}

bool FolderWatch::unchanged()
{
    return false;
}

void FolderWatch::stop()
{
    count = 0;
    changed = false;
}

} // namespace platform
