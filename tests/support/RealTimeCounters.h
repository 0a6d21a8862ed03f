// Counts what a real-time thread must never do: heap calls, lock calls and system calls.
// Heap and lock calls are counted by replacing the C library's entry points in this program
// (calls from the plug-in module resolve to them first); system calls by a seccomp filter
// on the watched thread that traps every one of them, so even those the C library makes
// internally are seen.
#pragma once

#include <string>

namespace rt {

struct Counts {
    long heap = 0;
    long locks = 0;
    long systemCalls = 0;
    std::string firstSystemCalls; // numbers of the first few, for the failure message
};

// Runs work on a new thread with every counter watching, and answers what it did. When the
// system refuses a seccomp filter, systemCallsWatched reports false and only the heap and
// lock calls (including the C library's system-call wrappers this program replaces) count.
Counts watch(void (*work)(void*), void* context, bool& systemCallsWatched);

} // namespace rt
