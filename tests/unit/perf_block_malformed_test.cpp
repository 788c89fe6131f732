// Damaged blocks: whatever the bytes say, the reader stays inside the block,
// ends every walk, reads "not found" and leaves the caller's sample alone.
#include "measure/perf_block_walk.h"
#include "measure/perf_data_reader.h"
#include "support/perf_block_builder.h"
#include "support/perf_reading.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// Two objects, the wanted one second: an instance with a parent, a fraction
// with its base and a multi counter, so that every kind of offset is present.
PerfBlockPlan RichPlan() {
    PerfObjectPlan process;
    process.titleIndex = 230;
    process.counters = {{1, PERF_COUNTER_RAWCOUNT, 0}};
    process.instances = {{L"host", "", 0, 0, {1}}, {L"svc", "", 0, 0, {2}}};

    PerfObjectPlan network = NetworkInterfaceObject({{L"Loopback", 1, 2, 3, 4}, {L"Ethernet", 10, 20, 30, 40}});
    network.counters.push_back({600, PERF_RAW_FRACTION, 0});
    network.counters.push_back({601, PERF_RAW_BASE, 0});
    network.counters.push_back({602, PERF_100NSEC_MULTI_TIMER, 0});
    for (PerfInstancePlan& instance : network.instances) {
        instance.values.resize(4);
        instance.values.push_back(50);
        instance.values.push_back(100);
        instance.values.push_back(PerfValue(77, 3));
    }
    network.instances[1].parentObject = 230;
    network.instances[1].parentInstance = 1;

    PerfBlockPlan plan;
    plan.perfTime = 5;
    plan.perfFreq = 10;
    plan.objects = {process, network};
    return plan;
}

using Patch = std::function<void(std::vector<uint8_t>&, const PerfBlockLayout&)>;

struct Damage {
    const char* what;
    Patch apply;
    uint32_t counter;
    const char* message;
    const wchar_t* wanted = L"svc/Ethernet";
    uint32_t object = 510;
};

// A 32-bit field of the block header, of object `index`, of instance `index` or
// counter definition `index` of the wanted object, or its instance's counter block.
Patch InBlock(size_t field, uint32_t value) {
    return [=](std::vector<uint8_t>& b, const PerfBlockLayout&) { PatchBlock<DWORD>(b, field, value); };
}
Patch InObject(size_t index, size_t field, uint32_t value) {
    return [=](std::vector<uint8_t>& b, const PerfBlockLayout& l) {
        PatchBlock<DWORD>(b, l.objects[index].offset + field, value);
    };
}
Patch InInstance(size_t index, size_t field, uint32_t value) {
    return [=](std::vector<uint8_t>& b, const PerfBlockLayout& l) {
        PatchBlock<DWORD>(b, l.objects[1].instances[index].offset + field, value);
    };
}
Patch CounterBlockLength(uint32_t value) {
    return [=](std::vector<uint8_t>& b, const PerfBlockLayout& l) {
        PatchBlock<DWORD>(b, l.objects[1].instances[1].counterBlockOffset, value);
    };
}
// CounterOffset of a definition: a fixed value, or `fromEnd` bytes before the counter block's end.
Patch CounterOffset(size_t index, uint32_t value, uint32_t fromEnd = 0) {
    return [=](std::vector<uint8_t>& b, const PerfBlockLayout& l) {
        DWORD length;
        std::memcpy(&length, b.data() + l.objects[1].instances[1].counterBlockOffset, sizeof length);
        PatchBlock<DWORD>(b, l.objects[1].definitionOffsets[index] + offsetof(PERF_COUNTER_DEFINITION, CounterOffset),
                          fromEnd ? length - fromEnd : value);
    };
}

}  // namespace

TEST(PerfBlockMalformed, TheUndamagedBlockReadsFully) {
    const auto block = BuildPerfBlock(RichPlan());
    EXPECT_EQ(ReadCounter(block, 510, kBytesReceivedCounter, L"svc/Ethernet").sample.data, 20u);
    const CounterRead fraction = ReadCounter(block, 510, 600, L"svc/Ethernet");
    EXPECT_TRUE(fraction.result);
    EXPECT_EQ(fraction.sample.time, 100);
    const CounterRead multi = ReadCounter(block, 510, 602, L"svc/Ethernet");
    EXPECT_TRUE(multi.result);
    EXPECT_EQ(multi.sample.data, 77u);
    EXPECT_EQ(multi.sample.multiCount, 3u);
}

