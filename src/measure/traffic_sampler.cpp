#include "measure/traffic_sampler.h"

#include "base/text.h"
#include "measure/perf_data_reader.h"
#include "base/rate_history.h"

#include <winperf.h>

#include <cmath>
#include <cstdlib>
#include <cwchar>

namespace {

// Network Interface and its counters, by their fixed English title indexes.
constexpr uint32_t kNetworkInterfaceObject = 510;
constexpr wchar_t kNetworkInterfaceValueName[] = L"510";
constexpr uint32_t kBytesTotalCounter = 388;
constexpr uint32_t kBytesReceivedCounter = 264;
constexpr uint32_t kBytesSentCounter = 506;
constexpr uint32_t kCurrentBandwidthCounter = 520;

// The first fetch of an instance starts small; later ones are sized so that the
// registry normally answers without growing the buffer.
constexpr size_t kFirstFetchSize = 48928;
constexpr size_t kTickFetchSize = 122880;

// The block of one fetch, published in instance->perfData while it is read and
// freed (perfData back to null) when the fetch goes out of scope.
class BlockFetch {
public:
    BlockFetch(DockletInstance* instance, size_t initialSize) noexcept : instance_(instance) {
        instance_->perfData = QueryPerformanceData(kNetworkInterfaceValueName, initialSize, &size_);
    }
    ~BlockFetch() {
        std::free(instance_->perfData);
        instance_->perfData = nullptr;
    }
    BlockFetch(const BlockFetch&) = delete;
    BlockFetch& operator=(const BlockFetch&) = delete;

    bool Succeeded() const noexcept { return instance_->perfData != nullptr; }

    // Every counter of the instance's adapter in one pass over the block.
    template <size_t N>
    void Read(CounterRequest (&reads)[N]) const noexcept {
        ReadCounterSamples(PerfBlock{instance_->perfData, size_}, kNetworkInterfaceObject,
                           instance_->counterInstanceName, reads, N);
    }

private:
    DockletInstance* instance_;
    size_t size_ = 0;
};

bool SampledInstanceChanged(const DockletInstance* instance) noexcept {
    constexpr size_t capacity = sizeof instance->counterInstanceName / sizeof instance->counterInstanceName[0];
    return std::wcsncmp(instance->counterInstanceName, instance->sampledInstanceName, capacity) != 0;
}

void AppendTo(Warr<double>* history, double value) noexcept {
    if (history) {
        history->Append(value);
    }
}

double Scaled(double value, int32_t scale) noexcept {
    return scale != 0 ? ApplyDefaultScale(value, scale) : value;
}

// A byte rate the way the system's own calculator keeps it: whole units per
// second, then only the low 32 bits. A rate that is not finite, negative or too
// large for a signed 64-bit integer gives 0.
double WholeRateLow32(double rate) noexcept {
    if (!(rate >= 0.0 && rate < 0x1p63)) {
        return 0.0;
    }
    const auto whole = static_cast<uint64_t>(static_cast<int64_t>(rate));
    return static_cast<double>(static_cast<uint32_t>(whole));
}

double CounterValue(const RawCounterSample& older, const RawCounterSample* newer) noexcept {
    const uint32_t type = older.counterType;
    switch (type) {
        case PERF_COUNTER_RAWCOUNT:
        case PERF_COUNTER_LARGE_RAWCOUNT:
            return Scaled(static_cast<double>(older.data), older.defaultScale);
        case PERF_COUNTER_RAWCOUNT_HEX:
        case PERF_COUNTER_LARGE_RAWCOUNT_HEX:
            return static_cast<double>(older.data);
        case PERF_RAW_FRACTION:
        case PERF_LARGE_RAW_FRACTION:
            return Scaled(100.0 * static_cast<double>(older.data) / static_cast<double>(older.time),
                          older.defaultScale);
        case PERF_ELAPSED_TIME:
            return Scaled(static_cast<double>(static_cast<uint64_t>(older.time) - older.data) /
                              static_cast<double>(older.frequency),
                          older.defaultScale);
        default:
            break;
    }

    // Without a newer reading there is no interval, exactly as when a reading
    // failed and the older one stands in for it: every formula below gives 0.
    const RawCounterSample& current = newer ? *newer : older;

    // Differences wrap like the counters themselves; the time difference is signed.
    const uint64_t deltaCount = current.data - older.data;
    const auto deltaTime =
        static_cast<int64_t>(static_cast<uint64_t>(current.time) - static_cast<uint64_t>(older.time));
    const double dN = static_cast<double>(deltaCount);
    const double dT = static_cast<double>(deltaTime);
    const double frequency = static_cast<double>(current.frequency);
    const double instances = static_cast<double>(current.multiCount);
    const int32_t scale = current.defaultScale;

    switch (type) {
        case PERF_COUNTER_COUNTER:
        case PERF_COUNTER_BULK_COUNT:
        case PERF_SAMPLE_COUNTER: {
            // A counter that went back was reset (the adapter restarted): its
            // wrapped difference is no traffic. Neither is a clock that stood still.
            if (current.data < older.data || deltaTime <= 0) {
                return 0.0;
            }
            const double rate = WholeRateLow32(dN / (dT / frequency));
            return older.defaultScale != 0 ? ApplyDefaultScale(rate, scale) : rate;
        }
        case PERF_COUNTER_QUEUELEN_TYPE:
        case PERF_COUNTER_LARGE_QUEUELEN_TYPE:
        case PERF_COUNTER_100NS_QUEUELEN_TYPE:
        case PERF_COUNTER_OBJ_TIME_QUEUELEN_TYPE:
            return Scaled(dN / dT, scale);
        case PERF_AVERAGE_BULK:
            return dN / dT;
        case PERF_COUNTER_TIMER:
        case PERF_OBJ_TIME_TIMER:
        case PERF_PRECISION_SYSTEM_TIMER:
        case PERF_100NSEC_TIMER:
        case PERF_PRECISION_100NS_TIMER:
        case PERF_PRECISION_OBJECT_TIMER:
        case PERF_SAMPLE_FRACTION:
            return Scaled(static_cast<double>(deltaCount * 100u) / dT, scale);
        case PERF_COUNTER_TIMER_INV:
        case PERF_100NSEC_TIMER_INV:
            return Scaled((1.0 - dN / dT) * 100.0, scale);
        case PERF_COUNTER_MULTI_TIMER: {
            // Whole seconds in integer arithmetic; a block without a frequency has none.
            if (current.frequency <= 0) {
                return 0.0;
            }
            const double seconds = static_cast<double>(deltaTime / current.frequency);
            return Scaled(dN / seconds * 100.0 / instances, scale);
        }
        case PERF_100NSEC_MULTI_TIMER:
            return Scaled(dN / dT * 100.0 / instances, scale);
        case PERF_COUNTER_MULTI_TIMER_INV:
        case PERF_100NSEC_MULTI_TIMER_INV:
            return Scaled((instances - dN / dT) * 100.0, scale);
        case PERF_COUNTER_DELTA:
        case PERF_COUNTER_LARGE_DELTA:
            return dN;
        case PERF_AVERAGE_TIMER:
            return Scaled(dN / frequency / dT, scale);
        default:
            return -1.0;
    }
}

}  // namespace

