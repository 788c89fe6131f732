// Damaged blocks: whatever the bytes say, the reader stays inside the block,
// ends every walk, reads "not found" and leaves the caller's sample alone.
#include "measure/perf_block_walk.h"
#include "measure/perf_data_reader.h"
#include "support/perf_block_builder.h"
#include "support/perf_reading.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
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

struct Damage {
    const char* what;
    std::function<void(std::vector<uint8_t>&, const PerfBlockLayout&)> apply;
    uint32_t object;
    uint32_t counter;
    const wchar_t* wanted;
    const char* message;
};

// The counter types that carry a usable reading.
bool HasReading(uint32_t type) {
    static const uint32_t kTypes[] = {
        PERF_COUNTER_RAWCOUNT_HEX, PERF_COUNTER_RAWCOUNT, PERF_COUNTER_DELTA, PERF_COUNTER_LARGE_RAWCOUNT_HEX,
        PERF_COUNTER_LARGE_RAWCOUNT, PERF_COUNTER_LARGE_DELTA, PERF_COUNTER_COUNTER, PERF_SAMPLE_COUNTER,
        PERF_COUNTER_QUEUELEN_TYPE, PERF_COUNTER_BULK_COUNT, PERF_COUNTER_LARGE_QUEUELEN_TYPE, PERF_COUNTER_TIMER,
        PERF_COUNTER_TIMER_INV, PERF_COUNTER_MULTI_TIMER, PERF_COUNTER_MULTI_TIMER_INV,
        PERF_COUNTER_100NS_QUEUELEN_TYPE, PERF_100NSEC_TIMER, PERF_100NSEC_TIMER_INV, PERF_100NSEC_MULTI_TIMER,
        PERF_100NSEC_MULTI_TIMER_INV, PERF_OBJ_TIME_TIMER, PERF_COUNTER_OBJ_TIME_QUEUELEN_TYPE, PERF_ELAPSED_TIME,
        PERF_RAW_FRACTION, PERF_SAMPLE_FRACTION, PERF_LARGE_RAW_FRACTION, PERF_PRECISION_SYSTEM_TIMER,
        PERF_PRECISION_100NS_TIMER, PERF_PRECISION_OBJECT_TIMER, PERF_AVERAGE_TIMER, PERF_AVERAGE_BULK};
    return std::find(std::begin(kTypes), std::end(kTypes), type) != std::end(kTypes);
}

size_t ObjectField(const PerfBlockLayout& layout, size_t object, size_t field) {
    return layout.objects[object].offset + field;
}

size_t InstanceField(const PerfBlockLayout& layout, size_t instance, size_t field) {
    return layout.objects[1].instances[instance].offset + field;
}

