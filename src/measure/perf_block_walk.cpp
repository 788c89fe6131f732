#include "measure/perf_block_walk.h"

namespace {

std::optional<PerfObject> ReadObjectAt(PerfBlock block, size_t offset) noexcept {
    if (!Fits(offset, sizeof(PERF_OBJECT_TYPE), block.size)) {
        return std::nullopt;
    }
    PerfObject object{offset, 0, CopyOut<PERF_OBJECT_TYPE>(block, offset)};
    const PERF_OBJECT_TYPE& header = object.header;
    // A zero or short TotalByteLength would stall the walk; the definitions and
    // instances must lie inside the object.
    if (header.TotalByteLength < sizeof(PERF_OBJECT_TYPE) || !Fits(offset, header.TotalByteLength, block.size) ||
        header.HeaderLength < sizeof(PERF_OBJECT_TYPE) || header.DefinitionLength < header.HeaderLength ||
        header.DefinitionLength > header.TotalByteLength) {
        return std::nullopt;
    }
    object.end = offset + header.TotalByteLength;
    return object;
}

std::optional<PerfCounterDefinition> DefinitionAt(PerfBlock block, const PerfObject& object, uint32_t index) noexcept {
    const size_t areaLength = object.header.DefinitionLength - object.header.HeaderLength;
    if (index >= object.header.NumCounters || index >= areaLength / sizeof(PERF_COUNTER_DEFINITION)) {
        return std::nullopt;
    }
    const size_t offset = object.offset + object.header.HeaderLength + size_t{index} * sizeof(PERF_COUNTER_DEFINITION);
    return PerfCounterDefinition{offset, index, CopyOut<PERF_COUNTER_DEFINITION>(block, offset)};
}

std::optional<PerfCounterBlock> CounterBlockAt(PerfBlock block, const PerfObject& object, size_t offset) noexcept {
    if (!Fits(offset, sizeof(PERF_COUNTER_BLOCK), object.end)) {
        return std::nullopt;
    }
    const size_t length = CopyOut<PERF_COUNTER_BLOCK>(block, offset).ByteLength;
    if (length < sizeof(PERF_COUNTER_BLOCK) || !Fits(offset, length, object.end)) {
        return std::nullopt;
    }
    return PerfCounterBlock{offset, length};
}

std::optional<PerfInstance> InstanceAt(PerfBlock block, const PerfObject& object, size_t offset) noexcept {
    if (!Fits(offset, sizeof(PERF_INSTANCE_DEFINITION), object.end)) {
        return std::nullopt;
    }
    const auto header = CopyOut<PERF_INSTANCE_DEFINITION>(block, offset);
    if (header.ByteLength < sizeof(PERF_INSTANCE_DEFINITION) || !Fits(offset, header.ByteLength, object.end)) {
        return std::nullopt;
    }
    const auto counters = CounterBlockAt(block, object, offset + header.ByteLength);
    if (!counters) {
        return std::nullopt;
    }
    return PerfInstance{offset, header, *counters};
}

}  // namespace

std::optional<PERF_DATA_BLOCK> ReadDataBlockHeader(PerfBlock block) noexcept {
    if (!block.data || block.size < sizeof(PERF_DATA_BLOCK)) {
        return std::nullopt;
    }
    const auto header = CopyOut<PERF_DATA_BLOCK>(block, 0);
    if (header.HeaderLength < sizeof(PERF_DATA_BLOCK) || header.HeaderLength > block.size) {
        return std::nullopt;
    }
    return header;
}

std::optional<PerfObject> FindPerfObject(PerfBlock block, uint32_t titleIndex, WalkBudget* budget) noexcept {
    const auto header = ReadDataBlockHeader(block);
    if (!header) {
        return std::nullopt;
    }
    // Each object is at least a header long and lies inside the block, so the
    // walk ends with the block whatever NumObjectTypes claims.
    size_t offset = header->HeaderLength;
    for (DWORD i = 0; i < header->NumObjectTypes; ++i) {
        if (!budget->Spend()) {
            return std::nullopt;
        }
        const auto object = ReadObjectAt(block, offset);
        if (!object) {
            return std::nullopt;
        }
        if (object->header.ObjectNameTitleIndex == titleIndex) {
            return object;
        }
        offset = object->end;
    }
    return std::nullopt;
}

std::optional<PerfCounterDefinition> FindCounterDefinition(PerfBlock block, const PerfObject& object,
                                                           uint32_t titleIndex) noexcept {
    for (uint32_t index = 0;; ++index) {
        const auto definition = DefinitionAt(block, object, index);
        if (!definition) {
            return std::nullopt;
        }
        if (definition->fields.CounterNameTitleIndex == titleIndex) {
            return definition;
        }
    }
}

std::optional<PerfCounterDefinition> NextCounterDefinition(PerfBlock block, const PerfObject& object,
                                                           const PerfCounterDefinition& definition) noexcept {
    if (definition.index == UINT32_MAX) {
        return std::nullopt;
    }
    return DefinitionAt(block, object, definition.index + 1);
}

std::optional<PerfInstance> FirstInstance(PerfBlock block, const PerfObject& object) noexcept {
    if (object.header.NumInstances <= 0) {
        return std::nullopt;
    }
    return InstanceAt(block, object, object.offset + object.header.DefinitionLength);
}

std::optional<PerfInstance> NextInstance(PerfBlock block, const PerfObject& object,
                                         const PerfInstance& instance) noexcept {
    return InstanceAt(block, object, instance.counters.offset + instance.counters.length);
}

std::optional<PerfInstance> InstanceAtPosition(PerfBlock block, const PerfObject& object, uint32_t position,
                                               WalkBudget* budget) noexcept {
    if (object.header.NumInstances <= 0 || position >= static_cast<uint32_t>(object.header.NumInstances)) {
        return std::nullopt;
    }
    auto instance = FirstInstance(block, object);
    for (uint32_t step = 0; instance && step < position; ++step) {
        if (!budget->Spend()) {
            return std::nullopt;
        }
        instance = NextInstance(block, object, *instance);
    }
    return instance;
}

std::optional<PerfCounterBlock> FindCounterBlock(PerfBlock block, const PerfObject& object,
                                                 const wchar_t* instanceName, WalkBudget* budget) noexcept {
    if (object.header.NumInstances == PERF_NO_INSTANCES) {
        return CounterBlockAt(block, object, object.offset + object.header.DefinitionLength);
    }
    if (object.header.NumInstances == 0 || !instanceName) {
        return std::nullopt;
    }
    const auto instance = FindInstanceByName(block, object, instanceName, budget);
    if (!instance) {
        return std::nullopt;
    }
    return instance->counters;
}
