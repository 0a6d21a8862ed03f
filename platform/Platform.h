// System services the effect and the editor need: directory listing, folders, the
// program-files (Windows) or data (Linux) folder, message boxes, a millisecond clock,
// sleeping, opening a web page, and the odd window-system call. One implementation per
// platform (win32/, posix/).
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

#if defined(_WIN32)
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// Longest file name an entry can carry, NUL included.
constexpr size_t kEntryNameSize = 260;

struct DirectoryEntry {
    char name[kEntryNameSize];
    bool isDirectory;
};

// Lists the entries of one folder, "." and ".." included (first), sorted by name with
// letters compared in upper case: the order Windows' file systems give, which Linux lists in
// too. Entries whose names do not fit kEntryNameSize are skipped.
class DirectoryReader {
public:
    DirectoryReader() = default;
    ~DirectoryReader();
    DirectoryReader(const DirectoryReader&) = delete;
    DirectoryReader& operator=(const DirectoryReader&) = delete;

    // folder may or may not end with a separator. False when it cannot be listed.
    bool open(const char* folder);
    // The next entry; false at the end or on any failure (the listing is then over).
    bool next(DirectoryEntry& entry);
    void close();

private:
    void* handle = nullptr;
#if defined(_WIN32)
    // The search API hands over the first entry when the listing opens.
    bool pendingFirst = false;
    DirectoryEntry first = {};
#endif
};

// The order of DirectoryReader's listing: by name, letters compared in upper case (then, for
// names that differ only in case, byte by byte). Menus that merge listings sort with it.
bool nameListedBefore(const char* a, const char* b);

// Creates one folder (its parent must exist). True when it was created.
bool makeDirectory(const char* path);
// Removes one empty folder. True when it was removed.
bool removeDirectory(const char* path);

// The folder under which the product keeps its preset folders, without a trailing separator:
// Windows: the registry value "ProgramFilesDir" of HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion;
// Linux: $XDG_DATA_HOME when it is an absolute path, else $HOME/.local/share (created when missing).
// False, with out untouched, when it cannot be determined or does not fit size bytes.
bool programFilesFolder(char* out, size_t size);

// The calling user's own settings folder, without a trailing separator: Windows: the roaming
// application data folder (%APPDATA%); Linux: the same folder as programFilesFolder, which is
// already per user. False, with out untouched, when it cannot be determined or does not fit.
bool userDataFolder(char* out, size_t size);

// The index-th system data folder, without a trailing separator: Linux: the absolute entries of
// $XDG_DATA_DIRS (default /usr/local/share:/usr/share), where packages put shared files;
// Windows: none (the program-files folder is already the machine-wide one). False when there
// is no such entry or it does not fit size bytes.
bool systemDataFolder(size_t index, char* out, size_t size);

// Answers the two base folders above; tests install their own (for instance a program-files
// folder nobody can write into). Replaced only by tests, on the thread that uses it.
class FolderLocator {
public:
    virtual ~FolderLocator() {}
    virtual bool programFiles(char* out, size_t size) = 0;
    virtual bool userData(char* out, size_t size) = 0;
};
// Replaces the locator (null restores the system one); answers the previous one.
FolderLocator* setFolderLocator(FolderLocator* locator);
// How many times the locator was replaced: what was found under the earlier base folders
// may not hold under the new ones.
uint32_t folderLocatorChanges();

// Shows an error message (Windows: a message box with the error icon and no owner window;
// Linux: a line on stderr). Goes to the installed presenter when there is one.
class MessagePresenter {
public:
    virtual ~MessagePresenter() {}
    virtual void showError(const char* caption, const char* text) = 0;
};
void showErrorMessage(const char* caption, const char* text);
// Replaces the presenter (null restores the system one); answers the previous one.
MessagePresenter* setMessagePresenter(MessagePresenter* presenter);

// A millisecond tick counter and a sleep. Tests install their own clock.
class Clock {
public:
    virtual ~Clock() {}
    // Monotonic milliseconds, wrapping at 2^32.
    virtual uint32_t tickCount() = 0;
    virtual void sleepMilliseconds(uint32_t milliseconds) = 0;
};
// The clock in use: the installed one, else the system clock.
Clock& clock();
// Replaces the clock (null restores the system clock); answers the previous one.
Clock* setClock(Clock* replacement);

// Asks the desktop to open url (Windows: the shell verb "open"; Linux: xdg-open, started
// directly without a shell). A null url does nothing. False when it could not be started.
bool openUrl(const char* url);

// Windows: removes one pending paint message of the calling thread and dispatches it, so a
// window repaints while a control holds the mouse. Elsewhere nothing.
void dispatchPendingPaint();

// Per-thread initialisation of the drop-target support (Windows: OLE). True when the matching
// uninitialize must be called.
bool initializeDragAndDrop();
void uninitializeDragAndDrop();

} // namespace platform
