// FolderWatch on Windows: FindFirstChangeNotificationA per folder, polled with a zero wait.
#include "../FolderWatch.h"

#include <windows.h>

namespace platform {

namespace {

constexpr DWORD kTreeChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
    FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE;

} // namespace

bool FolderWatch::supported()
{
    return true;
}

FolderWatch::~FolderWatch()
{
    stop();
}

bool FolderWatch::start(const Folder* folders, size_t folderCount)
{
    stop();
    if (folders == nullptr || folderCount == 0 || folderCount > kMaxFolders)
        return false;
    for (size_t i = 0; i < folderCount; ++i) {
        const Folder& folder = folders[i];
        HANDLE handle = INVALID_HANDLE_VALUE;
        if (folder.path != nullptr && folder.path[0] != '\0')
            handle = FindFirstChangeNotificationA(folder.path, folder.subtree ? TRUE : FALSE,
                                                  folder.subtree ? kTreeChanges : FILE_NOTIFY_CHANGE_DIR_NAME);
        if (handle == INVALID_HANDLE_VALUE || handle == nullptr) {
            stop();
            return false;
        }
        handles[count++] = handle;
    }
    changed = false;
    return true;
}

bool FolderWatch::unchanged()
{
    if (count == 0)
        return false;
    for (size_t i = 0; i < count && !changed; ++i) {
        const DWORD state = WaitForSingleObject(static_cast<HANDLE>(handles[i]), 0);
        // Signalled, or a handle that can no longer be waited on: either way, list again.
        if (state != WAIT_TIMEOUT)
            changed = true;
    }
    return !changed;
}

void FolderWatch::stop()
{
    while (count > 0) {
        FindCloseChangeNotification(static_cast<HANDLE>(handles[--count]));
        handles[count] = nullptr;
    }
    changed = false;
}

} // namespace platform
