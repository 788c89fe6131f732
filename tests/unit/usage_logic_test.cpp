// The arithmetic under the usage totals: counter growth, usage months, buckets
// and amounts.
#include "base/rate_units.h"
#include "usage/counter_growth.h"
#include "usage/usage_period.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Amount(uint64_t bytes) {
    char text[32];
    FormatAmount(bytes, text, sizeof text);
    return text;
}

std::string Text(CivilDate date) {
    return std::to_string(date.year) + "-" + std::to_string(date.month) + "-" + std::to_string(date.day);
}

TEST(CounterGrowth, CountsOnceFromTheLastValuesAndTakesRestartsAsNew) {
    const CountedMark never{};
    EXPECT_EQ(CounterGrowth(never, {500, 700}, 9, 1000).received, 0u) << "first sight is the baseline";
    const CountedMark last{1, {1000, 2000}, 70, 50000};
    UsagePair grown = CounterGrowth(last, {1500, 2600}, 80, 60000);
    EXPECT_EQ(grown.received, 500u);
    EXPECT_EQ(grown.sent, 600u);
    grown = CounterGrowth(last, {300, 2600}, 80, 60000);
    EXPECT_EQ(grown.received, 300u) << "a counter below its last value started again";
    EXPECT_EQ(grown.sent, 600u);
    grown = CounterGrowth(last, {1500, 2600}, 5, 40000);
    EXPECT_EQ(grown.received, 1500u) << "lower uptime: Windows restarted, all values are new";
    EXPECT_EQ(grown.sent, 2600u);
    grown = CounterGrowth(last, {1000, 2000}, 70, 50000);
    EXPECT_EQ(grown.received + grown.sent, 0u);
}

TEST(CounterGrowth, AReadingOlderThanTheOneCountedCountsNothing) {
    const CountedMark last{1, {1000, 2000}, 70, 50000};
    EXPECT_TRUE(StaleReading(last, 60, 60000));
    EXPECT_EQ(CounterGrowth(last, {400, 2000}, 60, 60000).received, 0u) << "not a counter that started again";
    EXPECT_FALSE(StaleReading(last, 70, 60000));
    EXPECT_FALSE(StaleReading(last, 60, 40000)) << "another Windows session";
    EXPECT_FALSE(StaleReading(CountedMark{}, 60, 60000));
}

TEST(UsageMonths, StartOnTheStartDayOrTheMonthsLastDay) {
    EXPECT_EQ(Text(MonthStartOf({2026, 3, 10}, 1)), "2026-3-1");
    EXPECT_EQ(Text(MonthStartOf({2026, 3, 10}, 15)), "2026-2-15");
    EXPECT_EQ(Text(MonthStartOf({2026, 3, 15}, 15)), "2026-3-15");
    EXPECT_EQ(Text(MonthStartOf({2026, 1, 5}, 15)), "2025-12-15");
    EXPECT_EQ(Text(MonthStartOf({2026, 2, 27}, 31)), "2026-1-31");
    EXPECT_EQ(Text(MonthStartOf({2026, 2, 28}, 31)), "2026-2-28");
    EXPECT_EQ(Text(MonthStartOf({2024, 2, 28}, 31)), "2024-1-31") << "2024 is a leap year";
    EXPECT_EQ(Text(MonthStartOf({2024, 2, 29}, 31)), "2024-2-29");
    EXPECT_EQ(Text(MonthStartOf({2026, 4, 30}, 31)), "2026-4-30");
    EXPECT_EQ(Text(MonthStartOf({2026, 3, 30}, 31)), "2026-2-28");
    EXPECT_EQ(Text(NextMonthStart({2026, 2, 28}, 31)), "2026-3-31");
    EXPECT_EQ(Text(NextMonthStart({2026, 1, 30}, 30)), "2026-2-28");
    EXPECT_EQ(Text(NextMonthStart({2026, 12, 1}, 1)), "2027-1-1");
}

TEST(UsageMonths, CalendarArithmetic) {
    EXPECT_EQ(DaysInMonth(2026, 2), 28);
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
    EXPECT_EQ(DaysInMonth(1900, 2), 28);
    EXPECT_EQ(DaysInMonth(2026, 4), 30);
    EXPECT_EQ(Text(NextDay({2026, 12, 31})), "2027-1-1");
    EXPECT_EQ(Text(NextDay({2024, 2, 28})), "2024-2-29");
    EXPECT_EQ(Text(NextDay({2026, 2, 28})), "2026-3-1");
}

TEST(UsageBuckets, AreQuarterHoursOfUtc) {
    constexpr uint64_t minute = 60ull * 10000000;
    const uint64_t midnight = 13400000000ull * 10000000 / (15 * minute) * (15 * minute);
    EXPECT_EQ(BucketOf(midnight + 14 * minute), BucketOf(midnight));
    EXPECT_EQ(BucketOf(midnight + 15 * minute), BucketOf(midnight) + 1);
    EXPECT_EQ(BucketOf(midnight - 1), BucketOf(midnight) - 1);
    // 5:30 and 5:45 are whole runs of buckets.
    EXPECT_EQ(BucketOf(midnight + 330 * minute) - BucketOf(midnight), 22);
    EXPECT_EQ(BucketOf(midnight + 345 * minute) - BucketOf(midnight), 23);
}

TEST(UsageAmounts, ReadInKWithOneDecimalMovingUpToT) {
    EXPECT_EQ(Amount(0), "0.0K");
    EXPECT_EQ(Amount(49), "0.0K");
    EXPECT_EQ(Amount(999949), "999.9K");
    EXPECT_EQ(Amount(999950), "1.0M") << "moves up when the text would read 1000.0";
    EXPECT_EQ(Amount(812400000), "812.4M");
    EXPECT_EQ(Amount(41700000000), "41.7G");
    EXPECT_EQ(Amount(1200000000000), "1.2T");
    EXPECT_EQ(Amount(5000000000000000), "5000.0T") << "T is the last unit";
}

}  // namespace
