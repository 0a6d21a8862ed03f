// The replaceable services: clock, message presenter and folder locator. Replaced only by tests, on the
// thread that uses them.
#include "SystemServices.h"

#include <cstring>

namespace platform {

namespace {
Clock* installedClock = nullptr;
MessagePresenter* installedPresenter = nullptr;
FolderLocator* installedLocator = nullptr;
uint32_t locatorChanges = 0;
// The next code point of a UTF-8 name (a stray byte stands for itself: a Windows code page's
// letter).
uint32_t nextCodePoint(const unsigned char*& p)
{
    const uint32_t lead = *p++;
    int more = lead >= 0xf0 && lead < 0xf8 ? 3 : (lead >= 0xe0 ? 2 : (lead >= 0xc0 ? 1 : 0));
    if (lead < 0x80 || more == 0)
        return lead;
    uint32_t code = lead & (0x3fu >> more);
    const unsigned char* start = p;
    for (; more > 0; --more, ++p) {
        if ((*p & 0xc0) != 0x80) {
            p = start;
            return lead;
        }
        code = (code << 6) | (*p & 0x3fu);
    }
    return code;
}

// Upper case for the letters of ASCII and Latin-1, which is what preset names hold.
uint32_t upper(uint32_t c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 0xe0 && c <= 0xfe && c != 0xf7))
        return c - 0x20;
    return c;
}

} // namespace

bool nameListedBefore(const char* a, const char* b)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* q = reinterpret_cast<const unsigned char*>(b);
    while (*p != 0 && *q != 0) {
        const uint32_t x = upper(nextCodePoint(p));
        const uint32_t y = upper(nextCodePoint(q));
        if (x != y)
            return x < y;
    }
    if ((*p == 0) != (*q == 0))
        return *p == 0;
    // Names that differ only in case (possible on Linux, not on Windows) keep one fixed order.
    return std::strcmp(a, b) < 0;
}

Clock& clock()
{
    return installedClock != nullptr ? *installedClock : detail::systemClock();
}

Clock* setClock(Clock* replacement)
{
    Clock* previous = installedClock;
    installedClock = replacement;
    return previous;
}

void showErrorMessage(const char* caption, const char* text)
{
    if (caption == nullptr)
        caption = "";
    if (text == nullptr)
        text = "";
    if (installedPresenter != nullptr)
        installedPresenter->showError(caption, text);
    else
        detail::systemShowError(caption, text);
}

MessagePresenter* setMessagePresenter(MessagePresenter* presenter)
{
    MessagePresenter* previous = installedPresenter;
    installedPresenter = presenter;
    return previous;
}

bool programFilesFolder(char* out, size_t size)
{
    if (installedLocator != nullptr)
        return installedLocator->programFiles(out, size);
    return detail::systemProgramFilesFolder(out, size);
}

bool userDataFolder(char* out, size_t size)
{
    if (installedLocator != nullptr)
        return installedLocator->userData(out, size);
    return detail::systemUserDataFolder(out, size);
}

FolderLocator* setFolderLocator(FolderLocator* locator)
{
    FolderLocator* previous = installedLocator;
    installedLocator = locator;
    ++locatorChanges;
    return previous;
}

uint32_t folderLocatorChanges()
{
    return locatorChanges;
}

} // namespace platform
