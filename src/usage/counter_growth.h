// What a pair of byte counters carried since they were last counted.
#pragma once

#include <cstdint>

struct UsagePair {
    uint64_t received;
    uint64_t sent;
};

// The counter values last counted for an adapter, and the uptime then.
struct CountedMark {
    int32_t known;  // 0: the adapter was never counted
    UsagePair counters;
    uint64_t uptimeMs;
};

// The growth from `last` to `now`. Never counted: nothing (the values are the
// baseline). Uptime lower than at the last count: Windows restarted, and the
// counters' values are all new. A counter below its last value started again
// from zero: its value is new.
UsagePair CounterGrowth(const CountedMark& last, UsagePair now, uint64_t uptimeMs) noexcept;
