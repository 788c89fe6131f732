#include "measure/perf_block_walk.h"
#include "measure/perf_data_reader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

struct FreeBlock {
    void operator()(uint8_t* block) const { std::free(block); }
};
using Block = std::unique_ptr<uint8_t, FreeBlock>;

// A registry that answers ERROR_MORE_DATA `moreDataReplies` times (or forever
// when negative), then fills `returned` bytes; or fails with `error`.
struct ScriptedRegistry {
    int moreDataReplies = 0;
    DWORD returned = 0;
    LONG error = ERROR_SUCCESS;
    std::vector<DWORD> capacities;
    std::wstring valueName;

    static LONG Query(void* context, const wchar_t* valueName, uint8_t* buffer, DWORD* byteCount) noexcept {
        auto* self = static_cast<ScriptedRegistry*>(context);
        self->capacities.push_back(*byteCount);
        self->valueName = valueName;
        if (self->error != ERROR_SUCCESS) {
            return self->error;
        }
        if (self->moreDataReplies != 0) {
            --self->moreDataReplies;
            *byteCount = 0xFFFFFFFF;
            return ERROR_MORE_DATA;
        }
        for (DWORD i = 0; i < self->returned && i < *byteCount; ++i) {
            buffer[i] = static_cast<uint8_t>(i);
        }
        *byteCount = self->returned;
        return ERROR_SUCCESS;
    }
};

struct Fetched {
    Block block;
    size_t size;
    std::string output;
};

Fetched Fetch(ScriptedRegistry* registry, size_t initialSize) {
    Fetched fetched{nullptr, 12345, {}};
    testing::internal::CaptureStdout();
    fetched.block.reset(FetchPerformanceData(L"510", initialSize, &fetched.size, ScriptedRegistry::Query, registry));
    fetched.output = testing::internal::GetCapturedStdout();
    return fetched;
}

}  // namespace

TEST(PerfDataQuery, GrowsByOneStepForEachMoreDataReplyUpToTheCap) {
    ScriptedRegistry registry;
    registry.moreDataReplies = 3;
    registry.returned = 100;
    const Fetched fetched = Fetch(&registry, 122880);
    ASSERT_TRUE(fetched.block);
    EXPECT_EQ(fetched.output, "");
    EXPECT_EQ(registry.valueName, L"510");
    EXPECT_EQ(registry.capacities, (std::vector<DWORD>{122880, 139264, 155648, 172032}));
    EXPECT_EQ(fetched.size, 100u);
    EXPECT_EQ(fetched.block.get()[99], 99);

    // A registry that always wants more: from three steps below the cap, three
    // more replies are answered and the fourth fails.
    ScriptedRegistry greedy;
    greedy.moreDataReplies = -1;
    const size_t start = kMaxPerformanceDataSize - 3 * kPerformanceDataGrowth - 100;
    const Fetched refused = Fetch(&greedy, start);
    EXPECT_FALSE(refused.block);
    EXPECT_EQ(refused.size, 0u);
    EXPECT_EQ(refused.output, "Registry query failed for 510.\n");
    ASSERT_EQ(greedy.capacities.size(), 4u);
    EXPECT_EQ(greedy.capacities.back(), start + 3 * kPerformanceDataGrowth);
}

TEST(PerfDataQuery, OtherErrorsFailAtOnceAndALargerCountIsCutToTheBuffer) {
    ScriptedRegistry failing;
    failing.error = ERROR_FILE_NOT_FOUND;
    const Fetched failed = Fetch(&failing, 48928);
    EXPECT_FALSE(failed.block);
    EXPECT_EQ(failed.output, "Registry query failed for 510.\n");
    EXPECT_EQ(failing.capacities.size(), 1u);

    ScriptedRegistry overstating;
    overstating.returned = 5000;
    const Fetched fetched = Fetch(&overstating, 4096);
    ASSERT_TRUE(fetched.block);
    EXPECT_EQ(fetched.size, 4096u);
}

TEST(PerfDataQuery, TheSystemRegistryAnswersWithADataBlock) {
    // A buffer too small for any block makes the registry ask for more.
    size_t size = 0;
    testing::internal::CaptureStdout();
    const Block block(QueryPerformanceData(L"510", 16, &size));
    const std::string output = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(block);
    EXPECT_EQ(output, "");
    EXPECT_GT(size, 16u);
    EXPECT_LE(size, 16 + kPerformanceDataGrowth);
    const auto header = ReadDataBlockHeader(PerfBlock{block.get(), size});
    ASSERT_TRUE(header.has_value());
    EXPECT_EQ(std::wstring(header->Signature, 4), L"PERF");
}
