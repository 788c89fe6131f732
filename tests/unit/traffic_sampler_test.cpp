#include "measure/traffic_sampler.h"

#include "base/text.h"
#include "measure/rate_histories.h"
#include "base/rate_history.h"
#include "support/perf_block_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

// Counter types by the values the system publishes.
constexpr uint32_t kCounterCounter = 0x10410400;
constexpr uint32_t kBulkCount = 0x10410500;
constexpr uint32_t kSampleCounter = 0x00410400;
constexpr uint32_t kQueueLen = 0x00450400;
constexpr uint32_t kLargeQueueLen = 0x00450500;
constexpr uint32_t k100nsQueueLen = 0x00550500;
constexpr uint32_t kObjTimeQueueLen = 0x00650500;
constexpr uint32_t kAverageBulk = 0x40020500;
constexpr uint32_t kCounterTimer = 0x20410500;
constexpr uint32_t kObjTimeTimer = 0x20610500;
constexpr uint32_t kPrecisionSystemTimer = 0x20470500;
constexpr uint32_t k100nsTimer = 0x20510500;
constexpr uint32_t kPrecision100nsTimer = 0x20570500;
constexpr uint32_t kPrecisionObjectTimer = 0x20670500;
constexpr uint32_t kSampleFraction = 0x20C20400;
constexpr uint32_t kCounterTimerInv = 0x21410500;
constexpr uint32_t k100nsTimerInv = 0x21510500;
constexpr uint32_t kMultiTimer = 0x22410500;
constexpr uint32_t k100nsMultiTimer = 0x22510500;
constexpr uint32_t kMultiTimerInv = 0x23410500;
constexpr uint32_t k100nsMultiTimerInv = 0x23510500;
constexpr uint32_t kRawCount = 0x00010000;
constexpr uint32_t kLargeRawCount = 0x00010100;
constexpr uint32_t kRawCountHex = 0x00000000;
constexpr uint32_t kLargeRawCountHex = 0x00000100;
constexpr uint32_t kDelta = 0x00400400;
constexpr uint32_t kLargeDelta = 0x00400500;
constexpr uint32_t kRawFraction = 0x20020400;
constexpr uint32_t kLargeRawFraction = 0x20020500;
constexpr uint32_t kAverageTimer = 0x30020400;
constexpr uint32_t kElapsedTime = 0x30240500;
constexpr uint32_t kNoData = 0x40000200;

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
    for (uint32_t type : {kCounterCounter, kBulkCount, kSampleCounter}) {
        SCOPED_TRACE(type);
        EXPECT_DOUBLE_EQ(ByteRate(type, -4, -4, 1000, 2500, 1.0), 1.5);
        EXPECT_DOUBLE_EQ(ByteRate(type, 0, 0, 1000, 2500, 1.0), 1500.0);
        // 15009 bytes over ten seconds: 1500.9 per second, truncated before scaling.
        EXPECT_DOUBLE_EQ(ByteRate(type, 0, 0, 0, 15009, 10.0), 1500.0);
        EXPECT_DOUBLE_EQ(ByteRate(type, -4, -4, 0, 15009, 10.0), 1.5);
        // Only the low 32 bits of the whole rate are kept.
        EXPECT_DOUBLE_EQ(ByteRate(type, 0, 0, 0, (uint64_t{1} << 32) + 5, 1.0), 5.0);
    }
}

TEST(CalculateCounterValue, ByteRateScaleComesFromNewerButOnlyWhenOlderHasOne) {
    EXPECT_DOUBLE_EQ(ByteRate(kBulkCount, 0, -4, 0, 1500, 1.0), 1500.0);
    EXPECT_DOUBLE_EQ(ByteRate(kBulkCount, -4, 0, 0, 1500, 1.0), 1500.0);
    EXPECT_DOUBLE_EQ(ByteRate(kBulkCount, 3, -4, 0, 1500, 1.0), 1.5);
}

