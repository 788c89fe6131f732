#include "measure/perf_data_reader.h"

#include "measure/perf_block_walk.h"

#include <cwchar>

bool ReadCounterSample(PerfBlock block, uint32_t objectIndex, uint32_t counterIndex, const wchar_t* instanceName,
                       RawCounterSample* sample) noexcept {
    if (!sample) {
        return false;
    }
    WalkBudget budget;
    const auto object = FindPerfObject(block, objectIndex, &budget);
    if (!object) {
        wprintf(L"Object, %u, not found.\n", objectIndex);
        return false;
    }
    const auto definition = FindCounterDefinition(block, *object, counterIndex);
    if (!definition) {
        wprintf(L"Counter, %u, not found.\n", counterIndex);
        return false;
    }
    const auto counterBlock = FindCounterBlock(block, *object, instanceName, &budget);
    if (!counterBlock) {
        wprintf(L"Instance, %ls, not found.\n", instanceName ? instanceName : L"(null)");
        return false;
    }

    // Filled apart from the caller's sample, which keeps its last reading when the
    // counter's value turns out to lie outside its counter block.
    RawCounterSample reading{};
    reading.counterType = definition->fields.CounterType;
    reading.defaultScale = definition->fields.DefaultScale;
    const FillResult result = FillRawSample(block, *object, *definition, *counterBlock, &reading);
    if (result == FillResult::kOutOfBlock) {
        wprintf(L"Counter, %u, not found.\n", counterIndex);
        return false;
    }
    *sample = reading;
    return result == FillResult::kReading;
}
