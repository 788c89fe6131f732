// The sampler's arithmetic: the value of a counter from two readings. The
// sampler's ticks themselves are checked through the dock (refresh_test).
#include "measure/traffic_sampler.h"

#include <winperf.h>

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr int64_t kFrequency = 10000000;

RawCounterSample Reading(uint32_t type, int32_t scale, uint64_t data, int64_t time, int64_t frequency = 0,
                         uint32_t multiCount = 0) {
    RawCounterSample sample{};
    sample.counterType = type;
    sample.defaultScale = scale;
    sample.data = data;
    sample.time = time;
    sample.frequency = frequency;
    sample.multiCount = multiCount;
    return sample;
}

// Two readings of one counter, `seconds` apart on a 10 MHz performance clock.
double ByteRate(uint32_t type, int32_t olderScale, int32_t newerScale, uint64_t from, uint64_t to,
                double seconds) {
    const RawCounterSample older = Reading(type, olderScale, from, 5 * kFrequency, kFrequency);
    const RawCounterSample newer =
        Reading(type, newerScale, to, 5 * kFrequency + static_cast<int64_t>(seconds * kFrequency), kFrequency);
    return CalculateCounterValue(older, &newer);
}

TEST(CalculateCounterValue, ByteRatesAreWholeBytesPerSecondScaled) {
    for (uint32_t type : {PERF_COUNTER_COUNTER, PERF_COUNTER_BULK_COUNT, PERF_SAMPLE_COUNTER}) {
        SCOPED_TRACE(type);
        EXPECT_DOUBLE_EQ(ByteRate(type, -4, -4, 1000, 2500, 1.0), 1.5);
        EXPECT_DOUBLE_EQ(ByteRate(type, 0, 0, 1000, 2500, 1.0), 1500.0);
        // 15009 bytes over ten seconds: 1500.9 per second, truncated before scaling.
        EXPECT_DOUBLE_EQ(ByteRate(type, 0, 0, 0, 15009, 10.0), 1500.0);
        EXPECT_DOUBLE_EQ(ByteRate(type, -4, -4, 0, 15009, 10.0), 1.5);
        // Only the low 32 bits of the whole rate are kept.
        EXPECT_DOUBLE_EQ(ByteRate(type, 0, 0, 0, (uint64_t{1} << 32) + 5, 1.0), 5.0);
    }
    // The scale comes from the newer reading, but only when the older one has one.
    EXPECT_DOUBLE_EQ(ByteRate(PERF_COUNTER_BULK_COUNT, 0, -4, 0, 1500, 1.0), 1500.0);
    EXPECT_DOUBLE_EQ(ByteRate(PERF_COUNTER_BULK_COUNT, -4, 0, 0, 1500, 1.0), 1500.0);
    EXPECT_DOUBLE_EQ(ByteRate(PERF_COUNTER_BULK_COUNT, 3, -4, 0, 1500, 1.0), 1.5);
}

TEST(CalculateCounterValue, ByteRatesWithoutAUsableIntervalAreZero) {
    // A counter that went back: over a short interval its wrapped difference does
    // not fit, over a long one (a reconnected adapter) it is no traffic either.
    EXPECT_EQ(ByteRate(PERF_COUNTER_BULK_COUNT, 0, 0, 5000, 4000, 1.0), 0.0);
    EXPECT_EQ(ByteRate(PERF_COUNTER_BULK_COUNT, 0, 0, 5000, 4000, 30.0), 0.0);
    EXPECT_EQ(ByteRate(PERF_COUNTER_COUNTER, -4, -4, 0xFFFFFF00u, 0x100u, 1.0), 0.0);
    // The same time stamp, and a clock that went back.
    EXPECT_EQ(ByteRate(PERF_COUNTER_BULK_COUNT, 0, 0, 1000, 2500, 0.0), 0.0);
    EXPECT_EQ(ByteRate(PERF_COUNTER_BULK_COUNT, 0, 0, 1000, 1000, 0.0), 0.0);
    EXPECT_EQ(ByteRate(PERF_COUNTER_BULK_COUNT, 0, 0, 1000, 2500, -1.0), 0.0);
    // No frequency in the newer reading, and no newer reading at all.
    const RawCounterSample older = Reading(PERF_COUNTER_BULK_COUNT, 0, 0, 0, 0);
    const RawCounterSample newer = Reading(PERF_COUNTER_BULK_COUNT, 0, 1500, kFrequency, 0);
    EXPECT_EQ(CalculateCounterValue(older, &newer), 0.0);
    EXPECT_EQ(CalculateCounterValue(older, nullptr), 0.0);
}

