// Reads a counter out of built bytes the way the sampler does, with the bytes
// against an inaccessible page and the reader's messages captured.
#pragma once

#include "measure/perf_data_reader.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

// Bytes placed so that they end exactly where an inaccessible page begins: a
// read one byte past the end faults at once instead of passing unnoticed.
class GuardedBytes {
public:
    GuardedBytes(const uint8_t* data, size_t size) {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        const size_t page = info.dwPageSize;
        const size_t dataPages = (size + page - 1) / page;
        base_ = static_cast<uint8_t*>(VirtualAlloc(nullptr, (dataPages + 1) * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        if (!base_) {
            return;
        }
        DWORD old;
        VirtualProtect(base_ + dataPages * page, page, PAGE_NOACCESS, &old);
        data_ = base_ + dataPages * page - size;
        if (size) {
            std::memcpy(data_, data, size);
        }
        size_ = size;
    }
    ~GuardedBytes() {
        if (base_) {
            VirtualFree(base_, 0, MEM_RELEASE);
        }
    }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;

    bool ok() const { return base_ != nullptr; }
    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }

private:
    uint8_t* base_ = nullptr;
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};


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