TEST(PerfBlockMalformed, EveryTruncationReadsAsNotFound) {
    const auto block = BuildPerfBlock(RichPlan());
    for (size_t length = 0; length < block.size(); ++length) {
        const std::vector<uint8_t> cut(block.begin(), block.begin() + static_cast<ptrdiff_t>(length));
        for (const uint32_t counter : {kBytesReceivedCounter, 600u, 602u}) {
            const CounterRead read = ReadCounter(cut, 510, counter, L"svc/Ethernet");
            ASSERT_FALSE(read.result) << "length " << length;
            ASSERT_TRUE(IsUntouched(read.sample)) << "length " << length;
            ASSERT_NE(read.output.find(", not found.\n"), std::string::npos) << "length " << length;
        }
    }
}

TEST(PerfBlockMalformed, DamagedFieldsReadAsNotFound) {
    const uint32_t received = kBytesReceivedCounter;
    const char* const kNoObject = "Object, 510, not found.\n";
    const char* const kNoInstance = "Instance, svc/Ethernet, not found.\n";
    const char* const kNoCounter = "Counter, 264, not found.\n";
    const Damage damages[] = {
        {"block header shorter than its structure", InBlock(offsetof(PERF_DATA_BLOCK, HeaderLength), 87), received,
         kNoObject},
        {"block header past the end", [](std::vector<uint8_t>& b, const PerfBlockLayout&) {
             PatchBlock<DWORD>(b, offsetof(PERF_DATA_BLOCK, HeaderLength), static_cast<DWORD>(b.size() + 1));
         }, received, kNoObject},
        {"object count of 2^32-1", InBlock(offsetof(PERF_DATA_BLOCK, NumObjectTypes), 0xFFFFFFFF), received,
         "Object, 999, not found.\n", L"svc/Ethernet", 999},
        {"object of length 0", InObject(0, offsetof(PERF_OBJECT_TYPE, TotalByteLength), 0), received, kNoObject},
        {"object running past the end", [](std::vector<uint8_t>& b, const PerfBlockLayout& l) {
             PatchBlock<DWORD>(b, l.objects[1].offset + offsetof(PERF_OBJECT_TYPE, TotalByteLength),
                               static_cast<DWORD>(b.size()));
         }, received, kNoObject},
        {"object header shorter than its structure", InObject(1, offsetof(PERF_OBJECT_TYPE, HeaderLength), 8), received,
         kNoObject},
        {"definitions ending before they start", InObject(1, offsetof(PERF_OBJECT_TYPE, DefinitionLength), 60),
         received, kNoObject},
        {"definitions past the object", InObject(1, offsetof(PERF_OBJECT_TYPE, DefinitionLength), 0xFFFFFFF0),
         received, kNoObject},
        {"counter count of 2^32-1", InObject(1, offsetof(PERF_OBJECT_TYPE, NumCounters), 0xFFFFFFFF), 999,
         "Counter, 999, not found.\n"},
        {"instance count of 2^31-1", InObject(1, offsetof(PERF_OBJECT_TYPE, NumInstances), 0x7FFFFFFF), received,
         "Instance, nowhere, not found.\n", L"nowhere"},
        {"instance of length 0", InInstance(0, offsetof(PERF_INSTANCE_DEFINITION, ByteLength), 0), received,
         kNoInstance},
        {"instance running past the object", InInstance(0, offsetof(PERF_INSTANCE_DEFINITION, ByteLength), 0xFFFFFFF8),
         received, kNoInstance},
        {"counter block of length 0", CounterBlockLength(0), received, kNoInstance},
        {"counter block running past the object", CounterBlockLength(0x7FFFFFFF), received, kNoInstance},
        {"name offset out of range", InInstance(1, offsetof(PERF_INSTANCE_DEFINITION, NameOffset), 0xFFFFFFFE),
         received, kNoInstance},
        {"name offset inside the instance header", InInstance(1, offsetof(PERF_INSTANCE_DEFINITION, NameOffset), 4),
         received, kNoInstance},
        {"name length past the end", InInstance(1, offsetof(PERF_INSTANCE_DEFINITION, NameLength), 0xFFFFFFFF),
         received, kNoInstance},
        {"parent position past the parent's instances",
         InInstance(1, offsetof(PERF_INSTANCE_DEFINITION, ParentObjectInstance), 0xFFFFFFFF), received, kNoInstance},
        {"parent object missing", InInstance(1, offsetof(PERF_INSTANCE_DEFINITION, ParentObjectTitleIndex), 12345),
         received, kNoInstance},
        {"counter offset past the counter block", CounterOffset(1, 0xFFFFFFFC), received, kNoCounter},
        {"64-bit value straddling the counter block's end", CounterOffset(1, 0, 4), received, kNoCounter},
        {"instance count of a multi counter past the counter block's end", CounterOffset(6, 0, 8), 602,
         "Counter, 602, not found.\n"},
        {"base value past the counter block", CounterOffset(5, 0x80000000), 600, "Counter, 600, not found.\n"},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        PerfBlockLayout layout;
        std::vector<uint8_t> block = BuildPerfBlock(RichPlan(), &layout);
        damage.apply(block, layout);
        const CounterRead read = ReadCounter(block, damage.object, damage.counter, damage.wanted);
        EXPECT_FALSE(read.result);
        EXPECT_TRUE(IsUntouched(read.sample));
        EXPECT_EQ(read.output, damage.message);
    }
}

