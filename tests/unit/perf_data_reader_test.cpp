#include "measure/perf_block_walk.h"
#include "measure/perf_data_reader.h"
#include "support/perf_block_builder.h"
#include "support/perf_reading.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// An object whose instances are told apart by the value of their one counter.
PerfObjectPlan NamedInstances(uint32_t titleIndex, const std::vector<std::wstring>& names) {
    PerfObjectPlan object;
    object.titleIndex = titleIndex;
    object.counters = {{1, PERF_COUNTER_RAWCOUNT, 0}};
    uint64_t value = 1;
    for (const std::wstring& name : names) {
        PerfInstancePlan instance;
        instance.name = name;
        instance.values = {value++};
        object.instances.push_back(instance);
    }
    return object;
}

std::vector<uint8_t> SingleObjectBlock(const PerfObjectPlan& object) {
    PerfBlockPlan plan;
    plan.objects = {object};
    return BuildPerfBlock(plan);
}

// The value of the instance that `wanted` finds, 0 when none is found.
uint64_t FoundInstance(const std::vector<uint8_t>& block, uint32_t titleIndex, const wchar_t* wanted) {
    const CounterRead read = ReadCounter(block, titleIndex, 1, wanted);
    return read.result ? read.sample.data : 0;
}

}  // namespace

TEST(PerfDataReader, WhatIsMissingIsPrintedAndTheSampleKeepsItsValue) {
    const std::vector<uint8_t> none;
    const auto processor = SingleObjectBlock(NamedInstances(238, {L"_Total"}));
    const auto adapter = BuildPerfBlock(NetworkInterfaceBlock({{L"Adapter", 1, 2, 3, 4}}, 7000000, 2500000));
    const auto noInstances = SingleObjectBlock(NamedInstances(kNetworkInterfaceObject, {}));
    const struct {
        const std::vector<uint8_t>& block;
        uint32_t counter;
        const wchar_t* wanted;
        const char* message;
    } cases[] = {
        {none, 264, L"Adapter", "Object, 510, not found.\n"},
        {processor, 264, L"Adapter", "Object, 510, not found.\n"},
        {adapter, 999, L"Adapter", "Counter, 999, not found.\n"},
        {adapter, 264, L"Wireless Adapter", "Instance, Wireless Adapter, not found.\n"},
        {adapter, 264, nullptr, "Instance, (null), not found.\n"},
        {noInstances, 1, L"Adapter", "Instance, Adapter, not found.\n"},
    };
    for (const auto& c : cases) {
        const CounterRead read = ReadCounter(c.block, kNetworkInterfaceObject, c.counter, c.wanted);
        EXPECT_FALSE(read.result) << c.message;
        EXPECT_EQ(read.output, c.message);
        EXPECT_TRUE(IsUntouched(read.sample)) << c.message;
    }
}

TEST(PerfDataReader, AnInstanceMatchesWhenItsNameIsACaseInsensitivePrefixOfTheWantedOne) {
    EXPECT_EQ(FoundInstance(SingleObjectBlock(NamedInstances(7, {L"Other", L"adapter a"})), 7, L"Adapter A"), 2u);
    // The first prefix in block order wins, even when the exact name comes later.
    EXPECT_EQ(FoundInstance(SingleObjectBlock(NamedInstances(7, {L"Adapter", L"Adapter A"})), 7, L"Adapter A"), 1u);
    // A longer name is never a prefix.
    EXPECT_EQ(FoundInstance(SingleObjectBlock(NamedInstances(7, {L"Adapter A 2"})), 7, L"Adapter A"), 0u);
    EXPECT_EQ(FoundInstance(SingleObjectBlock(NamedInstances(7, {L"Adapter A 2", L"ADAPTER A"})), 7, L"Adapter A"),
              2u);
}

