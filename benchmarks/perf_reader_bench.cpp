// Time of one sampler tick's reading work: the four Network Interface counters
// of the last of 64 instances (30 counters each), read from one block, and the
// four figures made from them.
#include "measure/perf_data_reader.h"
#include "measure/traffic_sampler.h"
#include "realistic_block.h"

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
    RawCounterSample previous[3] = {};
    double figures = 0;
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
        // Against the previous tick's readings, as the sampler does.
        figures += CalculateCounterValue(previous[0], &samples[0]) + CalculateCounterValue(previous[1], &samples[1]) +
                   CalculateCounterValue(previous[2], &samples[2]) + CalculateCounterValue(samples[3], nullptr);
        for (int i = 0; i < 3; ++i) {
            previous[i] = samples[i];
        }
    }
    QueryPerformanceCounter(&stop);

    const double seconds = static_cast<double>(stop.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    std::printf("block: %u bytes, %u instances x %u counters\n", static_cast<unsigned>(bytes.size()),
                static_cast<unsigned>(kRealisticInstances), static_cast<unsigned>(kRealisticCounters));
    std::printf("four counters of the last instance read, four figures made: %.0f ns per tick "
                "(%d ticks, checksum %llu, %g)\n",
                seconds * 1e9 / kTicks, kTicks, static_cast<unsigned long long>(checksum), figures);
    return 0;
}
