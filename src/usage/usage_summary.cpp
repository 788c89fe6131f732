#include "usage/usage_summary.h"

#include "usage/usage_store.h"

namespace {

int32_t DaysBetween(CivilDate from, CivilDate to) noexcept {
    int32_t days = 0;
    for (CivilDate day = from; (day.year != to.year || day.month != to.month || day.day != to.day) && days < 31;
         day = NextDay(day)) {
        ++days;
    }
    return days;
}

bool ReadDays(const wchar_t* guid, CivilDate today, UsageSummary* summary) noexcept {
    BucketRange ranges[31];
    CivilDate day = summary->monthStart;
    for (int32_t i = 0; i < summary->days; ++i, day = NextDay(day)) {
        if (!DayBuckets(day, &ranges[i])) {
            return false;
        }
    }
    BucketRange yesterday;
    if (!DayBuckets(PreviousDay(today), &yesterday)) {
        return false;
    }
    CountedMark mark;
    ReadUsageTotals(guid, ranges, summary->daily, static_cast<size_t>(summary->days), &mark);
    ReadUsageTotals(guid, &yesterday, &summary->yesterday, 1, &mark);
    summary->today = summary->daily[summary->todayIndex];
    return true;
}

bool ReadMonths(const wchar_t* guid, int32_t startDay, UsageSummary* summary) noexcept {
    BucketRange ranges[kSummaryMonths];
    CivilDate starts[kSummaryMonths];
    CivilDate start = summary->monthStart;
    for (int32_t i = 0; i < kSummaryMonths; ++i) {
        starts[i] = start;
        if (!MonthBuckets(start, startDay, &ranges[i])) {
            return false;
        }
        start = MonthStartOf(PreviousDay(start), startDay);
    }
    UsagePair totals[kSummaryMonths];
    CountedMark mark;
    ReadUsageTotals(guid, ranges, totals, kSummaryMonths, &mark);
    summary->month = totals[0];
    summary->lastMonth = totals[1];
    summary->monthCount = 0;
    for (int32_t i = 0; i < kSummaryMonths; ++i) {
        if (totals[i].received + totals[i].sent > 0) {
            summary->monthStarts[summary->monthCount] = starts[i];
            summary->months[summary->monthCount] = totals[i];
            ++summary->monthCount;
        }
    }
    return true;
}

}  // namespace

bool ReadUsageSummary(const wchar_t* guid, int32_t startDay, uint64_t now, UsageSummary* summary) noexcept {
    *summary = UsageSummary{};
    CivilDate today;
    UsagePeriods periods;
    if (!LocalDateAt(now, &today) || !UsagePeriodsAt(now, startDay, &periods)) {
        return false;
    }
    summary->monthStart = MonthStartOf(today, startDay);
    summary->days = DaysBetween(summary->monthStart, NextMonthStart(summary->monthStart, startDay));
    summary->todayIndex = DaysBetween(summary->monthStart, today);
    summary->monthPassed = periods.monthPassed;
    return ReadDays(guid, today, summary) && ReadMonths(guid, startDay, summary);
}

void AddPendingUsage(UsageSummary* summary, UsagePair pending) noexcept {
    if (pending.received + pending.sent == 0 || summary->days <= 0) {
        return;
    }
    const auto add = [&](UsagePair& pair) {
        pair.received += pending.received;
        pair.sent += pending.sent;
    };
    add(summary->today);
    add(summary->month);
    add(summary->daily[summary->todayIndex]);
    const CivilDate& start = summary->monthStart;
    const bool listed = summary->monthCount > 0 && summary->monthStarts[0].year == start.year &&
                        summary->monthStarts[0].month == start.month && summary->monthStarts[0].day == start.day;
    if (!listed) {
        const int32_t kept = summary->monthCount < kSummaryMonths ? summary->monthCount : kSummaryMonths - 1;
        for (int32_t i = kept; i > 0; --i) {
            summary->monthStarts[i] = summary->monthStarts[i - 1];
            summary->months[i] = summary->months[i - 1];
        }
        summary->monthStarts[0] = start;
        summary->months[0] = UsagePair{0, 0};
        summary->monthCount = kept + 1;
    }
    add(summary->months[0]);
}