double ApplyDefaultScale(double value, int32_t scale) noexcept {
    if (value == 0.0) {
        return 0.0;
    }
    // Once the factor has run out of range further steps cannot change it, so a
    // wild scale from a malformed block costs no time.
    double factor = 1.0;
    for (int32_t step = 1; step < scale && std::isfinite(factor); ++step) {
        factor *= 10.0;
    }
    for (int32_t step = -1; step > scale && factor != 0.0; --step) {
        factor /= 10.0;
    }
    return value * factor;
}

double CalculateCounterValue(const RawCounterSample& older, const RawCounterSample* newer) noexcept {
    // Zero intervals and zero bases must not put infinities into labels and graphs.
    const double value = CounterValue(older, newer);
    return std::isfinite(value) ? value : 0.0;
}

bool TakeInitialSamples(DockletInstance* instance) noexcept {
    CopyText(instance->sampledInstanceName, instance->counterInstanceName);
    BlockFetch block(instance, kFirstFetchSize);
    if (!block.Succeeded()) {
        return false;
    }
    CounterRequest reads[] = {{kBytesReceivedCounter, &instance->prevReceivedSample, false},
                           {kBytesSentCounter, &instance->prevSentSample, false},
                           {kBytesTotalCounter, &instance->prevTotalSample, false}};
    block.Read(reads);
    return reads[0].read && reads[1].read && reads[2].read;
}

void SampleTraffic(DockletInstance* instance) noexcept {
    // Comparing another adapter's counters with the old ones would show a
    // meaningless burst, so a changed instance starts over like a new sampler.
    if (!instance->samplerReady || SampledInstanceChanged(instance)) {
        instance->samplerReady = TakeInitialSamples(instance) ? 1 : 0;
        return;
    }

    {
        BlockFetch block(instance, kTickFetchSize);
        if (!block.Succeeded()) {
            return;
        }
        // A reading that fails keeps its previous value, which makes its figure 0.
        CounterRequest reads[] = {{kBytesTotalCounter, &instance->curTotalSample, false},
                               {kBytesReceivedCounter, &instance->curReceivedSample, false},
                               {kBytesSentCounter, &instance->curSentSample, false},
                               {kCurrentBandwidthCounter, &instance->bandwidthSample, false}};
        block.Read(reads);
    }

    instance->totalRate = CalculateCounterValue(instance->prevTotalSample, &instance->curTotalSample);
    instance->downloadRate = CalculateCounterValue(instance->prevReceivedSample, &instance->curReceivedSample);
    instance->uploadRate = CalculateCounterValue(instance->prevSentSample, &instance->curSentSample);
    instance->bandwidth = CalculateCounterValue(instance->bandwidthSample, nullptr);

    AppendTo(instance->totalHistory, instance->totalRate);
    AppendTo(instance->uploadHistory, instance->uploadRate);
    AppendTo(instance->downloadHistory, instance->downloadRate);
    AppendTo(instance->bandwidthHistory, instance->bandwidth);

    instance->prevTotalSample = instance->curTotalSample;
    instance->prevReceivedSample = instance->curReceivedSample;
    instance->prevSentSample = instance->curSentSample;
}
