// The replaceable services: clock and message presenter. Replaced only by tests, on the
// thread that uses them.
#include "SystemServices.h"

namespace platform {

namespace {
Clock* installedClock = nullptr;
MessagePresenter* installedPresenter = nullptr;
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

} // namespace platform