TEST(CalculateCounterValue, ByteRatesWithoutAUsableIntervalAreZero) {
    // A counter that went back: over a short interval its wrapped difference does
    // not fit, over a long one (a reconnected adapter) it is no traffic either.
    EXPECT_EQ(ByteRate(kBulkCount, 0, 0, 5000, 4000, 1.0), 0.0);
    EXPECT_EQ(ByteRate(kBulkCount, 0, 0, 5000, 4000, 30.0), 0.0);
    EXPECT_EQ(ByteRate(kCounterCounter, -4, -4, 0xFFFFFF00u, 0x100u, 1.0), 0.0);
    // The same time stamp.
    EXPECT_EQ(ByteRate(kBulkCount, 0, 0, 1000, 2500, 0.0), 0.0);
    EXPECT_EQ(ByteRate(kBulkCount, 0, 0, 1000, 1000, 0.0), 0.0);
    // A clock that went back.
    EXPECT_EQ(ByteRate(kBulkCount, 0, 0, 1000, 2500, -1.0), 0.0);
    // No frequency in the newer reading.
    const RawCounterSample older = Reading(kBulkCount, 0, 0, 0, 0);
    const RawCounterSample newer = Reading(kBulkCount, 0, 1500, kFrequency, 0);
    EXPECT_EQ(CalculateCounterValue(older, &newer), 0.0);
    // No newer reading at all.
    EXPECT_EQ(CalculateCounterValue(older, nullptr), 0.0);
}

struct PairCase {
    uint32_t type;
    uint64_t dN;
    int64_t dT;
    int64_t frequency;
    uint32_t multiCount;
    int32_t scale;
    double expected;
};

TEST(CalculateCounterValue, TwoReadingFormulasByType) {
    const PairCase cases[] = {
        {kQueueLen, 50, 10, 0, 0, 0, 5.0},
        {kLargeQueueLen, 50, 10, 0, 0, 2, 50.0},
        {k100nsQueueLen, 50, 10, 0, 0, -2, 0.5},
        {kObjTimeQueueLen, 50, 10, 0, 0, 0, 5.0},
        {kAverageBulk, 50, 10, 0, 0, 3, 5.0},
        {kCounterTimer, 25, 100, 0, 0, 0, 25.0},
        {kObjTimeTimer, 25, 100, 0, 0, -2, 2.5},
        {kPrecisionSystemTimer, 25, 100, 0, 0, 0, 25.0},
        {k100nsTimer, 25, 100, 0, 0, 0, 25.0},
        {kPrecision100nsTimer, 25, 100, 0, 0, 0, 25.0},
        {kPrecisionObjectTimer, 25, 100, 0, 0, 0, 25.0},
        {kSampleFraction, 25, 100, 0, 0, 0, 25.0},
        // 100 x 2^62 wraps to 0 in 64-bit integers.
        {kCounterTimer, uint64_t{1} << 62, 100, 0, 0, 0, 0.0},
        {kCounterTimerInv, 25, 100, 0, 0, 0, 75.0},
        {k100nsTimerInv, 25, 100, 0, 0, 2, 750.0},
        // Whole seconds: 25 / 10 truncates to 2.
        {kMultiTimer, 300, 25, 10, 3, 0, 5000.0},
        {k100nsMultiTimer, 300, 100, 0, 3, 0, 100.0},
        {kMultiTimerInv, 100, 100, 0, 3, 0, 200.0},
        {k100nsMultiTimerInv, 50, 100, 0, 3, 2, 2500.0},
        {kDelta, 7, 100, 0, 0, 3, 7.0},
        {kLargeDelta, 7, 0, 0, 0, 0, 7.0},
        {kAverageTimer, 500, 2, 100, 0, 0, 2.5},
    };
    for (const PairCase& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.type << std::dec << " dN " << c.dN);
        const RawCounterSample older = Reading(c.type, 0, 1000, 4000, c.frequency);
        const RawCounterSample newer =
            Reading(c.type, c.scale, 1000 + c.dN, 4000 + c.dT, c.frequency, c.multiCount);
        EXPECT_DOUBLE_EQ(CalculateCounterValue(older, &newer), c.expected);
        // Without a newer reading there is no interval.
        EXPECT_EQ(CalculateCounterValue(older, nullptr), 0.0);
    }
}

