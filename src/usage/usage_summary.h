// What the usage window shows of one adapter, read from the store: today,
// yesterday, this usage month and the one before, each day of this month,
// and the months before it that have traffic.
#pragma once

#include "usage/counter_growth.h"
#include "usage/usage_period.h"

constexpr int32_t kSummaryMonths = 24;

struct UsageSummary {
    UsagePair today;
    UsagePair yesterday;
    UsagePair month;
    UsagePair lastMonth;
    CivilDate monthStart;
    int32_t days;        // days of this usage month
    int32_t todayIndex;  // today's place among them
    double monthPassed;  // share of the month's time passed, 0..1
    UsagePair daily[31];
    // Newest first, only months with traffic; this month among them.
    int32_t monthCount;
    CivilDate monthStarts[kSummaryMonths];
    UsagePair months[kSummaryMonths];
};

// The adapter's summary at `now` for months starting on startDay. An adapter
// never counted reads as zeros and no months. False only when the local
// calendar cannot be read.
bool ReadUsageSummary(const wchar_t* guid, int32_t startDay, uint64_t now, UsageSummary* summary) noexcept;

// What memory counted since the last write, added to today, this month and its
// entry among the months (which it may begin).
void AddPendingUsage(UsageSummary* summary, UsagePair pending) noexcept;
