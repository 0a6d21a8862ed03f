// GoogleTest's thread start-up signal for the win32-thread MinGW compilers, whose standard
// library has no std::mutex or std::condition_variable. Force-included before GoogleTest's
// own headers in the Windows builds (GTEST_HAS_NOTIFICATION_ tells them it exists).
#pragma once

#include <windows.h>

namespace testing {
namespace internal {

class Notification {
public:
    Notification() : event(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { CloseHandle(event); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { SetEvent(event); }
    void WaitForNotification() { WaitForSingleObject(event, INFINITE); }

private:
    HANDLE event;
};

} // namespace internal
} // namespace testing
