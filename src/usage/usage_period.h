// Time for the usage totals: the 15-minute UTC buckets traffic is kept in, and
// the local day and month they add up to under the system's time-zone rules.
// Every zone's midnight falls on a quarter hour, so a local day is a whole run
// of buckets, whatever its offset and on days of a daylight-saving change.
#pragma once

#include <cstdint>

constexpr uint64_t kUsageBucketTicks = 15ull * 60 * 10000000;  // FILETIME units

struct CivilDate {
    int32_t year;
    int32_t month;  // 1..12
    int32_t day;    // 1..31
};

// Buckets first .. end - 1.
struct BucketRange {
    int64_t first;
    int64_t end;
};

struct UsagePeriods {
    BucketRange today;
    BucketRange month;
    double monthPassed;  // share of the month's time passed, 0..1
};

int64_t BucketOf(uint64_t fileTime) noexcept;
int32_t DaysInMonth(int32_t year, int32_t month) noexcept;
CivilDate NextDay(CivilDate date) noexcept;
CivilDate PreviousDay(CivilDate date) noexcept;

// The first day of the usage month holding `date`, for months that start on
// startDay (1..31); a month without that day starts on its last day.
CivilDate MonthStartOf(CivilDate date, int32_t startDay) noexcept;
// The first day of the usage month after the one starting on `monthStart`.
CivilDate NextMonthStart(CivilDate monthStart, int32_t startDay) noexcept;

// The clock: GetSystemTimeAsFileTime, the one source of the time.
uint64_t UsageClockNow() noexcept;

// The local date at a moment, and the moment of a local date's midnight, by the
// rules the system has for that moment.
bool LocalDateAt(uint64_t fileTime, CivilDate* date) noexcept;
bool LocalMidnight(CivilDate date, uint64_t* fileTime) noexcept;

// The buckets of a local day, and of the usage month starting on monthStart.
bool DayBuckets(CivilDate date, BucketRange* range) noexcept;
bool MonthBuckets(CivilDate monthStart, int32_t startDay, BucketRange* range) noexcept;

// Today and the current usage month at `now`.
bool UsagePeriodsAt(uint64_t now, int32_t startDay, UsagePeriods* periods) noexcept;
