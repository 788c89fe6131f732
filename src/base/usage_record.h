// What an icon keeps of the usage totals between ticks: the adapter it counts,
// the counters' latest values, and the store's totals and last counted values
// as read after its last write. What was counted and not yet written is the
// growth from those counted values to the latest ones.
#pragma once

#include <cstdint>

struct UsageRecord {
    wchar_t guid[40];         // the adapter counted; empty while none
    int32_t storeUser;        // counted among the store's users
    uint64_t counters[2];     // latest values: received, sent
    int64_t sampleTime;       // when they were read (the performance data's time)
    uint64_t lastWrite;       // FILETIME of the last write
    int32_t notSaved;         // the last write stayed in memory: the file cannot be written
    // As read after the last write.
    int32_t storedKnown;
    uint64_t storedCounters[2];
    int64_t storedSampleTime;
    uint64_t storedUptimeMs;
    int64_t today[2];         // the buckets read: first, end
    int64_t month[2];
    uint64_t todayBytes[2];   // received, sent
    uint64_t monthBytes[2];
    double monthPassed;       // share of the month passed, 0..1
    // What the label and the bar show, as UsageCount counts: stored plus not yet written.
    uint64_t shownToday;
    uint64_t shownMonth;
    // The allowance's warnings: the month, allowance and start day they were
    // looked at for, the highest level looked at, and the fast ticks the label
    // still shows warning `warningShown` (1: 80 %, 2: reached).
    int64_t warnedMonth;
    int32_t warnedAllowance;
    int32_t warnedStartDay;
    int32_t warnedLevel;
    int32_t warningTicks;
    int32_t warningShown;
};
