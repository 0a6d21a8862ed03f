// A bounded wait on a condition that every build (the Windows ones under Wine too) can use:
// the condition is asked again every pollMs until it holds or the time is up.
#pragma once

#include <chrono>
#include <functional>

#if defined(_WIN32)
#include <windows.h>
#else
#include <time.h>
#endif

namespace test_support {

// Whether condition held within timeout.
inline bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout, int pollMs = 20)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= end)
            return false;
#if defined(_WIN32)
        Sleep(static_cast<DWORD>(pollMs));
#else
        const timespec pause = {0, static_cast<long>(pollMs) * 1000000L};
        nanosleep(&pause, nullptr);
#endif
    }
}

} // namespace test_support
