#include "support/perf_block_builder.h"

namespace {

class ByteWriter {
public:
    size_t Size() const { return bytes_.size(); }

    template <typename T>
    size_t Append(const T& value) {
        const size_t offset = bytes_.size();
        bytes_.resize(offset + sizeof value);
        std::memcpy(bytes_.data() + offset, &value, sizeof value);
        return offset;
    }

    size_t AppendBytes(const void* data, size_t length) {
        const size_t offset = bytes_.size();
        bytes_.resize(offset + length);
        if (length) {
            std::memcpy(bytes_.data() + offset, data, length);
        }
        return offset;
    }

    void PadTo(size_t alignment) { bytes_.resize((bytes_.size() + alignment - 1) / alignment * alignment); }

    template <typename T>
    void Patch(size_t offset, const T& value) {
        std::memcpy(bytes_.data() + offset, &value, sizeof value);
    }

    std::vector<uint8_t> Take() { return std::move(bytes_); }

private:
    std::vector<uint8_t> bytes_;
};

uint32_t StorageBytes(const PerfCounterPlan& counter) {
    if (counter.storageBytes != 0) {
        return counter.storageBytes;
    }
    const uint32_t multi = (counter.type & PERF_MULTI_COUNTER) ? 4 : 0;
    switch (counter.type & 0x00000300) {
    case PERF_SIZE_LARGE:
        return 8 + multi;
    case PERF_SIZE_ZERO:
        return 0;
    default:
        return 4 + multi;
    }
}

// CounterOffset of each counter, from the start of the counter block: after the
// block's ByteLength, each value on its natural alignment. Also the block's length.
std::vector<uint32_t> CounterOffsets(const std::vector<PerfCounterPlan>& counters, uint32_t* blockLength) {
    std::vector<uint32_t> offsets;
    uint32_t next = sizeof(PERF_COUNTER_BLOCK);
    for (const PerfCounterPlan& counter : counters) {
        const uint32_t bytes = StorageBytes(counter);
        const uint32_t alignment = bytes >= 8 ? 8 : 4;
        next = (next + alignment - 1) / alignment * alignment;
        offsets.push_back(next);
        next += bytes;
    }
    *blockLength = (next + 7) / 8 * 8;
    return offsets;
}

size_t AppendCounterBlock(ByteWriter* out, const std::vector<PerfCounterPlan>& counters,
                          const std::vector<uint32_t>& offsets, uint32_t blockLength,
                          const std::vector<PerfValue>& values) {
    std::vector<uint8_t> block(blockLength, 0);
    const PERF_COUNTER_BLOCK header{blockLength};
    std::memcpy(block.data(), &header, sizeof header);
    for (size_t i = 0; i < counters.size() && i < values.size(); ++i) {
        const uint32_t bytes = StorageBytes(counters[i]);
        const bool multi = (counters[i].type & PERF_MULTI_COUNTER) != 0;
        const uint32_t valueBytes = multi && bytes >= 12 ? bytes - 4 : bytes;
        std::memcpy(block.data() + offsets[i], &values[i].value, valueBytes < 8 ? valueBytes : 8);
        if (multi && bytes >= 12) {
            std::memcpy(block.data() + offsets[i] + 8, &values[i].multiCount, 4);
        }
    }
    return out->AppendBytes(block.data(), block.size());
}

BuiltInstance AppendInstance(ByteWriter* out, const PerfObjectPlan& object, const PerfInstancePlan& instance,
                             const std::vector<uint32_t>& offsets, uint32_t blockLength) {
    std::vector<uint8_t> name;
    if (object.codePage == 0) {
        const size_t bytes = (instance.name.size() + 1) * sizeof(wchar_t);
        name.resize(bytes);
        std::memcpy(name.data(), instance.name.c_str(), bytes);
    } else {
        name.assign(instance.ansiName.begin(), instance.ansiName.end());
        name.push_back(0);
    }
    BuiltInstance built{};
    PERF_INSTANCE_DEFINITION definition{};
    definition.ParentObjectTitleIndex = instance.parentObject;
    definition.ParentObjectInstance = instance.parentInstance;
    definition.UniqueID = PERF_NO_UNIQUE_ID;
    definition.NameOffset = sizeof(PERF_INSTANCE_DEFINITION);
    definition.NameLength = static_cast<DWORD>(name.size());
    definition.ByteLength = static_cast<DWORD>((sizeof definition + name.size() + 7) / 8 * 8);
    built.offset = out->Append(definition);
    out->AppendBytes(name.data(), name.size());
    out->PadTo(8);
    built.counterBlockOffset = AppendCounterBlock(out, object.counters, offsets, blockLength, instance.values);
    return built;
}

BuiltObject AppendObject(ByteWriter* out, const PerfObjectPlan& plan) {
    BuiltObject built{};
    built.offset = out->Size();
    uint32_t blockLength = 0;
    built.counterOffsets = CounterOffsets(plan.counters, &blockLength);

    PERF_OBJECT_TYPE header{};
    header.HeaderLength = sizeof header;
    header.DefinitionLength = static_cast<DWORD>(sizeof header + plan.counters.size() * sizeof(PERF_COUNTER_DEFINITION));
    header.ObjectNameTitleIndex = plan.titleIndex;
    header.ObjectHelpTitleIndex = plan.titleIndex + 1;
    header.DetailLevel = PERF_DETAIL_NOVICE;
    header.NumCounters = static_cast<DWORD>(plan.counters.size());
    header.NumInstances = plan.hasInstances ? static_cast<LONG>(plan.instances.size()) : PERF_NO_INSTANCES;
    header.CodePage = plan.codePage;
    header.PerfTime.QuadPart = plan.perfTime;
    header.PerfFreq.QuadPart = plan.perfFreq;
    out->Append(header);

    for (size_t i = 0; i < plan.counters.size(); ++i) {
        PERF_COUNTER_DEFINITION definition{};
        definition.ByteLength = sizeof definition;
        definition.CounterNameTitleIndex = plan.counters[i].titleIndex;
        definition.CounterHelpTitleIndex = plan.counters[i].titleIndex + 1;
        definition.DefaultScale = plan.counters[i].defaultScale;
        definition.DetailLevel = PERF_DETAIL_NOVICE;
        definition.CounterType = plan.counters[i].type;
        definition.CounterSize = StorageBytes(plan.counters[i]);
        definition.CounterOffset = built.counterOffsets[i];
        built.definitionOffsets.push_back(out->Append(definition));
    }

    if (plan.hasInstances) {
        for (const PerfInstancePlan& instance : plan.instances) {
            built.instances.push_back(AppendInstance(out, plan, instance, built.counterOffsets, blockLength));
        }
    } else {
        AppendCounterBlock(out, plan.counters, built.counterOffsets, blockLength, plan.values);
    }
    out->PadTo(8);
    out->Patch(built.offset + offsetof(PERF_OBJECT_TYPE, TotalByteLength), static_cast<DWORD>(out->Size() - built.offset));
    return built;
}

}  // namespace

