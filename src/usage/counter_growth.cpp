#include "usage/counter_growth.h"

namespace {

uint64_t Grown(uint64_t last, uint64_t now) noexcept { return now >= last ? now - last : now; }

}  // namespace

bool StaleReading(const CountedMark& last, int64_t sampleTime, uint64_t uptimeMs) noexcept {
    return last.known && uptimeMs >= last.uptimeMs && sampleTime < last.sampleTime;
}

UsagePair CounterGrowth(const CountedMark& last, UsagePair now, int64_t sampleTime, uint64_t uptimeMs) noexcept {
    if (!last.known) {
        return {0, 0};
    }
    if (uptimeMs < last.uptimeMs) {
        return now;
    }
    if (StaleReading(last, sampleTime, uptimeMs)) {
        return {0, 0};
    }
    return {Grown(last.counters.received, now.received), Grown(last.counters.sent, now.sent)};
}