TEST(CalculateCounterValue, DeltaWrapsLikeTheCounter) {
    const RawCounterSample older = Reading(kDelta, 0, 10, 0);
    const RawCounterSample newer = Reading(kDelta, 0, 3, 0);
    EXPECT_DOUBLE_EQ(CalculateCounterValue(older, &newer), 18446744073709551609.0);
}

TEST(CalculateCounterValue, DivisionsByZeroGiveZeroNotInfinity) {
    const RawCounterSample queueOlder = Reading(kQueueLen, 0, 0, 100);
    const RawCounterSample queueNewer = Reading(kQueueLen, 0, 50, 100);
    EXPECT_EQ(CalculateCounterValue(queueOlder, &queueNewer), 0.0);

    const RawCounterSample multiOlder = Reading(kMultiTimer, 0, 0, 0, 0);
    const RawCounterSample multiNewer = Reading(kMultiTimer, 0, 300, 25, 0, 3);
    EXPECT_EQ(CalculateCounterValue(multiOlder, &multiNewer), 0.0);

    const RawCounterSample fraction = Reading(kRawFraction, 0, 25, 0);
    EXPECT_EQ(CalculateCounterValue(fraction, nullptr), 0.0);
}

TEST(CalculateCounterValue, SingleReadingFormulasIgnoreNewer) {
    const RawCounterSample unrelated = Reading(kRawCount, 5, 999, 999, 999);
    for (const RawCounterSample* newer : {static_cast<const RawCounterSample*>(nullptr), &unrelated}) {
        // A 100 Mbit/s bandwidth at its usual scale.
        EXPECT_DOUBLE_EQ(CalculateCounterValue(Reading(kLargeRawCount, -6, 100000000, 0), newer), 1000.0);
        EXPECT_DOUBLE_EQ(CalculateCounterValue(Reading(kRawCount, 0, 42, 0), newer), 42.0);
        EXPECT_DOUBLE_EQ(CalculateCounterValue(Reading(kRawCountHex, 3, 255, 0), newer), 255.0);
        EXPECT_DOUBLE_EQ(CalculateCounterValue(Reading(kLargeRawCountHex, -3, 255, 0), newer), 255.0);
        EXPECT_DOUBLE_EQ(CalculateCounterValue(Reading(kRawFraction, 0, 25, 200), newer), 12.5);
        EXPECT_DOUBLE_EQ(CalculateCounterValue(Reading(kLargeRawFraction, 2, 25, 200), newer), 125.0);
        EXPECT_DOUBLE_EQ(CalculateCounterValue(Reading(kElapsedTime, 0, 1000, 5000, 100), newer), 40.0);
    }
}

TEST(CalculateCounterValue, UnknownTypesGiveMinusOne) {
    const RawCounterSample newer = Reading(kNoData, 0, 10, 10, 10);
    EXPECT_EQ(CalculateCounterValue(Reading(kNoData, 0, 5, 5, 5), &newer), -1.0);
    EXPECT_EQ(CalculateCounterValue(Reading(0x12345678, 0, 5, 5, 5), nullptr), -1.0);
    EXPECT_EQ(CalculateCounterValue(Reading(0x00000B00, 0, 5, 5, 5), nullptr), -1.0);
}

TEST(ApplyDefaultScale, FactorIsTenToScaleMinusOneOrPlusOne) {
    EXPECT_EQ(ApplyDefaultScale(0.0, 5), 0.0);
    EXPECT_DOUBLE_EQ(ApplyDefaultScale(1500.0, 0), 1500.0);
    EXPECT_DOUBLE_EQ(ApplyDefaultScale(1500.0, 1), 1500.0);
    EXPECT_DOUBLE_EQ(ApplyDefaultScale(1500.0, 2), 15000.0);
    EXPECT_DOUBLE_EQ(ApplyDefaultScale(1500.0, 3), 150000.0);
    EXPECT_DOUBLE_EQ(ApplyDefaultScale(1500.0, -1), 1500.0);
    EXPECT_DOUBLE_EQ(ApplyDefaultScale(1500.0, -2), 150.0);
    EXPECT_DOUBLE_EQ(ApplyDefaultScale(1500.0, -4), 1.5);
    EXPECT_DOUBLE_EQ(ApplyDefaultScale(-20.0, -6), -0.0002);
}

