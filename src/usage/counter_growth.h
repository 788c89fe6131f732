// What a pair of byte counters carried since they were last counted.
#pragma once

#include <cstdint>

struct UsagePair {
    uint64_t received;
    uint64_t sent;
};

// The counter values last counted for an adapter, when they were read (the
// performance data's own time, which every reader of the counters shares),
// and the uptime when they were written.
struct CountedMark {
    int32_t known;  // 0: the adapter was never counted
    UsagePair counters;
    int64_t sampleTime;
    uint64_t uptimeMs;
};

// Values read before the ones last counted, in the same Windows session: an
// icon writing an older reading than another icon wrote. They count nothing
// and must not replace the newer values.
bool StaleReading(const CountedMark& last, int64_t sampleTime, uint64_t uptimeMs) noexcept;

// The growth from `last` to `now`, read at sampleTime. Never counted: nothing
// (the values are the baseline). Uptime lower than at the last count: Windows
// restarted, and the counters' values are all new. A stale reading: nothing. A
// counter below its last value started again from zero: its value is new.
UsagePair CounterGrowth(const CountedMark& last, UsagePair now, int64_t sampleTime, uint64_t uptimeMs) noexcept;