// One type for each formula.
TEST(CalculateCounterValue, TwoReadingFormulasByType) {
    struct Case {
        uint32_t type;
        uint64_t dN;
        int64_t dT;
        int64_t frequency;
        uint32_t multiCount;
        int32_t scale;
        double expected;
    };
    const Case cases[] = {
        {PERF_COUNTER_QUEUELEN_TYPE, 50, 10, 0, 0, 0, 5.0},
        {PERF_COUNTER_LARGE_QUEUELEN_TYPE, 50, 10, 0, 0, 2, 50.0},
        {PERF_AVERAGE_BULK, 50, 10, 0, 0, 3, 5.0},
        {PERF_COUNTER_TIMER, 25, 100, 0, 0, 0, 25.0},
        {PERF_OBJ_TIME_TIMER, 25, 100, 0, 0, -2, 2.5},
        // 100 x 2^62 wraps to 0 in 64-bit integers.
        {PERF_COUNTER_TIMER, uint64_t{1} << 62, 100, 0, 0, 0, 0.0},
        {PERF_100NSEC_TIMER_INV, 25, 100, 0, 0, 2, 750.0},
        // Whole seconds: 25 / 10 truncates to 2.
        {PERF_COUNTER_MULTI_TIMER, 300, 25, 10, 3, 0, 5000.0},
        {PERF_100NSEC_MULTI_TIMER, 300, 100, 0, 3, 0, 100.0},
        {PERF_100NSEC_MULTI_TIMER_INV, 50, 100, 0, 3, 2, 2500.0},
        {PERF_COUNTER_DELTA, 7, 100, 0, 0, 3, 7.0},
        // A delta wraps like the counter.
        {PERF_COUNTER_DELTA, ~uint64_t{6}, 0, 0, 0, 0, 18446744073709551609.0},
        {PERF_AVERAGE_TIMER, 500, 2, 100, 0, 0, 2.5},
        // Divisions by zero give 0, not infinity.
        {PERF_COUNTER_QUEUELEN_TYPE, 50, 0, 0, 0, 0, 0.0},
        {PERF_COUNTER_MULTI_TIMER, 300, 25, 0, 3, 0, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.type << std::dec << " dN " << c.dN);
        const RawCounterSample older = Reading(c.type, 0, 1000, 4000, c.frequency);
        const RawCounterSample newer =
            Reading(c.type, c.scale, 1000 + c.dN, 4000 + c.dT, c.frequency, c.multiCount);
        EXPECT_DOUBLE_EQ(CalculateCounterValue(older, &newer), c.expected);
        // Without a newer reading there is no interval.
        EXPECT_EQ(CalculateCounterValue(older, nullptr), 0.0);
    }
}

TEST(CalculateCounterValue, SingleReadingFormulasIgnoreNewerAndUnknownTypesGiveMinusOne) {
    const RawCounterSample unrelated = Reading(PERF_COUNTER_RAWCOUNT, 5, 999, 999, 999);
    for (const RawCounterSample* newer : {static_cast<const RawCounterSample*>(nullptr), &unrelated}) {
        // A 100 Mbit/s bandwidth at its usual scale.
        EXPECT_DOUBLE_EQ(CalculateCounterValue(Reading(PERF_COUNTER_LARGE_RAWCOUNT, -6, 100000000, 0), newer), 1000.0);
        EXPECT_DOUBLE_EQ(CalculateCounterValue(Reading(PERF_COUNTER_RAWCOUNT, 0, 42, 0), newer), 42.0);
        EXPECT_DOUBLE_EQ(CalculateCounterValue(Reading(PERF_COUNTER_RAWCOUNT_HEX, 3, 255, 0), newer), 255.0);
        EXPECT_DOUBLE_EQ(CalculateCounterValue(Reading(PERF_COUNTER_LARGE_RAWCOUNT_HEX, -3, 255, 0), newer), 255.0);
        EXPECT_DOUBLE_EQ(CalculateCounterValue(Reading(PERF_RAW_FRACTION, 0, 25, 200), newer), 12.5);
        EXPECT_DOUBLE_EQ(CalculateCounterValue(Reading(PERF_LARGE_RAW_FRACTION, 2, 25, 200), newer), 125.0);
        EXPECT_DOUBLE_EQ(CalculateCounterValue(Reading(PERF_ELAPSED_TIME, 0, 1000, 5000, 100), newer), 40.0);
        // A fraction without a base is 0, not infinity.
        EXPECT_EQ(CalculateCounterValue(Reading(PERF_RAW_FRACTION, 0, 25, 0), newer), 0.0);
    }
    const RawCounterSample newer = Reading(PERF_COUNTER_NODATA, 0, 10, 10, 10);
    EXPECT_EQ(CalculateCounterValue(Reading(PERF_COUNTER_NODATA, 0, 5, 5, 5), &newer), -1.0);
    EXPECT_EQ(CalculateCounterValue(Reading(0x12345678, 0, 5, 5, 5), nullptr), -1.0);
    EXPECT_EQ(CalculateCounterValue(Reading(0x00000B00, 0, 5, 5, 5), nullptr), -1.0);
}

TEST(ApplyDefaultScale, FactorIsTenToScaleMinusOneOrPlusOne) {
    const struct {
        double value;
        int32_t scale;
        double expected;
    } cases[] = {{0.0, 5, 0.0},       {1500.0, 0, 1500.0}, {1500.0, 1, 1500.0},  {1500.0, 2, 15000.0},
                 {1500.0, 3, 150000.0}, {1500.0, -1, 1500.0}, {1500.0, -2, 150.0}, {1500.0, -4, 1.5},
                 {-20.0, -6, -0.0002}};
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(ApplyDefaultScale(c.value, c.scale), c.expected) << c.value << " at " << c.scale;
    }
    // Scales from a malformed block run out of range, and such a figure never
    // reaches a label or a graph.
    EXPECT_EQ(ApplyDefaultScale(3.0, std::numeric_limits<int32_t>::max()), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ApplyDefaultScale(3.0, std::numeric_limits<int32_t>::min()), 0.0);
    const RawCounterSample wild = Reading(PERF_COUNTER_RAWCOUNT, std::numeric_limits<int32_t>::max(), 7, 0);
    EXPECT_EQ(CalculateCounterValue(wild, nullptr), 0.0);
}

}  // namespace