TEST(ApplyDefaultScale, ScalesFromAMalformedBlockRunOutOfRange) {
    EXPECT_EQ(ApplyDefaultScale(3.0, std::numeric_limits<int32_t>::max()), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ApplyDefaultScale(3.0, std::numeric_limits<int32_t>::min()), 0.0);
    // And such a figure never reaches a label or a graph.
    const RawCounterSample wild = Reading(kRawCount, std::numeric_limits<int32_t>::max(), 7, 0);
    EXPECT_EQ(CalculateCounterValue(wild, nullptr), 0.0);
}

// Serves the sampler blocks built by a test, one per fetch; an empty entry (or
// an empty queue) is a failed fetch.
struct FakeRegistry {
    std::deque<std::vector<uint8_t>> blocks;
    std::vector<size_t> requestedSizes;
    std::vector<std::wstring> valueNames;
};
FakeRegistry* g_registry = nullptr;

uint8_t* ServeBlock(const wchar_t* valueName, size_t initialSize, size_t* size) noexcept {
    g_registry->valueNames.emplace_back(valueName);
    g_registry->requestedSizes.push_back(initialSize);
    if (g_registry->blocks.empty()) {
        return nullptr;
    }
    const std::vector<uint8_t> block = std::move(g_registry->blocks.front());
    g_registry->blocks.pop_front();
    if (block.empty()) {
        return nullptr;
    }
    auto* copy = static_cast<uint8_t*>(std::malloc(block.size()));
    std::memcpy(copy, block.data(), block.size());
    *size = block.size();
    return copy;
}

const wchar_t kAdapterA[] = L"Gigabit Adapter [PCI]";
const wchar_t kAdapterB[] = L"Wireless Card";

struct Counters {
    uint64_t total;
    uint64_t received;
    uint64_t sent;
    uint64_t bandwidth;
};

class TrafficSampler : public testing::Test {
protected:
    void SetUp() override {
        g_registry = &registry_;
        SetPerfDataSourceForTesting(ServeBlock);
        instance_ = static_cast<DockletInstance*>(std::calloc(1, sizeof(DockletInstance)));
        ASSERT_NE(instance_, nullptr);
        CopyText(instance_->counterInstanceName, kAdapterA);
        ASSERT_TRUE(CreateRateHistories(instance_));
    }

    void TearDown() override {
        SetPerfDataSourceForTesting(nullptr);
        g_registry = nullptr;
        DestroyRateHistories(instance_);
        std::free(instance_);
    }

    // A block at `seconds` on a 10 MHz clock with both adapters; A carries `a`.
    void QueueBlock(double seconds, const Counters& a, const Counters& b = {}) {
        const std::vector<AdapterCounters> adapters = {
            {kAdapterA, a.total, a.received, a.sent, a.bandwidth},
            {kAdapterB, b.total, b.received, b.sent, b.bandwidth},
        };
        registry_.blocks.push_back(
            BuildPerfBlock(NetworkInterfaceBlock(adapters, static_cast<int64_t>(seconds * kFrequency), kFrequency)));
    }

    void QueueBlockWithoutAdapterA(double seconds) {
        const std::vector<AdapterCounters> adapters = {{kAdapterB, 1, 1, 1, 1}};
        registry_.blocks.push_back(
            BuildPerfBlock(NetworkInterfaceBlock(adapters, static_cast<int64_t>(seconds * kFrequency), kFrequency)));
    }

    void QueueFailedFetch() { registry_.blocks.emplace_back(); }

    void StartSampler(const Counters& a) {
        QueueBlock(100.0, a);
        instance_->samplerReady = TakeInitialSamples(instance_) ? 1 : 0;
        ASSERT_EQ(instance_->samplerReady, 1);
    }

    FakeRegistry registry_;
    DockletInstance* instance_ = nullptr;
};

