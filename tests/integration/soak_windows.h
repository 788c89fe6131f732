// Telling a leak from a cache in a soak. After its warm-up a soak runs two
// equal windows of rounds and measures at the start and at the end of each.
// - The module's own heap blocks (its malloc, counted by the test dock from
//   the first window on) catch small leaks exactly: once the module's caches
//   are full, what a round makes it frees, so the second window ends with no
//   more live blocks than the first.
// - Private bytes catch only big leaks, and only as a trend: Wine's heap
//   grows in steps of 0.25 to 2.3 MiB and a cache grows until it is full,
//   either of which one window may cross. A leak grows both windows alike, so
//   a soak fails on memory only when both grew by more than the bound.
#pragma once

#include "process_use.h"

#include <functional>

namespace vantrel_test {

struct SoakPoint {
    testdock::ProcessUse use;
    size_t moduleBlocks;  // live module heap blocks made since the first window began
};

struct SoakWindows {
    int rounds;  // in each window
    SoakPoint start, middle, end;

    // Growth of private bytes in the first and in the second window.
    double FirstGrowthMiB() const;
    double SecondGrowthMiB() const;
};

// Runs `round(i)` for i in [0, warmUp + 2 * window), measuring after the warm-up
// and after each window; prints one line "<what>: ..." with the figures.
SoakWindows RunSoakWindows(const char* what, int warmUp, int window, const std::function<void(int)>& round);

// Above this both windows grew when the module leaks; a heap step or a cache
// crosses it in one window at most.
constexpr double kPrivateTrendBoundMiB = 3.0;

// The checks every soak makes of its windows: no module heap block kept by
// the second window, private bytes not growing in both, handles flat.
void ExpectNoLeak(const SoakWindows& windows);

}  // namespace vantrel_test
