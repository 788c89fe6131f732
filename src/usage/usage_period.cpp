#include "usage/usage_period.h"

#include <windows.h>

namespace {

uint64_t FromFileTime(const FILETIME& time) noexcept {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

bool IsLeap(int32_t year) noexcept { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

CivilDate PreviousMonth(CivilDate date) noexcept {
    return date.month == 1 ? CivilDate{date.year - 1, 12, 1} : CivilDate{date.year, date.month - 1, 1};
}

CivilDate FollowingMonth(CivilDate date) noexcept {
    return date.month == 12 ? CivilDate{date.year + 1, 1, 1} : CivilDate{date.year, date.month + 1, 1};
}

// The start day as it falls in the month of `date`.
CivilDate StartIn(CivilDate date, int32_t startDay) noexcept {
    const int32_t last = DaysInMonth(date.year, date.month);
    return {date.year, date.month, startDay < last ? startDay : last};
}

bool Before(CivilDate a, CivilDate b) noexcept {
    if (a.year != b.year) {
        return a.year < b.year;
    }
    return a.month != b.month ? a.month < b.month : a.day < b.day;
}

bool RangeBetween(CivilDate from, CivilDate to, BucketRange* range) noexcept {
    uint64_t start = 0;
    uint64_t end = 0;
    if (!LocalMidnight(from, &start) || !LocalMidnight(to, &end)) {
        return false;
    }
    range->first = BucketOf(start);
    range->end = BucketOf(end);
    return true;
}

}  // namespace

int64_t BucketOf(uint64_t fileTime) noexcept { return static_cast<int64_t>(fileTime / kUsageBucketTicks); }

int32_t DaysInMonth(int32_t year, int32_t month) noexcept {
    static constexpr int32_t days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) {
        return 31;
    }
    return month == 2 && IsLeap(year) ? 29 : days[month - 1];
}

CivilDate PreviousDay(CivilDate date) noexcept {
    if (date.day > 1) {
        return {date.year, date.month, date.day - 1};
    }
    const CivilDate month = PreviousMonth(date);
    return {month.year, month.month, DaysInMonth(month.year, month.month)};
}

CivilDate NextDay(CivilDate date) noexcept {
    if (date.day < DaysInMonth(date.year, date.month)) {
        return {date.year, date.month, date.day + 1};
    }
    return FollowingMonth(date);
}

CivilDate MonthStartOf(CivilDate date, int32_t startDay) noexcept {
    const CivilDate here = StartIn(date, startDay);
    return Before(date, here) ? StartIn(PreviousMonth(date), startDay) : here;
}

CivilDate NextMonthStart(CivilDate monthStart, int32_t startDay) noexcept {
    return StartIn(FollowingMonth(monthStart), startDay);
}

uint64_t UsageClockNow() noexcept {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return FromFileTime(now);
}

bool LocalDateAt(uint64_t fileTime, CivilDate* date) noexcept {
    FILETIME utc{static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
    SYSTEMTIME utcTime;
    SYSTEMTIME localTime;
    if (!FileTimeToSystemTime(&utc, &utcTime) || !SystemTimeToTzSpecificLocalTime(nullptr, &utcTime, &localTime)) {
        return false;
    }
    *date = {localTime.wYear, localTime.wMonth, localTime.wDay};
    return true;
}

bool LocalMidnight(CivilDate date, uint64_t* fileTime) noexcept {
    SYSTEMTIME local{};
    local.wYear = static_cast<WORD>(date.year);
    local.wMonth = static_cast<WORD>(date.month);
    local.wDay = static_cast<WORD>(date.day);
    SYSTEMTIME utc;
    FILETIME utcFile;
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !SystemTimeToFileTime(&utc, &utcFile)) {
        return false;
    }
    *fileTime = FromFileTime(utcFile);
    return true;
}

bool DayBuckets(CivilDate date, BucketRange* range) noexcept { return RangeBetween(date, NextDay(date), range); }

bool MonthBuckets(CivilDate monthStart, int32_t startDay, BucketRange* range) noexcept {
    return RangeBetween(monthStart, NextMonthStart(monthStart, startDay), range);
}

bool UsagePeriodsAt(uint64_t now, int32_t startDay, UsagePeriods* periods) noexcept {
    CivilDate today;
    if (!LocalDateAt(now, &today)) {
        return false;
    }
    const CivilDate monthStart = MonthStartOf(today, startDay);
    uint64_t start = 0;
    uint64_t end = 0;
    if (!DayBuckets(today, &periods->today) || !LocalMidnight(monthStart, &start) ||
        !LocalMidnight(NextMonthStart(monthStart, startDay), &end)) {
        return false;
    }
    periods->month = {BucketOf(start), BucketOf(end)};
    const double passed = end > start && now > start ? static_cast<double>(now - start) / static_cast<double>(end - start) : 0.0;
    periods->monthPassed = passed < 1.0 ? passed : 1.0;
    return true;
}
