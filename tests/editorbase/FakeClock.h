// A clock that moves only when told to (or when slept on), for pacing tests without waiting.
#pragma once

#include "Platform.h"

#include <vector>

class FakeClock : public platform::Clock {
public:
    explicit FakeClock(uint32_t start = 1000) : now(start) { previous = platform::setClock(this); }
    ~FakeClock() override { platform::setClock(previous); }

    uint32_t tickCount() override { return now; }
    void sleepMilliseconds(uint32_t milliseconds) override
    {
        sleeps.push_back(milliseconds);
        now += milliseconds;
    }
    void advance(uint32_t milliseconds) { now += milliseconds; }

    uint32_t now;
    std::vector<uint32_t> sleeps;

private:
    platform::Clock* previous;
};
