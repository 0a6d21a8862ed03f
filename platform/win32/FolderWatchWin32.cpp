// FolderWatch on Windows: FindFirstChangeNotificationA per folder, all of them polled with one
// zero-timeout wait per 64 handles (each wait is one round trip to Wine's server).
#include "../FolderWatch.h"

#include <windows.h>

namespace platform {

namespace {

constexpr DWORD kContentChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE |
    FILE_NOTIFY_CHANGE_SIZE;

} // namespace

bool FolderWatch::supported()
{
    return true;
}

FolderWatch::~FolderWatch()
{
    stop();
}

bool FolderWatch::add(const char* folder, bool contents)
{
    if (folder == nullptr || folder[0] == '\0') {
        stop();
        return false;
    }
    started = true;
    const DWORD filter = FILE_NOTIFY_CHANGE_DIR_NAME | (contents ? kContentChanges : 0);
    HANDLE handle = FindFirstChangeNotificationA(folder, FALSE, filter);
    if (handle != INVALID_HANDLE_VALUE && handle != nullptr) {
        handles.push_back(handle);
        return true;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return true;
    stop();
    return false;
}

bool FolderWatch::unchanged()
{
    if (!started)
        return false;
    for (size_t first = 0; first < handles.size() && !changed; first += MAXIMUM_WAIT_OBJECTS) {
        const size_t left = handles.size() - first;
        const DWORD count = static_cast<DWORD>(left < MAXIMUM_WAIT_OBJECTS ? left : MAXIMUM_WAIT_OBJECTS);
        const DWORD state = WaitForMultipleObjects(count, handles.data() + first, FALSE, 0);
        // Signalled, or handles that can no longer be waited on: either way, list again.
        if (state != WAIT_TIMEOUT)
            changed = true;
    }
    return !changed;
}

void FolderWatch::stop()
{
    for (void* handle : handles)
        FindCloseChangeNotification(static_cast<HANDLE>(handle));
    std::vector<void*>().swap(handles);
    started = false;
    changed = false;
}

} // namespace platform