size_t DefinitionField(const PerfBlockLayout& layout, size_t definition, size_t field) {
    return layout.objects[1].definitionOffsets[definition] + field;
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
    using Layout = PerfBlockLayout;
    using Bytes = std::vector<uint8_t>;
    const uint32_t received = kBytesReceivedCounter;
    const Damage damages[] = {
        {"block header shorter than its structure",
         [](Bytes& b, const Layout&) { PatchBlock<DWORD>(b, offsetof(PERF_DATA_BLOCK, HeaderLength), 87); },
         510, received, L"svc/Ethernet", "Object, 510, not found.\n"},
        {"block header past the end",
         [](Bytes& b, const Layout&) {
             PatchBlock<DWORD>(b, offsetof(PERF_DATA_BLOCK, HeaderLength), static_cast<DWORD>(b.size() + 1));
         },
         510, received, L"svc/Ethernet", "Object, 510, not found.\n"},
        {"object count of 2^32-1",
         [](Bytes& b, const Layout&) {
             PatchBlock<DWORD>(b, offsetof(PERF_DATA_BLOCK, NumObjectTypes), 0xFFFFFFFF);
         },
         999, received, L"svc/Ethernet", "Object, 999, not found.\n"},
        {"object of length 0",
         [](Bytes& b, const Layout& l) {
             PatchBlock<DWORD>(b, ObjectField(l, 0, offsetof(PERF_OBJECT_TYPE, TotalByteLength)), 0);
         },
         510, received, L"svc/Ethernet", "Object, 510, not found.\n"},
        {"object running past the end",
         [](Bytes& b, const Layout& l) {
             PatchBlock<DWORD>(b, ObjectField(l, 1, offsetof(PERF_OBJECT_TYPE, TotalByteLength)),
                               static_cast<DWORD>(b.size()));
         },
         510, received, L"svc/Ethernet", "Object, 510, not found.\n"},
        {"object header shorter than its structure",
         [](Bytes& b, const Layout& l) {
             PatchBlock<DWORD>(b, ObjectField(l, 1, offsetof(PERF_OBJECT_TYPE, HeaderLength)), 8);
         },
         510, received, L"svc/Ethernet", "Object, 510, not found.\n"},
        {"definitions ending before they start",
         [](Bytes& b, const Layout& l) {
             PatchBlock<DWORD>(b, ObjectField(l, 1, offsetof(PERF_OBJECT_TYPE, DefinitionLength)), 60);
         },
         510, received, L"svc/Ethernet", "Object, 510, not found.\n"},
        {"definitions past the object",
         [](Bytes& b, const Layout& l) {
             PatchBlock<DWORD>(b, ObjectField(l, 1, offsetof(PERF_OBJECT_TYPE, DefinitionLength)), 0xFFFFFFF0);
         },
         510, received, L"svc/Ethernet", "Object, 510, not found.\n"},
        {"counter count of 2^32-1",
         [](Bytes& b, const Layout& l) {
             PatchBlock<DWORD>(b, ObjectField(l, 1, offsetof(PERF_OBJECT_TYPE, NumCounters)), 0xFFFFFFFF);
         },
         510, 999, L"svc/Ethernet", "Counter, 999, not found.\n"},
        {"instance count of 2^31-1",
         [](Bytes& b, const Layout& l) {
             PatchBlock<LONG>(b, ObjectField(l, 1, offsetof(PERF_OBJECT_TYPE, NumInstances)), 0x7FFFFFFF);
         },
         510, received, L"nowhere", "Instance, nowhere, not found.\n"},
        {"instance of length 0",
         [](Bytes& b, const Layout& l) {
             PatchBlock<DWORD>(b, InstanceField(l, 0, offsetof(PERF_INSTANCE_DEFINITION, ByteLength)), 0);
         },
         510, received, L"svc/Ethernet", "Instance, svc/Ethernet, not found.\n"},
        {"instance running past the object",
         [](Bytes& b, const Layout& l) {
             PatchBlock<DWORD>(b, InstanceField(l, 0, offsetof(PERF_INSTANCE_DEFINITION, ByteLength)), 0xFFFFFFF8);
         },
         510, received, L"svc/Ethernet", "Instance, svc/Ethernet, not found.\n"},
        {"counter block of length 0",
         [](Bytes& b, const Layout& l) { PatchBlock<DWORD>(b, l.objects[1].instances[1].counterBlockOffset, 0); },
         510, received, L"svc/Ethernet", "Instance, svc/Ethernet, not found.\n"},
        {"counter block running past the object",
         [](Bytes& b, const Layout& l) {
             PatchBlock<DWORD>(b, l.objects[1].instances[1].counterBlockOffset, 0x7FFFFFFF);
         },
         510, received, L"svc/Ethernet", "Instance, svc/Ethernet, not found.\n"},
        {"name offset out of range",
         [](Bytes& b, const Layout& l) {
             PatchBlock<DWORD>(b, InstanceField(l, 1, offsetof(PERF_INSTANCE_DEFINITION, NameOffset)), 0xFFFFFFFE);
         },
         510, received, L"svc/Ethernet", "Instance, svc/Ethernet, not found.\n"},
        {"name offset inside the instance header",
         [](Bytes& b, const Layout& l) {
             PatchBlock<DWORD>(b, InstanceField(l, 1, offsetof(PERF_INSTANCE_DEFINITION, NameOffset)), 4);
         },
         510, received, L"svc/Ethernet", "Instance, svc/Ethernet, not found.\n"},
        {"name length past the end",
         [](Bytes& b, const Layout& l) {
             PatchBlock<DWORD>(b, InstanceField(l, 1, offsetof(PERF_INSTANCE_DEFINITION, NameLength)), 0xFFFFFFFF);
         },
         510, received, L"svc/Ethernet", "Instance, svc/Ethernet, not found.\n"},
        {"parent position past the parent's instances",
         [](Bytes& b, const Layout& l) {
             PatchBlock<DWORD>(b, InstanceField(l, 1, offsetof(PERF_INSTANCE_DEFINITION, ParentObjectInstance)),
                               0xFFFFFFFF);
         },
         510, received, L"svc/Ethernet", "Instance, svc/Ethernet, not found.\n"},
        {"parent object missing",
         [](Bytes& b, const Layout& l) {
             PatchBlock<DWORD>(b, InstanceField(l, 1, offsetof(PERF_INSTANCE_DEFINITION, ParentObjectTitleIndex)),
                               12345);
         },
         510, received, L"svc/Ethernet", "Instance, svc/Ethernet, not found.\n"},
        {"counter offset past the counter block",
         [](Bytes& b, const Layout& l) {
             PatchBlock<DWORD>(b, DefinitionField(l, 1, offsetof(PERF_COUNTER_DEFINITION, CounterOffset)), 0xFFFFFFFC);
         },
         510, received, L"svc/Ethernet", "Counter, 264, not found.\n"},
        {"64-bit value straddling the counter block's end",
         [](Bytes& b, const Layout& l) {
             DWORD length;
             std::memcpy(&length, b.data() + l.objects[1].instances[1].counterBlockOffset, sizeof length);
             PatchBlock<DWORD>(b, DefinitionField(l, 1, offsetof(PERF_COUNTER_DEFINITION, CounterOffset)), length - 4);
         },
         510, received, L"svc/Ethernet", "Counter, 264, not found.\n"},
        {"instance count of a multi counter past the counter block's end",
         [](Bytes& b, const Layout& l) {
             DWORD length;
             std::memcpy(&length, b.data() + l.objects[1].instances[1].counterBlockOffset, sizeof length);
             PatchBlock<DWORD>(b, DefinitionField(l, 6, offsetof(PERF_COUNTER_DEFINITION, CounterOffset)), length - 8);
         },
         510, 602, L"svc/Ethernet", "Counter, 602, not found.\n"},
        {"base value past the counter block",
         [](Bytes& b, const Layout& l) {
             PatchBlock<DWORD>(b, DefinitionField(l, 5, offsetof(PERF_COUNTER_DEFINITION, CounterOffset)), 0x80000000);
         },
         510, 600, L"svc/Ethernet", "Counter, 600, not found.\n"},
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
            if (ReadCounterSample(PerfBlock{guarded.data(), guarded.size()}, 510, counter, L"svc/Ethernet", &sample)) {
                ++readings;
                EXPECT_TRUE(HasReading(sample.counterType)) << std::hex << sample.counterType;
            }
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
