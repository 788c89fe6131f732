// Time of one sampler tick's reading work: the four Network Interface counters
// of the last of 64 instances (30 counters each), read from one block.
#include "measure/perf_data_reader.h"
#include "support/perf_block_builder.h"

#include <windows.h>

#include <cstdio>

int main() {
    const std::vector<uint8_t> bytes = BuildPerfBlock(RealisticNetworkInterfaceBlock());
    const PerfBlock block{bytes.data(), bytes.size()};
    const std::wstring name = RealisticAdapterName(kRealisticInstances - 1);
    const uint32_t counters[] = {kBytesTotalCounter, kBytesReceivedCounter, kBytesSentCounter,
                                 kCurrentBandwidthCounter};

    constexpr int kTicks = 20000;
    RawCounterSample samples[4] = {};
    uint64_t checksum = 0;
    LARGE_INTEGER frequency, start, stop;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int tick = 0; tick < kTicks; ++tick) {
        for (int i = 0; i < 4; ++i) {
            if (!ReadCounterSample(block, kNetworkInterfaceObject, counters[i], name.c_str(), &samples[i])) {
                std::printf("reading failed\n");
                return 1;
            }
            checksum += samples[i].data;
        }
    }
    QueryPerformanceCounter(&stop);

    const double seconds = static_cast<double>(stop.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    std::printf("block: %u bytes, %u instances x %u counters\n", static_cast<unsigned>(bytes.size()),
                static_cast<unsigned>(kRealisticInstances), static_cast<unsigned>(kRealisticCounters));
    std::printf("four counters of the last instance: %.0f ns per tick (%d ticks, checksum %llu)\n",
                seconds * 1e9 / kTicks, kTicks, static_cast<unsigned long long>(checksum));
    return 0;
}
