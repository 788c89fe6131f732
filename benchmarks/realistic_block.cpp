#include "realistic_block.h"

#include <cstdio>

std::wstring RealisticAdapterName(size_t index) {
    wchar_t name[64];
    std::swprintf(name, 64, L"Gigabit Network Connection [PCIe] %02u", static_cast<unsigned>(index));
    return name;
}

namespace {

uint64_t RealisticCounterValue(size_t index, size_t counter) {
    return 1000003ull * (index + 1) + 7919ull * counter;
}

}  // namespace

PerfBlockPlan RealisticNetworkInterfaceBlock() {
    // The Network Interface counters in the order the system lists them, the
    // four the docklet reads spread among them.
    static const uint32_t kTitles[kRealisticCounters] = {
        388, 400, 266, 452, 520, 264, 268, 270, 272, 274, 276, 278, 506, 454, 456,
        458, 460, 462, 464, 1384, 1386, 1388, 1390, 1392, 1394, 1396, 1398, 1400, 1402, 1404};
    PerfObjectPlan object;
    object.titleIndex = kNetworkInterfaceObject;
    for (size_t i = 0; i < kRealisticCounters; ++i) {
        const uint32_t title = kTitles[i];
        PerfCounterPlan counter{title, static_cast<uint32_t>(i % 2 ? PERF_COUNTER_COUNTER : PERF_COUNTER_LARGE_RAWCOUNT), 0};
        if (title == kBytesTotalCounter || title == kBytesReceivedCounter || title == kBytesSentCounter) {
            counter = {title, PERF_COUNTER_BULK_COUNT, -4};
        } else if (title == kCurrentBandwidthCounter) {
            counter = {title, PERF_COUNTER_LARGE_RAWCOUNT, -6};
        }
        object.counters.push_back(counter);
    }
    for (size_t index = 0; index < kRealisticInstances; ++index) {
        PerfInstancePlan instance;
        instance.name = RealisticAdapterName(index);
        for (size_t counter = 0; counter < kRealisticCounters; ++counter) {
            instance.values.push_back(RealisticCounterValue(index, counter));
        }
        object.instances.push_back(instance);
    }
    PerfBlockPlan block;
    block.perfTime = 123456789012;
    block.perfFreq = 10000000;
    block.perfTime100nSec = 133600000000000000;
    block.objects.push_back(object);
    return block;
}
