// GoogleTest's place for a port's own pieces, taken instead of its empty one in the Windows
// builds (tests/CMakeLists.txt puts this folder first). It supplies the thread start-up signal
// for the win32-thread MinGW compilers, whose standard library has no std::mutex or
// std::condition_variable; GTEST_HAS_NOTIFICATION_ tells GoogleTest that it exists.
#ifndef GOOGLETEST_INCLUDE_GTEST_INTERNAL_CUSTOM_GTEST_PORT_H_
#define GOOGLETEST_INCLUDE_GTEST_INTERNAL_CUSTOM_GTEST_PORT_H_

#define GTEST_HAS_NOTIFICATION_ 1

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

#endif
