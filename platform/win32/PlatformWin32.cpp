// The platform services on Windows: KERNEL32, ADVAPI32, USER32, SHELL32 and OLE32 calls.
#include "../SystemServices.h"

#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>
#include <windows.h>

#include <cstring>

namespace platform {

namespace {

void copyEntry(DirectoryEntry& entry, const WIN32_FIND_DATAA& data, bool& fits)
{
    size_t length = strnlen(data.cFileName, sizeof(data.cFileName));
    fits = length < sizeof(entry.name) && length < sizeof(data.cFileName);
    if (!fits)
        return;
    std::memcpy(entry.name, data.cFileName, length);
    entry.name[length] = '\0';
    entry.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace

DirectoryReader::~DirectoryReader()
{
    close();
}

bool DirectoryReader::open(const char* folder)
{
    close();
    if (folder == nullptr || folder[0] == '\0')
        return false;
    // The search pattern is the folder followed by "*" (with a backslash when it has none).
    char pattern[MAX_PATH];
    size_t length = std::strlen(folder);
    bool needsSeparator = folder[length - 1] != '\\' && folder[length - 1] != '/';
    if (length + (needsSeparator ? 1 : 0) + 1 >= sizeof(pattern))
        return false;
    std::memcpy(pattern, folder, length);
    if (needsSeparator)
        pattern[length++] = '\\';
    pattern[length++] = '*';
    pattern[length] = '\0';

    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern, &data);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    handle = find;
    bool fits = false;
    copyEntry(first, data, fits);
    pendingFirst = fits;
    return true;
}

bool DirectoryReader::next(DirectoryEntry& entry)
{
    if (handle == nullptr)
        return false;
    if (pendingFirst) {
        pendingFirst = false;
        entry = first;
        return true;
    }
    for (;;) {
        WIN32_FIND_DATAA data;
        if (!FindNextFileA(static_cast<HANDLE>(handle), &data))
            return false;
        bool fits = false;
        copyEntry(entry, data, fits);
        if (fits)
            return true;
    }
}

void DirectoryReader::close()
{
    if (handle != nullptr)
        FindClose(static_cast<HANDLE>(handle));
    handle = nullptr;
    pendingFirst = false;
}

bool makeDirectory(const char* path)
{
    return path != nullptr && path[0] != '\0' && CreateDirectoryA(path, nullptr) != 0;
}

bool systemDataFolder(size_t index, char* out, size_t size)
{
    (void)index;
    (void)out;
    (void)size;
    return false;
}

bool removeDirectory(const char* path)
{
    return path != nullptr && path[0] != '\0' && RemoveDirectoryA(path) != 0;
}

namespace detail {

bool systemProgramFilesFolder(char* out, size_t size)
{
    if (out == nullptr || size == 0)
        return false;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    char value[256 + 1] = {};
    DWORD type = 0;
    DWORD bytes = sizeof(value) - 1; // room for a terminator the registry may not store
    LONG status = RegQueryValueExA(key, "ProgramFilesDir", nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || bytes > sizeof(value) - 1)
        return false;
    value[bytes] = '\0';
    size_t length = std::strlen(value);
    while (length > 0 && (value[length - 1] == '\\' || value[length - 1] == '/'))
        value[--length] = '\0';
    if (length == 0 || length >= size)
        return false;
    std::memcpy(out, value, length + 1);
    return true;
}

bool systemUserDataFolder(char* out, size_t size)
{
    if (out == nullptr || size == 0)
        return false;
    char folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return false;
    size_t length = std::strlen(folder);
    while (length > 0 && (folder[length - 1] == '\\' || folder[length - 1] == '/'))
        folder[--length] = '\0';
    if (length == 0 || length >= size)
        return false;
    std::memcpy(out, folder, length + 1);
    return true;
}

void systemShowError(const char* caption, const char* text)
{
    MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONERROR);
}

namespace {

class TickClock : public Clock {
public:
    uint32_t tickCount() override { return static_cast<uint32_t>(GetTickCount()); }
    void sleepMilliseconds(uint32_t milliseconds) override { Sleep(milliseconds); }
};

} // namespace

Clock& systemClock()
{
    static TickClock clock;
    return clock;
}

} // namespace detail

bool openUrl(const char* url)
{
    if (url == nullptr || url[0] == '\0')
        return false;
    HINSTANCE result = ShellExecuteA(nullptr, "open", url, nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

void dispatchPendingPaint()
{
    MSG message;
    if (PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
        DispatchMessageA(&message);
}

bool initializeDragAndDrop()
{
    HRESULT result = OleInitialize(nullptr);
    return result == S_OK || result == S_FALSE;
}

void uninitializeDragAndDrop()
{
    OleUninitialize();
}

} // namespace platform