std::vector<uint8_t> BuildPerfBlock(const PerfBlockPlan& plan, PerfBlockLayout* layout) {
    ByteWriter out;
    PERF_DATA_BLOCK header{};
    std::memcpy(header.Signature, L"PERF", sizeof header.Signature);
    header.LittleEndian = 1;
    header.Version = PERF_DATA_VERSION;
    header.Revision = PERF_DATA_REVISION;
    header.NumObjectTypes = static_cast<DWORD>(plan.objects.size());
    header.DefaultObject = plan.objects.empty() ? 0 : static_cast<LONG>(plan.objects.front().titleIndex);
    header.SystemTime = SYSTEMTIME{2024, 5, 3, 16, 12, 30, 0, 0};
    header.PerfTime.QuadPart = plan.perfTime;
    header.PerfFreq.QuadPart = plan.perfFreq;
    header.PerfTime100nSec.QuadPart = plan.perfTime100nSec;
    header.SystemNameLength = static_cast<DWORD>((plan.systemName.size() + 1) * sizeof(wchar_t));
    header.SystemNameOffset = sizeof header;
    out.Append(header);
    out.AppendBytes(plan.systemName.c_str(), header.SystemNameLength);
    out.PadTo(8);
    out.Patch(offsetof(PERF_DATA_BLOCK, HeaderLength), static_cast<DWORD>(out.Size()));

    PerfBlockLayout built;
    for (const PerfObjectPlan& object : plan.objects) {
        built.objects.push_back(AppendObject(&out, object));
    }
    out.Patch(offsetof(PERF_DATA_BLOCK, TotalByteLength), static_cast<DWORD>(out.Size()));
    if (layout) {
        *layout = std::move(built);
    }
    return out.Take();
}

PerfObjectPlan NetworkInterfaceObject(const std::vector<AdapterCounters>& adapters) {
    PerfObjectPlan object;
    object.titleIndex = kNetworkInterfaceObject;
    object.counters = {
        {kBytesTotalCounter, PERF_COUNTER_BULK_COUNT, -4},
        {kBytesReceivedCounter, PERF_COUNTER_BULK_COUNT, -4},
        {kBytesSentCounter, PERF_COUNTER_BULK_COUNT, -4},
        {kCurrentBandwidthCounter, PERF_COUNTER_LARGE_RAWCOUNT, -6},
    };
    for (const AdapterCounters& adapter : adapters) {
        PerfInstancePlan instance;
        instance.name = adapter.name;
        instance.values = {adapter.bytesTotal, adapter.bytesReceived, adapter.bytesSent, adapter.bandwidth};
        object.instances.push_back(instance);
    }
    return object;
}

PerfBlockPlan NetworkInterfaceBlock(const std::vector<AdapterCounters>& adapters, int64_t perfTime,
                                    int64_t perfFreq) {
    PerfBlockPlan block;
    block.perfTime = perfTime;
    block.perfFreq = perfFreq;
    block.perfTime100nSec = perfTime * 10;
    block.objects.push_back(NetworkInterfaceObject(adapters));
    return block;
}
