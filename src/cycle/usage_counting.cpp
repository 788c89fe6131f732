#include "cycle/usage_counting.h"

#include "base/text.h"
#include "usage/counter_growth.h"
#include "usage/usage_period.h"
#include "usage/usage_store.h"

#include <windows.h>

#include <cwchar>
#include <iterator>

namespace {

constexpr uint64_t kWriteInterval = 60ull * 10000000;  // FILETIME units
constexpr int32_t kWarningTicks = 30;

int32_t StartDay(const DockletInstance* instance) noexcept {
    return instance->usageStartDay >= 1 && instance->usageStartDay <= 31 ? instance->usageStartDay : 1;
}

CountedMark StoredMark(const UsageRecord& usage) noexcept {
    return {usage.storedKnown, {usage.storedCounters[0], usage.storedCounters[1]}, usage.storedSampleTime,
            usage.storedUptimeMs};
}

}  // namespace

uint64_t Counted(const DockletInstance* instance, uint64_t received, uint64_t sent) noexcept {
    switch (instance->usageCount) {
        case kUsageReceived:
            return received;
        case kUsageSent:
            return sent;
        default:
            return received + sent;
    }
}

namespace {

void ReadStored(DockletInstance* instance, uint64_t now) noexcept {
    UsageRecord& usage = instance->usage;
    UsagePeriods periods{};
    if (!UsagePeriodsAt(now, StartDay(instance), &periods)) {
        return;
    }
    const BucketRange ranges[] = {periods.today, periods.month};
    UsagePair totals[2];
    CountedMark mark;
    ReadUsageTotals(usage.guid, ranges, totals, 2, &mark);
    usage.storedKnown = mark.known;
    usage.storedCounters[0] = mark.counters.received;
    usage.storedCounters[1] = mark.counters.sent;
    usage.storedSampleTime = mark.sampleTime;
    usage.storedUptimeMs = mark.uptimeMs;
    usage.today[0] = periods.today.first;
    usage.today[1] = periods.today.end;
    usage.month[0] = periods.month.first;
    usage.month[1] = periods.month.end;
    usage.todayBytes[0] = totals[0].received;
    usage.todayBytes[1] = totals[0].sent;
    usage.monthBytes[0] = totals[1].received;
    usage.monthBytes[1] = totals[1].sent;
    usage.monthPassed = periods.monthPassed;
}

void Write(DockletInstance* instance, uint64_t now) noexcept {
    UsageRecord& usage = instance->usage;
    const UsageWrite written = WriteUsageCounts(usage.guid, {usage.counters[0], usage.counters[1]},
                                                usage.sampleTime, GetTickCount64(), now, StoredMark(usage));
    usage.notSaved = written == UsageWrite::InMemory;
    usage.lastWrite = now;
    ReadStored(instance, now);
}

bool WriteDue(const UsageRecord& usage, uint64_t now) noexcept {
    const int64_t bucket = BucketOf(now);
    // A new day, or a clock set back, writes at once, so the totals are read for its periods.
    if (now < usage.lastWrite || bucket < usage.today[0] || bucket >= usage.today[1]) {
        return true;
    }
    // Once a minute per adapter: where another icon wrote it within the
    // minute, what this one shows (its totals read earlier plus the growth
    // since the values counted then) is right without a write of its own.
    return now - usage.lastWrite >= kWriteInterval &&
           !UsageWrittenBetween(usage.guid, now >= kWriteInterval ? now - kWriteInterval : 0, now);
}

void StartCounting(DockletInstance* instance, uint64_t now) noexcept {
    UsageRecord& usage = instance->usage;
    CopyText(usage.guid, instance->adapterGuid);
    if (!usage.storeUser) {
        AddUsageStoreUser();
        usage.storeUser = 1;
    }
    ReadStored(instance, now);
    // An adapter the store does not know is written at once: its values now
    // are the baseline, and everything after them counts.
    if (!usage.storedKnown) {
        Write(instance, now);
    } else {
        usage.lastWrite = now;
    }
}

int32_t WarningLevel(uint64_t counted, int32_t allowanceMb) noexcept {
    const uint64_t allowance = static_cast<uint64_t>(allowanceMb) * 1000000ull;
    if (counted >= allowance) {
        return 2;
    }
    return counted * 10 >= allowance * 8 ? 1 : 0;
}

// Each level is given once per adapter, month, allowance and start day; the
// store decides which icon of which dock gives it.
void LookAtAllowance(DockletInstance* instance) noexcept {
    UsageRecord& usage = instance->usage;
    if (usage.warningTicks > 0) {
        --usage.warningTicks;
    }
    if (instance->usageAllowance <= 0) {
        return;
    }
    const UsageWarningKey key{usage.month[0], instance->usageAllowance, StartDay(instance)};
    if (usage.warnedMonth != key.monthFirst || usage.warnedAllowance != key.allowanceMb ||
        usage.warnedStartDay != key.startDay) {
        usage.warnedMonth = key.monthFirst;
        usage.warnedAllowance = key.allowanceMb;
        usage.warnedStartDay = key.startDay;
        usage.warnedLevel = 0;
    }
    const int32_t level = WarningLevel(usage.shownMonth, instance->usageAllowance);
    if (level <= usage.warnedLevel) {
        return;
    }
    usage.warnedLevel = level;
    if (ClaimUsageWarning(usage.guid, key, level)) {
        usage.warningTicks = kWarningTicks;
        usage.warningShown = level;
    }
}

}  // namespace