TEST(PerfBlockMalformed, ADefinitionBeyondTheDeclaredCountersIsNoBase) {
    // The fraction becomes the last counter the object declares; the base's
    // definition is still there but no longer counts.
    PerfBlockLayout layout;
    std::vector<uint8_t> block = BuildPerfBlock(RichPlan(), &layout);
    const size_t numCounters = layout.objects[1].offset + offsetof(PERF_OBJECT_TYPE, NumCounters);
    PatchBlock<DWORD>(block, numCounters, 5);
    const CounterRead read = ReadCounter(block, 510, 600, L"Loopback");
    EXPECT_FALSE(read.result);
    EXPECT_EQ(read.sample.data, 50u);
    EXPECT_EQ(read.sample.time, 0);
}

TEST(PerfBlockMalformed, RandomDamageNeverLeadsOutsideTheBlock) {
    const auto original = BuildPerfBlock(RichPlan());
    const uint32_t interesting[] = {0, 1, 4, 24, 40, 64, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFFFFF8};
    uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return state >> 8;
    };
    testing::internal::CaptureStdout();
    int readings = 0;
    for (int round = 0; round < 20000; ++round) {
        std::vector<uint8_t> block = original;
        const int changes = 1 + static_cast<int>(next() % 3);
        for (int i = 0; i < changes; ++i) {
            const size_t offset = (next() % (block.size() - 3)) & ~size_t{3};
            const uint32_t value = next() % 2 ? interesting[next() % 10] : next();
            PatchBlock<uint32_t>(block, offset, value);
        }
        GuardedBytes guarded(block.data(), block.size());
        for (const uint32_t counter : {kBytesReceivedCounter, 600u, 602u}) {
            RawCounterSample sample = UntouchedSample();
            readings += ReadCounterSample(PerfBlock{guarded.data(), guarded.size()}, 510, counter, L"svc/Ethernet",
                                          &sample);
        }
    }
    testing::internal::GetCapturedStdout();
    EXPECT_GT(readings, 0);
}

TEST(PerfBlockMalformed, ParentLookupsOfAHostileBlockStayBounded) {
    // Every child names the last of many parents: without a bound on the walks
    // this would take n^2 steps.
    constexpr size_t kCount = 20000;
    PerfObjectPlan parents;
    parents.titleIndex = 230;
    parents.counters = {{1, PERF_COUNTER_RAWCOUNT, 0}};
    PerfObjectPlan children = parents;
    children.titleIndex = 232;
    for (size_t i = 0; i < kCount; ++i) {
        parents.instances.push_back({L"p", "", 0, 0, {1}});
        children.instances.push_back({L"c", "", 230, kCount - 1, {2}});
    }
    PerfBlockPlan plan;
    plan.objects = {parents, children};
    const auto block = BuildPerfBlock(plan);
    const CounterRead read = ReadCounter(block, 232, 1, L"q/c");
    EXPECT_FALSE(read.result);
    EXPECT_EQ(read.output, "Instance, q/c, not found.\n");
    EXPECT_TRUE(ReadCounter(block, 232, 1, L"p/c").result);
}