TEST(PerfDataReader, ANumberAfterAHashAsksForThatManyEarlierMatchesFirst) {
    const auto block = SingleObjectBlock(NamedInstances(7, {L"Card", L"Other", L"Card", L"card"}));
    EXPECT_EQ(FoundInstance(block, 7, L"Card"), 1u);
    EXPECT_EQ(FoundInstance(block, 7, L"Card#0"), 1u);
    EXPECT_EQ(FoundInstance(block, 7, L"Card#1"), 3u);
    EXPECT_EQ(FoundInstance(block, 7, L"Card#2"), 4u);
    EXPECT_EQ(FoundInstance(block, 7, L"Card#3"), 0u);
    EXPECT_EQ(FoundInstance(block, 7, L"Card#"), 1u);

    EXPECT_EQ(ParseInstanceSerial(L"Card#12"), 12);
    EXPECT_EQ(ParseInstanceSerial(L"Card#1#2"), 1);
    EXPECT_EQ(ParseInstanceSerial(L"Card#x"), 0);
    EXPECT_EQ(ParseInstanceSerial(L"Card"), 0);
    EXPECT_EQ(ParseInstanceSerial(nullptr), 0);
}

TEST(PerfDataReader, AnInstanceWithAParentIsKnownByBothNames) {
    PerfObjectPlan process = NamedInstances(230, {L"explorer", L"svchost"});
    PerfObjectPlan thread = NamedInstances(232, {L"0", L"1", L"2", L"3", L"self"});
    thread.instances[0].parentObject = 230;
    thread.instances[0].parentInstance = 1;
    thread.instances[1].parentObject = 230;
    thread.instances[1].parentInstance = 0;
    // A parent object that is not in the block, and a position past the parent's instances.
    thread.instances[2].parentObject = 999;
    thread.instances[3].parentObject = 230;
    thread.instances[3].parentInstance = 2;
    // An instance naming itself as its parent.
    thread.instances[4].parentObject = 232;
    thread.instances[4].parentInstance = 4;
    PerfBlockPlan plan;
    plan.objects = {process, thread};
    const auto block = BuildPerfBlock(plan);

    EXPECT_EQ(FoundInstance(block, 232, L"svchost/0"), 1u);
    EXPECT_EQ(FoundInstance(block, 232, L"EXPLORER/1"), 2u);
    EXPECT_EQ(FoundInstance(block, 232, L"1"), 0u);
    // Instances whose parent cannot be found match no name at all.
    EXPECT_EQ(FoundInstance(block, 232, L"2"), 0u);
    EXPECT_EQ(FoundInstance(block, 232, L"3"), 0u);
    EXPECT_EQ(FoundInstance(block, 232, L"svchost/3"), 0u);
    EXPECT_EQ(FoundInstance(block, 232, L"self/self"), 5u);
}

TEST(PerfDataReader, NamesOfAnObjectWithACodePageAreConvertedFromIt) {
    PerfObjectPlan object = NamedInstances(7, {L"", L""});
    object.codePage = 1252;
    object.instances[0].ansiName = "Caf\xE9 Adapter";
    object.instances[1].ansiName = "Second";
    EXPECT_EQ(FoundInstance(SingleObjectBlock(object), 7, L"caf\u00E9 adapter"), 1u);
    EXPECT_EQ(FoundInstance(SingleObjectBlock(object), 7, L"Second"), 2u);

    // A parent's name is read in its own object's code page.
    PerfObjectPlan parent = NamedInstances(230, {L"explorer"});
    object.instances[1].parentObject = 230;
    PerfBlockPlan plan;
    plan.objects = {parent, object};
    EXPECT_EQ(FoundInstance(BuildPerfBlock(plan), 7, L"explorer/Second"), 2u);

    // A code page the system does not know converts nothing, so nothing matches.
    object.codePage = 4;
    EXPECT_EQ(FoundInstance(SingleObjectBlock(object), 7, L"Second"), 0u);
}

