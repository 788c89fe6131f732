#include "usage/counter_growth.h"

namespace {

uint64_t Grown(uint64_t last, uint64_t now) noexcept { return now >= last ? now - last : now; }

}  // namespace

UsagePair CounterGrowth(const CountedMark& last, UsagePair now, uint64_t uptimeMs) noexcept {
    if (!last.known) {
        return {0, 0};
    }
    if (uptimeMs < last.uptimeMs) {
        return now;
    }
    return {Grown(last.counters.received, now.received), Grown(last.counters.sent, now.sent)};
}
