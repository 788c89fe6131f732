// Captured blocks on disk read exactly like blocks in memory. The files in
// fixtures/perf are made by this test: run it with VANTREL_WRITE_PERF_FIXTURES=1
// (working directory tests/) to write them afresh.
#include "measure/perf_data_reader.h"
#include "support/perf_block_builder.h"
#include "support/perf_reading.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

PerfBlockPlan NetworkInterfaceFixture() {
    return NetworkInterfaceBlock({{L"Loopback Pseudo-Interface 1", 0, 0, 0, 1073741824},
                                  {L"Fast Ethernet [PCI_2] _2", 123456789, 100000000, 23456789, 100000000},
                                  {L"Wireless Network Adapter", 5000, 4000, 1000, 54000000}},
                                 987654321, 10000000);
}

PerfBlockPlan ParentsAndCodePagesFixture() {
    PerfObjectPlan process;
    process.titleIndex = 230;
    process.counters = {{784, PERF_COUNTER_LARGE_RAWCOUNT, 0}};
    process.instances = {{L"explorer", "", 0, 0, {1200}}, {L"svchost", "", 0, 0, {3400}}};

    PerfObjectPlan thread;
    thread.titleIndex = 232;
    thread.codePage = 1252;
    thread.counters = {{6, PERF_100NSEC_TIMER, 0}, {684, PERF_RAW_FRACTION, 0}, {685, PERF_RAW_BASE, 0}};
    thread.instances = {{L"", "0", 230, 1, {55, 3, 4}}, {L"", "Caf\xE9", 230, 0, {66, 5, 6}}};

    PerfObjectPlan memory;
    memory.titleIndex = 4;
    memory.hasInstances = false;
    memory.counters = {{24, PERF_COUNTER_LARGE_RAWCOUNT, 0}, {28, PERF_COUNTER_COUNTER, -1}};
    memory.values = {0x2'0000'0000ull, 77};

    PerfBlockPlan plan;
    plan.perfTime = 1111;
    plan.perfFreq = 2222;
    plan.perfTime100nSec = 3333;
    plan.objects = {process, thread, memory};
    return plan;
}

struct BuiltFixture {
    const char* path;
    PerfBlockPlan (*plan)();
};

const BuiltFixture kBuiltFixtures[] = {
    {"fixtures/perf/network_interface.bin", NetworkInterfaceFixture},
    {"fixtures/perf/parents_and_code_pages.bin", ParentsAndCodePagesFixture},
    {"fixtures/perf/realistic_network_interface.bin", RealisticNetworkInterfaceBlock},
};

// What the system registry of the test machine (Wine) answers for "510".
const char kCapturedEmptyBlock[] = "fixtures/perf/wine_empty_510.bin";

bool Regenerating() {
    const char* flag = std::getenv("VANTREL_WRITE_PERF_FIXTURES");
    return flag && *flag == '1';
}

void WriteFixtures() {
    for (const BuiltFixture& fixture : kBuiltFixtures) {
        ASSERT_TRUE(WritePerfBlockFile(fixture.path, BuildPerfBlock(fixture.plan()))) << fixture.path;
    }
    size_t size = 0;
    std::unique_ptr<uint8_t, decltype(&std::free)> live(QueryPerformanceData(L"510", 48928, &size), &std::free);
    ASSERT_TRUE(live);
    ASSERT_TRUE(WritePerfBlockFile(kCapturedEmptyBlock, std::vector<uint8_t>(live.get(), live.get() + size)));
}

std::vector<uint8_t> LoadFixture(const char* path) {
    std::vector<uint8_t> block;
    EXPECT_TRUE(ReadPerfBlockFile(path, &block)) << path;
    return block;
}

}  // namespace

TEST(PerfFixtures, FilesHoldTheBlocksTheyDescribe) {
    if (Regenerating()) {
        WriteFixtures();
    }
    for (const BuiltFixture& fixture : kBuiltFixtures) {
        SCOPED_TRACE(fixture.path);
        const std::vector<uint8_t> block = LoadFixture(fixture.path);
        EXPECT_FALSE(block.empty());
        EXPECT_TRUE(block == BuildPerfBlock(fixture.plan()));
    }
}

TEST(PerfFixtures, CapturedBlocksReadLikeLiveOnes) {
    const auto network = LoadFixture("fixtures/perf/network_interface.bin");
    const CounterRead received = ReadCounter(network, 510, 264, L"Fast Ethernet [PCI_2] _2");
    EXPECT_TRUE(received.result);
    EXPECT_EQ(received.sample.data, 100000000u);
    EXPECT_EQ(received.sample.time, 987654321);
    EXPECT_EQ(received.sample.frequency, 10000000);
    EXPECT_EQ(received.sample.defaultScale, -4);
    EXPECT_EQ(ReadCounter(network, 510, 520, L"Wireless Network Adapter").sample.data, 54000000u);

    const auto parents = LoadFixture("fixtures/perf/parents_and_code_pages.bin");
    EXPECT_EQ(ReadCounter(parents, 232, 6, L"svchost/0").sample.data, 55u);
    const CounterRead fraction = ReadCounter(parents, 232, 684, L"explorer/Caf\u00E9");
    EXPECT_TRUE(fraction.result);
    EXPECT_EQ(fraction.sample.data, 5u);
    EXPECT_EQ(fraction.sample.time, 6);
    EXPECT_EQ(ReadCounter(parents, 4, 24, nullptr).sample.data, 0x2'0000'0000ull);
    EXPECT_EQ(ReadCounter(parents, 4, 28, nullptr).sample.defaultScale, -1);

    const auto realistic = LoadFixture("fixtures/perf/realistic_network_interface.bin");
    const std::wstring last = RealisticAdapterName(kRealisticInstances - 1);
    const CounterRead sent = ReadCounter(realistic, 510, kBytesSentCounter, last.c_str());
    EXPECT_TRUE(sent.result);
    EXPECT_EQ(sent.sample.data, RealisticCounterValue(kRealisticInstances - 1, 12));

    const auto wine = LoadFixture(kCapturedEmptyBlock);
    const CounterRead none = ReadCounter(wine, 510, 264, L"Fast Ethernet [PCI_2] _2");
    EXPECT_FALSE(none.result);
    EXPECT_EQ(none.output, "Object, 510, not found.\n");
}
