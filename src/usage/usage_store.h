// The usage totals of the Windows user, kept in SQLite: per adapter (by GUID)
// the counter values last counted and the uptime then, and the traffic per
// 15-minute UTC bucket. One file shared by every icon and every dock of the
// user; module-wide state behind one lock, since icons may run on different
// threads. Where the file cannot be used, counting goes on in memory and is
// moved into the file at the first write that can use it again.
#pragma once

#include "usage/counter_growth.h"
#include "usage/usage_period.h"

#include <cstddef>
#include <functional>

// Users of the store: it opens when first needed and closes when the last goes.
void AddUsageStoreUser() noexcept;
void RemoveUsageStoreUser() noexcept;

enum class UsageWrite { Written, InMemory, Busy };

// One write, one transaction: adds what the counters grew since the values
// last counted (CounterGrowth) to the bucket of `now`, and keeps `counters`,
// their sampleTime and `uptimeMs` as the values last counted (unless stale). `seed` stands in for the last counted
// values where memory counts an adapter it has no values for yet. Busy: another
// dock held the file past the busy timeout; the counters keep what was not added.
UsageWrite WriteUsageCounts(const wchar_t* guid, UsagePair counters, int64_t sampleTime, uint64_t uptimeMs,
                            uint64_t now, const CountedMark& seed) noexcept;

// Whether any icon of this module wrote the adapter from `since` to `now`.
bool UsageWrittenBetween(const wchar_t* guid, uint64_t since, uint64_t now) noexcept;

// The read side: the adapter's totals in each of `count` bucket ranges, and
// its values last counted. Nothing stored reads as zero and unknown.
void ReadUsageTotals(const wchar_t* guid, const BucketRange* ranges, UsagePair* totals, size_t count,
                     CountedMark* mark) noexcept;

// Every bucket of the adapter that holds traffic, the file's then memory's,
// each in bucket order. May throw what `visit` throws.
void ReadUsageBuckets(const wchar_t* guid, const std::function<void(int64_t bucket, UsagePair bytes)>& visit);

// The allowance's warnings of one adapter and month, for one allowance and
// start day: another allowance or start day warns afresh.
struct UsageWarningKey {
    int64_t monthFirst;  // the month's first bucket
    int32_t allowanceMb;
    int32_t startDay;
};

// Records that warning `level` (1: 80 %, 2: reached) was given; true only for
// the one caller, of any icon or dock, that records it first.
bool ClaimUsageWarning(const wchar_t* guid, const UsageWarningKey& key, int32_t level) noexcept;

// The database's path: "<local application data>\Vantrel Docklet\usage.db".
bool UsageDatabasePath(wchar_t* path, size_t capacity) noexcept;
