// Time of one sampler tick's reading work: the four Network Interface counters
// of the last of 64 instances (30 counters each), read from one block, and the
// four figures made from them; the sampler's one pass for all four against
// four separate reads.
#include "measure/perf_data_reader.h"
#include "measure/traffic_sampler.h"
#include "realistic_block.h"

#include <windows.h>

#include <cstdio>
#include <functional>
#include <utility>

int main() {
    const std::vector<uint8_t> bytes = BuildPerfBlock(RealisticNetworkInterfaceBlock());
    const PerfBlock block{bytes.data(), bytes.size()};
    const std::wstring name = RealisticAdapterName(kRealisticInstances - 1);
    const uint32_t counters[] = {kBytesTotalCounter, kBytesReceivedCounter, kBytesSentCounter,
                                 kCurrentBandwidthCounter};

    constexpr int kTicks = 20000;
    RawCounterSample samples[4] = {};
    uint64_t checksum = 0;
    double figures = 0;
    // Against the previous tick's readings, as the sampler does.
    RawCounterSample previous[3] = {};
    auto makeFigures = [&] {
        figures += CalculateCounterValue(previous[0], &samples[0]) + CalculateCounterValue(previous[1], &samples[1]) +
                   CalculateCounterValue(previous[2], &samples[2]) + CalculateCounterValue(samples[3], nullptr);
        for (int i = 0; i < 4; ++i) {
            checksum += samples[i].data;
        }
        for (int i = 0; i < 3; ++i) {
            previous[i] = samples[i];
        }
    };
    auto separate = [&] {
        for (int i = 0; i < 4; ++i) {
            if (!ReadCounterSample(block, kNetworkInterfaceObject, counters[i], name.c_str(), &samples[i])) {
                return false;
            }
        }
        return true;
    };
    auto onePass = [&] {
        CounterRequest reads[4] = {{counters[0], &samples[0], false}, {counters[1], &samples[1], false},
                                   {counters[2], &samples[2], false}, {counters[3], &samples[3], false}};
        ReadCounterSamples(block, kNetworkInterfaceObject, name.c_str(), reads, 4);
        return reads[0].read && reads[1].read && reads[2].read && reads[3].read;
    };
    std::printf("block: %u bytes, %u instances x %u counters\n", static_cast<unsigned>(bytes.size()),
                static_cast<unsigned>(kRealisticInstances), static_cast<unsigned>(kRealisticCounters));
    for (const auto& [what, read] : {std::pair<const char*, std::function<bool()>>{"one pass (the sampler's)", onePass},
                                     {"four separate reads", separate}}) {
        LARGE_INTEGER frequency, start, stop;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        for (int tick = 0; tick < kTicks; ++tick) {
            if (!read()) {
                std::printf("reading failed\n");
                return 1;
            }
            makeFigures();
        }
        QueryPerformanceCounter(&stop);
        const double seconds =
            static_cast<double>(stop.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
        std::printf("four counters of the last instance found and read, four figures made, %s: %.0f ns per tick "
                    "(%d ticks)\n",
                    what, seconds * 1e9 / kTicks, kTicks);
    }
    std::printf("checksum %llu, %g\n", static_cast<unsigned long long>(checksum), figures);
    return 0;
}