void CountUsage(DockletInstance* instance) noexcept {
    if (!instance->samplerReady || instance->adapterGuid[0] == L'\0') {
        return;
    }
    UsageRecord& usage = instance->usage;
    const uint64_t now = UsageClockNow();
    const bool sameAdapter = std::wcsncmp(usage.guid, instance->adapterGuid, std::size(usage.guid)) == 0;
    if (!sameAdapter && usage.guid[0] != L'\0') {
        Write(instance, now);
    }
    usage.counters[0] = instance->prevReceivedSample.data;
    usage.counters[1] = instance->prevSentSample.data;
    usage.sampleTime = instance->prevReceivedSample.time;
    if (!sameAdapter) {
        StartCounting(instance, now);
    } else if (WriteDue(usage, now)) {
        Write(instance, now);
    }
    UpdateShownUsage(instance);
    LookAtAllowance(instance);
}

void WriteUsage(DockletInstance* instance) noexcept {
    if (instance->usage.guid[0] != L'\0') {
        Write(instance, UsageClockNow());
        UpdateShownUsage(instance);
    }
}

void StopUsage(DockletInstance* instance) noexcept {
    UsageRecord& usage = instance->usage;
    if (usage.guid[0] != L'\0') {
        Write(instance, UsageClockNow());
    }
    if (usage.storeUser) {
        RemoveUsageStoreUser();
        usage.storeUser = 0;
    }
}

UsagePair PendingUsage(const DockletInstance* instance) noexcept {
    const UsageRecord& usage = instance->usage;
    if (usage.guid[0] == L'\0') {
        return {0, 0};
    }
    return CounterGrowth(StoredMark(usage), {usage.counters[0], usage.counters[1]}, usage.sampleTime,
                         GetTickCount64());
}

const char* AllowanceWarning(const DockletInstance* instance) noexcept {
    if (instance->usage.warningTicks <= 0) {
        return nullptr;
    }
    return instance->usage.warningShown >= 2 ? "Usage: allowance reached" : "Usage: 80% of allowance";
}

void UpdateShownUsage(DockletInstance* instance) noexcept {
    UsageRecord& usage = instance->usage;
    const UsagePair pending = PendingUsage(instance);
    usage.shownToday = Counted(instance, usage.todayBytes[0] + pending.received, usage.todayBytes[1] + pending.sent);
    usage.shownMonth = Counted(instance, usage.monthBytes[0] + pending.received, usage.monthBytes[1] + pending.sent);
}
