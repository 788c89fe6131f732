// One reading of one performance counter, as the record keeps seven of them.
#pragma once

#include <cstdint>

struct RawCounterSample {
    uint32_t counterType;
    int32_t defaultScale;
    uint64_t data;
    int64_t time;
    uint32_t multiCount;
    int64_t frequency;
};
