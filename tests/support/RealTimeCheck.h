// What the audio-thread checks share: the schedule of blocks a demanding host plays, and the
// expectation that the work makes no heap, lock or system calls.
#pragma once

#include "RealTimeCounters.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>

namespace rt {

// Blocks of 512, 1, 64, 1000, 4096, 7 and 300 frames in turn over `total` frames, the last one
// clamped to what is left: block(round, position, frames) for each.
template <typename Block>
void forEachBlock(size_t total, Block block)
{
    static const size_t kBlocks[] = {512, 1, 64, 1000, 4096, 7, 300};
    size_t position = 0;
    for (int round = 0; position < total; ++round) {
        size_t frames = kBlocks[round % 7];
        if (frames > total - position)
            frames = total - position;
        block(round, position, frames);
        position += frames;
    }
}

// Runs work once unwatched (first-use set-up of this program's counters), then watched, and
// expects none of the calls; `what` names the case in the messages.
inline void expectNoRealTimeCalls(void (*work)(void*), void* context, const char* what)
{
    work(context);
    bool systemCallsWatched = false;
    const Counts counts = watch(work, context, systemCallsWatched);
    EXPECT_EQ(counts.heap, 0) << what << ": heap calls";
    EXPECT_EQ(counts.locks, 0) << what << ": lock calls";
    if (systemCallsWatched) {
        EXPECT_EQ(counts.systemCalls, 0) << what << ": system calls (numbers " << counts.firstSystemCalls << ")";
    } else {
        std::fprintf(stderr, "note: seccomp unavailable; system calls seen only through the C library\n");
    }
}

} // namespace rt
