// The inner steps of reading a performance data block: finding objects,
// counter definitions, instances and counter blocks, and naming instances.
//
// Nothing here dereferences the block: each structure is copied out with
// memcpy once its whole extent is known to lie inside the block (and inside its
// object), so a hostile or truncated block yields "none", never a stray read.
#pragma once

#include "base/docklet_instance.h"
#include "measure/perf_data_reader.h"

#include <windows.h>
#include <winperf.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

// The reader walks the structures at fixed strides of the winperf.h layout,
// which is the same for 32- and 64-bit processes.
static_assert(sizeof(PERF_DATA_BLOCK) == 88, "PERF_DATA_BLOCK layout");
static_assert(sizeof(PERF_OBJECT_TYPE) == 64, "PERF_OBJECT_TYPE layout");
static_assert(sizeof(PERF_COUNTER_DEFINITION) == 40, "PERF_COUNTER_DEFINITION layout");
static_assert(sizeof(PERF_INSTANCE_DEFINITION) == 24, "PERF_INSTANCE_DEFINITION layout");
static_assert(sizeof(PERF_COUNTER_BLOCK) == 4, "PERF_COUNTER_BLOCK layout");

// True when [offset, offset + length) lies inside [0, end); never overflows.
inline bool Fits(size_t offset, size_t length, size_t end) noexcept {
    return offset <= end && length <= end - offset;
}

// Copies a structure out of the block; the caller has checked that it fits.
template <typename T>
T CopyOut(PerfBlock block, size_t offset) noexcept {
    T value;
    std::memcpy(&value, block.data + offset, sizeof value);
    return value;
}

// Repeated walks (one parent lookup per instance) could make a hostile block
// quadratic; one reading visits at most this many objects and instances.
constexpr size_t kMaxWalkSteps = size_t{1} << 22;

struct WalkBudget {
    size_t remaining = kMaxWalkSteps;
    bool Spend() noexcept {
        if (remaining == 0) {
            return false;
        }
        --remaining;
        return true;
    }
};

// An object whose header and extent [offset, end) were checked.
struct PerfObject {
    size_t offset;
    size_t end;
    PERF_OBJECT_TYPE header;
};

// One counter definition, index-th of its object.
struct PerfCounterDefinition {
    size_t offset;
    uint32_t index;
    PERF_COUNTER_DEFINITION fields;
};

// A counter block [offset, offset + length), inside its object.
struct PerfCounterBlock {
    size_t offset;
    size_t length;
};

// One instance definition with the counter block that follows it.
struct PerfInstance {
    size_t offset;
    PERF_INSTANCE_DEFINITION header;
    PerfCounterBlock counters;
};

// Own names hold at most 255 characters; a parent's and its child's joined by
// a slash at most 511.
constexpr size_t kMaxOwnNameLength = 255;
constexpr size_t kMaxFullNameLength = 2 * kMaxOwnNameLength + 1;

struct InstanceName {
    wchar_t text[kMaxFullNameLength + 1];
    size_t length;
};

// The block's header, when the block is long enough to hold one.
std::optional<PERF_DATA_BLOCK> ReadDataBlockHeader(PerfBlock block) noexcept;

std::optional<PerfObject> FindPerfObject(PerfBlock block, uint32_t titleIndex, WalkBudget* budget) noexcept;

std::optional<PerfCounterDefinition> FindCounterDefinition(PerfBlock block, const PerfObject& object,
                                                           uint32_t titleIndex) noexcept;

// The definition right after `definition`, if the object has one.
std::optional<PerfCounterDefinition> NextCounterDefinition(PerfBlock block, const PerfObject& object,
                                                           const PerfCounterDefinition& definition) noexcept;

// The instances of an object in block order: the first lies DefinitionLength
// bytes into the object, each next one right after the previous counter block.
std::optional<PerfInstance> FirstInstance(PerfBlock block, const PerfObject& object) noexcept;
std::optional<PerfInstance> NextInstance(PerfBlock block, const PerfObject& object,
                                         const PerfInstance& instance) noexcept;

std::optional<PerfCounterBlock> FindCounterBlock(PerfBlock block, const PerfObject& object,
                                                 const wchar_t* instanceName, WalkBudget* budget) noexcept;

std::optional<PerfInstance> FindInstanceByName(PerfBlock block, const PerfObject& object, const wchar_t* name,
                                               WalkBudget* budget) noexcept;

// The number after the first '#' of the name, 0 without one.
int ParseInstanceSerial(const wchar_t* name) noexcept;

// "parent/own" for an instance with a parent, else its own name. False when a
// name cannot be read or converted, or the parent is not in the block.
bool BuildFullInstanceName(PerfBlock block, const PerfInstance& instance, uint32_t codePage, InstanceName* name,
                           WalkBudget* budget) noexcept;

std::optional<PerfInstance> InstanceAtPosition(PerfBlock block, const PerfObject& object, uint32_t position,
                                               WalkBudget* budget) noexcept;

// Converts 8-bit name bytes in codePage (at most 510 bytes into at most 255
// characters); false when the conversion fails.
bool ConvertAnsiName(uint32_t codePage, const uint8_t* bytes, size_t byteLength,
                     wchar_t (&name)[kMaxOwnNameLength + 1]) noexcept;

enum class FillResult {
    kReading,    // the sample holds a usable reading
    kNoReading,  // the sample holds what the type allows, but no usable reading
    kOutOfBlock, // a value lies outside the counter block; the sample is untouched
};

// Fills the value fields of sample by the counter's type; counterType and
// defaultScale are the caller's.
FillResult FillRawSample(PerfBlock block, const PerfObject& object, const PerfCounterDefinition& definition,
                         const PerfCounterBlock& counterBlock, RawCounterSample* sample) noexcept;