TEST(PerfDataReader, NamesAreCutTo255CharactersAndJoinedNamesTo511) {
    const std::wstring longName(300, L'n');
    PerfObjectPlan parent = NamedInstances(230, {std::wstring(300, L'p')});
    PerfObjectPlan child = NamedInstances(232, {longName});
    child.instances[0].parentObject = 230;
    PerfBlockPlan plan;
    plan.objects = {parent, child};
    const auto block = BuildPerfBlock(plan);
    const std::wstring joined = std::wstring(255, L'p') + L"/" + std::wstring(255, L'n');
    EXPECT_EQ(FoundInstance(block, 232, joined.c_str()), 1u);
    EXPECT_EQ(FoundInstance(block, 232, joined.substr(0, 510).c_str()), 0u);

    wchar_t name[kMaxOwnNameLength + 1];
    const std::string bytes(600, 'a');
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    ASSERT_TRUE(ConvertAnsiName(1252, data, 255, name));
    EXPECT_EQ(std::wstring(name), std::wstring(255, L'a'));
    // More than 255 characters do not fit and fail the conversion.
    EXPECT_FALSE(ConvertAnsiName(1252, data, 600, name));
    EXPECT_FALSE(ConvertAnsiName(1252, data, 0, name));
}

namespace {

constexpr int64_t kBlockTime = 1000;
constexpr int64_t kBlockFreq = 2000;
constexpr int64_t kBlockTime100nSec = 3000;
constexpr int64_t kObjectTime = 4000;
constexpr int64_t kObjectFreq = 5000;
constexpr uint64_t kValue = 0x1122334455667788ull;
constexpr uint64_t kLow = 0x55667788ull;
constexpr uint32_t kMultiCount = 6;
constexpr uint64_t kBase32 = 0x0BADBEEF;
constexpr uint64_t kBase64 = 0x0123456789ABCDEFull;

struct TypeCase {
    uint32_t type;
    uint32_t storageBytes;  // 0: by the type's size bits
    uint64_t data;
    int64_t time;
    int64_t frequency;
    uint32_t multiCount;
    uint32_t baseType;  // 0: no base definition follows
};

// The counter under test (title 10), its base if any (11) and a plain counter (12).
PerfObjectPlan TypeObject(uint32_t type, uint32_t storageBytes, uint32_t nextType) {
    PerfObjectPlan object;
    object.titleIndex = 50;
    object.hasInstances = false;
    object.perfTime = kObjectTime;
    object.perfFreq = kObjectFreq;
    object.counters = {{10, type, 3, storageBytes}};
    object.values = {PerfValue(kValue, kMultiCount)};
    if (nextType != 0) {
        object.counters.push_back({11, nextType, 0});
        object.values.push_back((nextType & PERF_SIZE_LARGE) ? kBase64 : kBase32);
    }
    object.counters.push_back({12, PERF_COUNTER_RAWCOUNT, 0});
    object.values.push_back(99);
    return object;
}

std::vector<uint8_t> TypeBlock(uint32_t type, uint32_t storageBytes, uint32_t nextType) {
    PerfBlockPlan plan;
    plan.perfTime = kBlockTime;
    plan.perfFreq = kBlockFreq;
    plan.perfTime100nSec = kBlockTime100nSec;
    plan.objects = {TypeObject(type, storageBytes, nextType)};
    return BuildPerfBlock(plan);
}

}  // namespace

