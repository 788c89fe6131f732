// Reading counters out of a performance data block (the winperf.h layout).
//
// Apart from QueryPerformanceData, everything here is pure logic over a block
// and its length, so a captured block reads exactly like a live one. Every
// offset, length and count taken from the block is checked against the block's
// size before it is followed: a malformed block reads as "not found".
#pragma once

#include "base/docklet_instance.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>

// A block and its size in bytes, as the registry returned it.
struct PerfBlock {
    const uint8_t* data;
    size_t size;
};

// Fetches the block for a registry value name ("510"). Returns a buffer owned by
// the caller (release with free) and its size in *size, or null. The
// performance key stays open for the next fetch.
uint8_t* QueryPerformanceData(const wchar_t* valueName, size_t initialSize, size_t* size) noexcept;

// Closes the performance key, which unloads the system's counter providers:
// for when no instance will fetch again.
void ClosePerformanceData() noexcept;

// The block never grows past this; a registry that keeps asking for more fails.
constexpr size_t kMaxPerformanceDataSize = 16u * 1024u * 1024u;

// The buffer grows by this much each time the registry answers ERROR_MORE_DATA.
constexpr size_t kPerformanceDataGrowth = 16384;

// One read of a performance data value into buffer, whose capacity *byteCount
// holds on entry; sets *byteCount to the bytes returned. A Win32 error code.
using PerformanceDataQuery = LONG (*)(void* context, const wchar_t* valueName, uint8_t* buffer,
                                      DWORD* byteCount) noexcept;

// The fetch loop of QueryPerformanceData over any source of blocks.
uint8_t* FetchPerformanceData(const wchar_t* valueName, size_t initialSize, size_t* size,
                              PerformanceDataQuery query, void* context) noexcept;

// Reads one counter of one instance of one object into sample. False when it
// was not found (sample untouched) or its type carries no usable reading.
bool ReadCounterSample(PerfBlock block, uint32_t objectIndex, uint32_t counterIndex, const wchar_t* instanceName,
                       RawCounterSample* sample) noexcept;

// One counter of a batch read: which counter, where its reading goes, and
// whether a usable reading arrived.
struct CounterRequest {
    uint32_t counterIndex;
    RawCounterSample* sample;
    bool read;
};

// Reads several counters of the same instance, each exactly as
// ReadCounterSample would, but finds the object and the instance only once.
void ReadCounterSamples(PerfBlock block, uint32_t objectIndex, const wchar_t* instanceName, CounterRequest* reads,
                        size_t count) noexcept;