TEST_F(TrafficSampler, InitialSamplesTakeTheThreeOlderReadings) {
    QueueBlock(100.0, {50000, 20000, 30000, 100000000});
    EXPECT_TRUE(TakeInitialSamples(instance_));
    EXPECT_EQ(instance_->prevTotalSample.data, 50000u);
    EXPECT_EQ(instance_->prevReceivedSample.data, 20000u);
    EXPECT_EQ(instance_->prevSentSample.data, 30000u);
    EXPECT_EQ(instance_->prevSentSample.time, 100 * kFrequency);
    EXPECT_EQ(instance_->bandwidthSample.data, 0u);
    EXPECT_EQ(instance_->perfData, nullptr);
    ASSERT_EQ(registry_.requestedSizes.size(), 1u);
    EXPECT_EQ(registry_.requestedSizes[0], 48928u);
    EXPECT_EQ(registry_.valueNames[0], L"510");

    QueueBlockWithoutAdapterA(101.0);
    EXPECT_FALSE(TakeInitialSamples(instance_));
    QueueFailedFetch();
    EXPECT_FALSE(TakeInitialSamples(instance_));
}

TEST_F(TrafficSampler, TickMakesTheFourFiguresAndAppendsEachToItsHistory) {
    StartSampler({50000, 20000, 30000, 100000000});
    QueueBlock(101.0, {56000, 21500, 34500, 100000000});
    SampleTraffic(instance_);

    EXPECT_DOUBLE_EQ(instance_->totalRate, 6.0);
    EXPECT_DOUBLE_EQ(instance_->downloadRate, 1.5);
    EXPECT_DOUBLE_EQ(instance_->uploadRate, 4.5);
    EXPECT_DOUBLE_EQ(instance_->bandwidth, 1000.0);
    ASSERT_EQ(instance_->totalHistory->Count(), 1);
    EXPECT_DOUBLE_EQ(instance_->totalHistory->At(instance_->totalHistory->last), 6.0);
    EXPECT_DOUBLE_EQ(instance_->downloadHistory->At(instance_->downloadHistory->last), 1.5);
    EXPECT_DOUBLE_EQ(instance_->uploadHistory->At(instance_->uploadHistory->last), 4.5);
    EXPECT_DOUBLE_EQ(instance_->bandwidthHistory->At(instance_->bandwidthHistory->last), 1000.0);
    EXPECT_EQ(registry_.requestedSizes.back(), 122880u);
    EXPECT_EQ(instance_->perfData, nullptr);

    // The newer readings became the older ones: the next tick measures from them.
    EXPECT_EQ(instance_->prevReceivedSample.data, 21500u);
    QueueBlock(103.0, {56000, 24500, 34500, 100000000});
    SampleTraffic(instance_);
    EXPECT_DOUBLE_EQ(instance_->downloadRate, 1.5);
    EXPECT_DOUBLE_EQ(instance_->uploadRate, 0.0);
    EXPECT_EQ(instance_->downloadHistory->Count(), 2);
}

TEST_F(TrafficSampler, FirstTickAfterAFailedSetUpOnlyRetriesIt) {
    QueueFailedFetch();
    instance_->samplerReady = TakeInitialSamples(instance_) ? 1 : 0;
    ASSERT_EQ(instance_->samplerReady, 0);

    QueueBlock(100.0, {50000, 20000, 30000, 100000000});
    SampleTraffic(instance_);
    EXPECT_EQ(instance_->samplerReady, 1);
    EXPECT_EQ(instance_->totalRate, 0.0);
    EXPECT_EQ(instance_->bandwidth, 0.0);
    EXPECT_EQ(instance_->totalHistory->Count(), 0);
    EXPECT_EQ(instance_->bandwidthHistory->Count(), 0);
    EXPECT_EQ(registry_.requestedSizes.back(), 48928u);

    QueueBlock(101.0, {51000, 21000, 30000, 100000000});
    SampleTraffic(instance_);
    EXPECT_DOUBLE_EQ(instance_->downloadRate, 1.0);
    EXPECT_EQ(instance_->totalHistory->Count(), 1);
}

