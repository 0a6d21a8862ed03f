// The replaceable services: clock, message presenter and folder locator. Replaced only by tests, on the
// thread that uses them.
#include "SystemServices.h"

namespace platform {

namespace {
Clock* installedClock = nullptr;
MessagePresenter* installedPresenter = nullptr;
FolderLocator* installedLocator = nullptr;
} // namespace

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
    return previous;
}

} // namespace platform
