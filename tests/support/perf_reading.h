// Reads a counter out of built bytes the way the sampler does, with the bytes
// against an inaccessible page and the reader's messages captured.
#pragma once

#include "measure/perf_data_reader.h"
#include "support/guarded_bytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

// A sample filled with a pattern no reading produces, to see whether the reader
// touched it.
inline RawCounterSample UntouchedSample() {
    RawCounterSample sample;
    std::memset(&sample, 0xA5, sizeof sample);
    return sample;
}

inline bool IsUntouched(const RawCounterSample& sample) {
    const RawCounterSample untouched = UntouchedSample();
    return std::memcmp(&sample, &untouched, sizeof sample) == 0;
}

struct CounterRead {
    bool result;
    RawCounterSample sample;
    std::string output;  // what the reader printed
};

inline CounterRead ReadCounter(const std::vector<uint8_t>& bytes, uint32_t objectIndex, uint32_t counterIndex,
                               const wchar_t* instanceName) {
    GuardedBytes guarded(bytes.data(), bytes.size());
    EXPECT_TRUE(guarded.ok());
    CounterRead read{false, UntouchedSample(), {}};
    testing::internal::CaptureStdout();
    read.result =
        ReadCounterSample(PerfBlock{guarded.data(), guarded.size()}, objectIndex, counterIndex, instanceName, &read.sample);
    read.output = testing::internal::GetCapturedStdout();
    return read;
}