TEST_F(TrafficSampler, FailedFetchSkipsTheTick) {
    StartSampler({50000, 20000, 30000, 100000000});
    QueueBlock(101.0, {56000, 21500, 34500, 100000000});
    SampleTraffic(instance_);
    const RawCounterSample olderBefore = instance_->prevTotalSample;

    QueueFailedFetch();
    SampleTraffic(instance_);
    EXPECT_DOUBLE_EQ(instance_->totalRate, 6.0);
    EXPECT_EQ(instance_->totalHistory->Count(), 1);
    EXPECT_EQ(std::memcmp(&instance_->prevTotalSample, &olderBefore, sizeof olderBefore), 0);
    EXPECT_EQ(instance_->perfData, nullptr);
}

TEST_F(TrafficSampler, FailedReadingsKeepTheOldOnesAndGiveZero) {
    StartSampler({50000, 20000, 30000, 100000000});
    QueueBlock(101.0, {56000, 21500, 34500, 100000000});
    SampleTraffic(instance_);

    QueueBlockWithoutAdapterA(102.0);
    SampleTraffic(instance_);
    EXPECT_EQ(instance_->totalRate, 0.0);
    EXPECT_EQ(instance_->downloadRate, 0.0);
    EXPECT_EQ(instance_->uploadRate, 0.0);
    EXPECT_DOUBLE_EQ(instance_->bandwidth, 1000.0);
    EXPECT_EQ(instance_->curReceivedSample.data, 21500u);
    ASSERT_EQ(instance_->downloadHistory->Count(), 2);
    EXPECT_EQ(instance_->downloadHistory->At(instance_->downloadHistory->last), 0.0);
    EXPECT_DOUBLE_EQ(instance_->bandwidthHistory->At(instance_->bandwidthHistory->last), 1000.0);
}

TEST_F(TrafficSampler, ChangedAdapterStartsOverInsteadOfComparingTwoAdapters) {
    StartSampler({50000, 20000, 30000, 100000000});
    QueueBlock(101.0, {56000, 21500, 34500, 100000000});
    SampleTraffic(instance_);

    // The user picks adapter B, whose counters are far below A's.
    CopyText(instance_->counterInstanceName, kAdapterB);
    QueueBlock(102.0, {57000, 22000, 35000, 100000000}, {700, 300, 400, 54000000});
    SampleTraffic(instance_);
    EXPECT_EQ(instance_->samplerReady, 1);
    EXPECT_DOUBLE_EQ(instance_->totalRate, 6.0);
    EXPECT_EQ(instance_->totalHistory->Count(), 1);
    EXPECT_EQ(instance_->prevReceivedSample.data, 300u);
    EXPECT_EQ(registry_.requestedSizes.back(), 48928u);

    QueueBlock(103.0, {58000, 23000, 35000, 100000000}, {3700, 1300, 2400, 54000000});
    SampleTraffic(instance_);
    EXPECT_DOUBLE_EQ(instance_->totalRate, 3.0);
    EXPECT_DOUBLE_EQ(instance_->downloadRate, 1.0);
    EXPECT_DOUBLE_EQ(instance_->uploadRate, 2.0);
    EXPECT_DOUBLE_EQ(instance_->bandwidth, 540.0);
    EXPECT_EQ(instance_->totalHistory->Count(), 2);
}

TEST_F(TrafficSampler, ChangedAdapterThatCannotBeReadIsRetried) {
    StartSampler({50000, 20000, 30000, 100000000});
    CopyText(instance_->counterInstanceName, L"Missing Adapter");
    QueueBlock(101.0, {56000, 21500, 34500, 100000000});
    SampleTraffic(instance_);
    EXPECT_EQ(instance_->samplerReady, 0);

    CopyText(instance_->counterInstanceName, kAdapterA);
    QueueBlock(102.0, {56000, 21500, 34500, 100000000});
    SampleTraffic(instance_);
    EXPECT_EQ(instance_->samplerReady, 1);
    EXPECT_EQ(instance_->totalHistory->Count(), 0);
}

TEST_F(TrafficSampler, MissingHistoriesAreSkipped) {
    DestroyRateHistories(instance_);
    StartSampler({50000, 20000, 30000, 100000000});
    QueueBlock(101.0, {56000, 21500, 34500, 100000000});
    SampleTraffic(instance_);
    EXPECT_DOUBLE_EQ(instance_->downloadRate, 1.5);
}

}  // namespace
