#include "base/rate_history.h"
#include "measure/rate_histories.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

// The values from oldest to newest, walked with the readers' rule: logical index
// i (signed 32-bit) lives in slot i mod capacity, a negative remainder plus capacity.
std::vector<double> Walk(const Warr<double>& ring) {
    std::vector<double> values;
    for (int32_t i = ring.first; i <= ring.last; ++i) {
        int32_t slot = i % ring.capacity;
        if (slot < 0) {
            slot += ring.capacity;
        }
        values.push_back(ring.data[slot]);
    }
    return values;
}

TEST(RateHistory, NewRingIsEmpty) {
    Warr<double> ring(116, nullptr);
    EXPECT_EQ(ring.capacity, 116);
    EXPECT_TRUE(ring.ownsData);
    EXPECT_EQ(ring.first, 1);
    EXPECT_EQ(ring.last, 0);
    EXPECT_EQ(ring.Count(), 0);
    EXPECT_TRUE(Walk(ring).empty());
}

TEST(RateHistory, CapacityThreeWorkedExample) {
    Warr<double> ring(3, nullptr);
    ring.Append(1.0);
    ring.Append(2.0);
    EXPECT_EQ(Walk(ring), (std::vector<double>{1.0, 2.0}));

    ring.Append(3.0);
    EXPECT_EQ(ring.first, -2);
    EXPECT_EQ(ring.last, 0);
    EXPECT_EQ(ring.data[1], 1.0);
    EXPECT_EQ(ring.data[2], 2.0);
    EXPECT_EQ(ring.data[0], 3.0);
    EXPECT_EQ(Walk(ring), (std::vector<double>{1.0, 2.0, 3.0}));

    ring.Append(4.0);
    EXPECT_EQ(ring.first, -1);
    EXPECT_EQ(ring.last, 1);
    EXPECT_EQ(Walk(ring), (std::vector<double>{2.0, 3.0, 4.0}));
}

TEST(RateHistory, FullRingDropsOldest) {
    Warr<double> ring(116, nullptr);
    for (int i = 0; i < 116; ++i) {
        ring.Append(i);
    }
    EXPECT_EQ(ring.Count(), 116);
    EXPECT_EQ(ring.first, -115);
    EXPECT_EQ(ring.last, 0);
    EXPECT_EQ(Walk(ring).front(), 0.0);
    EXPECT_EQ(Walk(ring).back(), 115.0);

    ring.Append(116);
    const std::vector<double> values = Walk(ring);
    ASSERT_EQ(values.size(), 116u);
    EXPECT_EQ(values.front(), 1.0);
    EXPECT_EQ(values.back(), 116.0);
    EXPECT_EQ(ring.At(ring.first), 1.0);
    EXPECT_EQ(ring.At(ring.last), 116.0);
}

// Far more appends than 16-bit indexes can count: they must stay in range.
TEST(RateHistory, IndexesStayInSixteenBitRangeOverLongRuns) {
    Warr<double> ring(116, nullptr);
    for (int i = 0; i < 200000; ++i) {
        ring.Append(i);
        ASSERT_GE(ring.first, 1 - 116);
        ASSERT_LE(ring.last, 115);
    }
    const std::vector<double> values = Walk(ring);
    ASSERT_EQ(values.size(), 116u);
    for (size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(values[i], 200000.0 - 116 + i);
    }
}

TEST(RateHistory, LargestCapacityWrapsWithoutOverflow) {
    Warr<double> ring(32767, nullptr);
    ASSERT_EQ(ring.capacity, 32767);
    for (int i = 0; i < 32767 + 10; ++i) {
        ring.Append(i);
    }
    EXPECT_EQ(ring.Count(), 32767);
    EXPECT_EQ(ring.At(ring.first), 10.0);
    EXPECT_EQ(ring.At(ring.last), 32776.0);
}

TEST(RateHistory, SetStorageRejectsCapacityBelowOne) {
    Warr<double> ring(3, nullptr);
    ring.Append(1.0);
    ring.Append(2.0);
    double* before = ring.data;
    EXPECT_FALSE(ring.SetStorage(0, nullptr));
    EXPECT_FALSE(ring.SetStorage(-5, nullptr));
    EXPECT_EQ(ring.data, before);
    EXPECT_EQ(ring.capacity, 3);
    EXPECT_EQ(Walk(ring), (std::vector<double>{1.0, 2.0}));
}

TEST(RateHistory, ConstructedWithoutCapacityHasNoStorage) {
    Warr<double> ring(0, nullptr);
    EXPECT_EQ(ring.data, nullptr);
    EXPECT_EQ(ring.capacity, 0);
    ring.Append(1.0);
    EXPECT_EQ(ring.Count(), 0);
}

TEST(RateHistory, OutsideBufferEmptiesRingAndSurvivesIt) {
    double outside[4] = {7.0, 7.0, 7.0, 7.0};
    {
        Warr<double> ring(3, nullptr);
        ring.Append(1.0);
        EXPECT_TRUE(ring.SetStorage(4, outside));
        EXPECT_EQ(ring.data, outside);
        EXPECT_FALSE(ring.ownsData);
        EXPECT_EQ(ring.capacity, 4);
        EXPECT_EQ(ring.Count(), 0);
        ring.Append(9.0);
    }
    // Freeing a stack array would have crashed here or corrupted the heap.
    EXPECT_EQ(outside[1], 9.0);
    EXPECT_EQ(outside[0], 7.0);
}

TEST(RateHistories, CreatedEmptyInOrderAndDestroyed) {
    auto* instance = static_cast<DockletInstance*>(std::calloc(1, sizeof(DockletInstance)));
    ASSERT_NE(instance, nullptr);
    EXPECT_TRUE(CreateRateHistories(instance));
    Warr<double>* histories[] = {instance->totalHistory, instance->downloadHistory, instance->uploadHistory,
                                 instance->bandwidthHistory};
    for (Warr<double>* history : histories) {
        ASSERT_NE(history, nullptr);
        EXPECT_EQ(history->capacity, kHistoryCapacity);
        EXPECT_EQ(history->Count(), 0);
    }
    // A second call keeps what exists.
    EXPECT_TRUE(CreateRateHistories(instance));
    EXPECT_EQ(instance->totalHistory, histories[0]);

    DestroyRateHistories(instance);
    EXPECT_EQ(instance->totalHistory, nullptr);
    EXPECT_EQ(instance->downloadHistory, nullptr);
    EXPECT_EQ(instance->uploadHistory, nullptr);
    EXPECT_EQ(instance->bandwidthHistory, nullptr);
    DestroyRateHistories(instance);
    std::free(instance);
}

}  // namespace
