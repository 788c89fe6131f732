#include "base/rate_history.h"

#include "base/docklet_instance.h"

#include <gtest/gtest.h>

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

TEST(RateHistory, CapacityThreeWorkedExample) {
    Warr<double> ring(3, nullptr);
    EXPECT_EQ(ring.Count(), 0);
    EXPECT_TRUE(Walk(ring).empty());
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

// The indexes repeat with the capacity once the ring is full, so three rounds
// show that they never drift toward the end of their 16-bit range.
TEST(RateHistory, FullRingDropsOldestAndItsIndexesStayInRange) {
    Warr<double> ring(kHistoryCapacity, nullptr);
    for (int i = 0; i < 3 * kHistoryCapacity; ++i) {
        ring.Append(i);
        ASSERT_GE(ring.first, 1 - kHistoryCapacity);
        ASSERT_LE(ring.last, kHistoryCapacity - 1);
    }
    const std::vector<double> values = Walk(ring);
    ASSERT_EQ(values.size(), static_cast<size_t>(kHistoryCapacity));
    for (size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(values[i], 2.0 * kHistoryCapacity + i);
    }
    EXPECT_EQ(ring.At(ring.first), values.front());
    EXPECT_EQ(ring.At(ring.last), values.back());
}

TEST(RateHistory, StorageBelowOneSlotIsRefusedAndAnOutsideBufferIsNeverFreed) {
    Warr<double> none(0, nullptr);
    EXPECT_EQ(none.data, nullptr);
    none.Append(1.0);
    EXPECT_EQ(none.Count(), 0);

    Warr<double> ring(3, nullptr);
    ring.Append(1.0);
    EXPECT_FALSE(ring.SetStorage(0, nullptr));
    EXPECT_FALSE(ring.SetStorage(-5, nullptr));
    EXPECT_EQ(Walk(ring), (std::vector<double>{1.0}));

    double outside[4] = {7.0, 7.0, 7.0, 7.0};
    {
        Warr<double> borrowing(3, nullptr);
        borrowing.Append(1.0);
        EXPECT_TRUE(borrowing.SetStorage(4, outside));
        EXPECT_EQ(borrowing.Count(), 0);
        borrowing.Append(9.0);
    }
    // Freeing a stack array would have crashed here or corrupted the heap.
    EXPECT_EQ(outside[1], 9.0);
    EXPECT_EQ(outside[0], 7.0);
}

}  // namespace
