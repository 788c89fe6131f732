#include "measure/perf_data_reader.h"

#include "measure/perf_block_walk.h"

#include <cwchar>

namespace {

bool ReadOne(PerfBlock block, const PerfObject& object, const PerfCounterDefinition& definition,
             const PerfCounterBlock& counterBlock, uint32_t counterIndex, RawCounterSample* sample) noexcept {
    // Filled apart from the caller's sample, which keeps its last reading when the
    // counter's value turns out to lie outside its counter block.
    RawCounterSample reading{};
    reading.counterType = definition.fields.CounterType;
    reading.defaultScale = definition.fields.DefaultScale;
    const FillResult result = FillRawSample(block, object, definition, counterBlock, &reading);
    if (result == FillResult::kOutOfBlock) {
        wprintf(L"Counter, %u, not found.\n", counterIndex);
        return false;
    }
    *sample = reading;
    return result == FillResult::kReading;
}

}  // namespace

void ReadCounterSamples(PerfBlock block, uint32_t objectIndex, const wchar_t* instanceName, CounterRequest* reads,
                        size_t count) noexcept {
    WalkBudget budget;
    const auto object = FindPerfObject(block, objectIndex, &budget);
    // The instance is looked up once, when the first counter is defined.
    bool searched = false;
    std::optional<PerfCounterBlock> counterBlock;
    for (size_t i = 0; i < count; ++i) {
        CounterRequest& read = reads[i];
        read.read = false;
        if (!read.sample) {
            continue;
        }
        if (!object) {
            wprintf(L"Object, %u, not found.\n", objectIndex);
            continue;
        }
        const auto definition = FindCounterDefinition(block, *object, read.counterIndex);
        if (!definition) {
            wprintf(L"Counter, %u, not found.\n", read.counterIndex);
            continue;
        }
        if (!searched) {
            counterBlock = FindCounterBlock(block, *object, instanceName, &budget);
            searched = true;
        }
        if (!counterBlock) {
            wprintf(L"Instance, %ls, not found.\n", instanceName ? instanceName : L"(null)");
            continue;
        }
        read.read = ReadOne(block, *object, *definition, *counterBlock, read.counterIndex, read.sample);
    }
}

bool ReadCounterSample(PerfBlock block, uint32_t objectIndex, uint32_t counterIndex, const wchar_t* instanceName,
                       RawCounterSample* sample) noexcept {
    CounterRequest read{counterIndex, sample, false};
    ReadCounterSamples(block, objectIndex, instanceName, &read, 1);
    return read.read;
}