// One type for each way a reading takes its time, frequency, base and size.
TEST(PerfDataReader, EachCounterTypeFillsTheReadingItsTypeDefines) {
    const TypeCase cases[] = {
        {PERF_COUNTER_RAWCOUNT, 0, kLow, 0, 0, 0, 0},
        {PERF_COUNTER_LARGE_RAWCOUNT, 0, kValue, 0, 0, 0, 0},
        {PERF_COUNTER_COUNTER, 0, kLow, kBlockTime, kBlockFreq, 0, 0},
        {PERF_COUNTER_QUEUELEN_TYPE, 0, kLow, kBlockTime, 0, 0, 0},
        {PERF_COUNTER_BULK_COUNT, 0, kValue, kBlockTime, kBlockFreq, 0, 0},
        {PERF_COUNTER_TIMER, 0, kValue, kBlockTime, 0, 0, 0},
        {PERF_COUNTER_MULTI_TIMER, 0, kValue, kBlockTime, kBlockFreq, kMultiCount, 0},
        {PERF_100NSEC_TIMER, 0, kValue, kBlockTime100nSec, 0, 0, 0},
        {PERF_100NSEC_MULTI_TIMER, 0, kValue, kBlockTime100nSec, 0, kMultiCount, 0},
        {PERF_OBJ_TIME_TIMER, 0, kLow, kObjectTime, 0, 0, 0},
        {PERF_ELAPSED_TIME, 0, kValue, kObjectTime, kObjectFreq, 0, 0},
        {PERF_RAW_FRACTION, 0, kLow, kBase32, 0, 0, PERF_RAW_BASE},
        {PERF_LARGE_RAW_FRACTION, 0, kValue, kBase64, 0, 0, PERF_LARGE_RAW_BASE},
        {PERF_PRECISION_100NS_TIMER, 0, kValue, kBase64, 0, 0, PERF_PRECISION_TIMESTAMP},
        // These two are read as 64-bit values whatever their size bits say.
        {PERF_AVERAGE_TIMER, 8, kValue, kBase32, kBlockFreq, 0, PERF_AVERAGE_BASE},
        {PERF_AVERAGE_BULK, 0, kValue, kBase32, 0, 0, PERF_AVERAGE_BASE},
    };
    for (const TypeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "type 0x" << std::hex << c.type);
        // An object without instances has one counter block, whatever the name.
        const CounterRead read = ReadCounter(TypeBlock(c.type, c.storageBytes, c.baseType), 50, 10, L"anything");
        EXPECT_TRUE(read.result);
        EXPECT_EQ(read.sample.counterType, c.type);
        EXPECT_EQ(read.sample.defaultScale, 3);
        EXPECT_EQ(read.sample.data, c.data);
        EXPECT_EQ(read.sample.time, c.time);
        EXPECT_EQ(read.sample.frequency, c.frequency);
        EXPECT_EQ(read.sample.multiCount, c.multiCount);
    }
}

TEST(PerfDataReader, AFractionWithoutBaseHasItsValueButNoReading) {
    // Followed by a counter that is no base, and as the object's last counter.
    for (const uint32_t next : {static_cast<uint32_t>(PERF_COUNTER_RAWCOUNT), 0u}) {
        PerfBlockPlan plan;
        plan.perfFreq = kBlockFreq;
        PerfObjectPlan object = TypeObject(PERF_AVERAGE_TIMER, 8, next);
        if (next == 0) {
            object.counters.pop_back();
            object.values.pop_back();
        }
        plan.objects = {object};
        const CounterRead read = ReadCounter(BuildPerfBlock(plan), 50, 10, nullptr);
        EXPECT_FALSE(read.result);
        EXPECT_EQ(read.output, "");
        EXPECT_EQ(read.sample.counterType, static_cast<uint32_t>(PERF_AVERAGE_TIMER));
        EXPECT_EQ(read.sample.data, kValue);
        EXPECT_EQ(read.sample.time, 0);
        EXPECT_EQ(read.sample.frequency, kBlockFreq);
    }
    const CounterRead fraction = ReadCounter(TypeBlock(PERF_RAW_FRACTION, 0, PERF_COUNTER_COUNTER), 50, 10, nullptr);
    EXPECT_FALSE(fraction.result);
    EXPECT_EQ(fraction.sample.data, kLow);
    EXPECT_EQ(fraction.sample.time, 0);
}

TEST(PerfDataReader, OtherCounterTypesGiveAnEmptyReading) {
    const uint32_t types[] = {PERF_COUNTER_TEXT,      PERF_COUNTER_NODATA,     PERF_COUNTER_HISTOGRAM_TYPE,
                              PERF_SAMPLE_BASE,       PERF_AVERAGE_BASE,       PERF_RAW_BASE,
                              PERF_LARGE_RAW_BASE,    PERF_COUNTER_MULTI_BASE, 0x12345678u};
    for (const uint32_t type : types) {
        SCOPED_TRACE(testing::Message() << "type 0x" << std::hex << type);
        const CounterRead read = ReadCounter(TypeBlock(type, 8, 0), 50, 10, nullptr);
        EXPECT_FALSE(read.result);
        EXPECT_EQ(read.output, "");
        EXPECT_EQ(read.sample.counterType, type);
        EXPECT_EQ(read.sample.defaultScale, 3);
        EXPECT_EQ(read.sample.data, 0u);
        EXPECT_EQ(read.sample.time, 0);
        EXPECT_EQ(read.sample.multiCount, 0u);
        EXPECT_EQ(read.sample.frequency, 0);
    }
}
