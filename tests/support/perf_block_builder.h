// Builds performance data blocks in the winperf.h layout from a description:
// objects with or without instances, parents, UTF-16 or 8-bit names, counters
// of any type with their values. The bytes are laid out from winperf.h's own
// structures, the way a system provider writes them, so that the reader is
// checked against the layout rather than against itself.
#pragma once

#include <windows.h>
#include <winperf.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// The Network Interface object and the four counters the docklet reads.
constexpr uint32_t kNetworkInterfaceObject = 510;
constexpr uint32_t kBytesTotalCounter = 388;
constexpr uint32_t kBytesReceivedCounter = 264;
constexpr uint32_t kBytesSentCounter = 506;
constexpr uint32_t kCurrentBandwidthCounter = 520;

struct PerfCounterPlan {
    uint32_t titleIndex = 0;
    uint32_t type = PERF_COUNTER_RAWCOUNT;
    int32_t defaultScale = 0;
    // Bytes the value takes in the counter block; 0 takes them from the type's
    // size bits (4 or 8, plus 4 for the instance count of multi counters).
    uint32_t storageBytes = 0;
};

// One counter's value; multi counters also store an instance count after it.
struct PerfValue {
    PerfValue(uint64_t v = 0, uint32_t count = 0) : value(v), multiCount(count) {}
    uint64_t value;
    uint32_t multiCount;
};

struct PerfInstancePlan {
    std::wstring name;     // stored when the object's code page is 0
    std::string ansiName;  // stored as is when the object has a code page
    uint32_t parentObject = 0;
    uint32_t parentInstance = 0;
    std::vector<PerfValue> values;  // in counter order; missing ones are 0
};

struct PerfObjectPlan {
    uint32_t titleIndex = 0;
    uint32_t codePage = 0;
    bool hasInstances = true;  // false: NumInstances is PERF_NO_INSTANCES and `values` fill the one counter block
    int64_t perfTime = 0;
    int64_t perfFreq = 0;
    std::vector<PerfCounterPlan> counters;
    std::vector<PerfInstancePlan> instances;
    std::vector<PerfValue> values;
};

struct PerfBlockPlan {
    int64_t perfTime = 0;
    int64_t perfFreq = 0;
    int64_t perfTime100nSec = 0;
    std::wstring systemName = L"VANTREL-TEST";
    std::vector<PerfObjectPlan> objects;
};

// Where the builder put things, for tests that damage a block on purpose. All
// offsets are from the start of the block.
struct BuiltInstance {
    size_t offset;
    size_t counterBlockOffset;
};

struct BuiltObject {
    size_t offset;
    std::vector<size_t> definitionOffsets;
    std::vector<uint32_t> counterOffsets;  // each counter's CounterOffset
    std::vector<BuiltInstance> instances;
};

struct PerfBlockLayout {
    std::vector<BuiltObject> objects;
};

std::vector<uint8_t> BuildPerfBlock(const PerfBlockPlan& plan, PerfBlockLayout* layout = nullptr);

// Writes a value of type T at offset, as a test damaging a built block does.
template <typename T>
void PatchBlock(std::vector<uint8_t>& block, size_t offset, T value) {
    std::memcpy(block.data() + offset, &value, sizeof value);
}

// One adapter's Network Interface counter values.
struct AdapterCounters {
    std::wstring name;
    uint64_t bytesTotal = 0;
    uint64_t bytesReceived = 0;
    uint64_t bytesSent = 0;
    uint64_t bandwidth = 0;
};

// Object 510 with one instance per adapter and counters 388, 264, 506, 520 in
// that order, declared as the system declares them: bytes as bulk counts at
// DefaultScale -4, bandwidth as a large raw count at -6.
PerfObjectPlan NetworkInterfaceObject(const std::vector<AdapterCounters>& adapters);

// A whole block holding only the Network Interface object.
PerfBlockPlan NetworkInterfaceBlock(const std::vector<AdapterCounters>& adapters, int64_t perfTime,
                                    int64_t perfFreq);
