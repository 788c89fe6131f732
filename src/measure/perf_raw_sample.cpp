#include "measure/perf_block_walk.h"

namespace {

enum class ValueWidth { k32, k64 };
enum class TimeSource { kNone, kBlockTime, kBlockTime100nSec, kObjectTime, kBase32, kBase64 };
enum class FrequencySource { kNone, kBlock, kObject };

// How a counter type is read: its value, what goes into `time`, and the
// frequency of that time.
struct ReadingRule {
    ValueWidth value;
    TimeSource time;
    FrequencySource frequency;
};

std::optional<ReadingRule> RuleFor(uint32_t counterType) noexcept {
    using V = ValueWidth;
    using T = TimeSource;
    using F = FrequencySource;
    switch (counterType) {
    case PERF_COUNTER_RAWCOUNT_HEX:
    case PERF_COUNTER_RAWCOUNT:
    case PERF_COUNTER_DELTA:
        return ReadingRule{V::k32, T::kNone, F::kNone};
    case PERF_COUNTER_LARGE_RAWCOUNT_HEX:
    case PERF_COUNTER_LARGE_RAWCOUNT:
    case PERF_COUNTER_LARGE_DELTA:
        return ReadingRule{V::k64, T::kNone, F::kNone};
    case PERF_COUNTER_COUNTER:
    case PERF_SAMPLE_COUNTER:
        return ReadingRule{V::k32, T::kBlockTime, F::kBlock};
    case PERF_COUNTER_QUEUELEN_TYPE:
        return ReadingRule{V::k32, T::kBlockTime, F::kNone};
    case PERF_COUNTER_BULK_COUNT:
    case PERF_COUNTER_MULTI_TIMER:
    case PERF_COUNTER_MULTI_TIMER_INV:
        return ReadingRule{V::k64, T::kBlockTime, F::kBlock};
    case PERF_COUNTER_LARGE_QUEUELEN_TYPE:
    case PERF_COUNTER_TIMER:
    case PERF_COUNTER_TIMER_INV:
        return ReadingRule{V::k64, T::kBlockTime, F::kNone};
    case PERF_COUNTER_100NS_QUEUELEN_TYPE:
    case PERF_100NSEC_TIMER:
    case PERF_100NSEC_TIMER_INV:
    case PERF_100NSEC_MULTI_TIMER:
    case PERF_100NSEC_MULTI_TIMER_INV:
        return ReadingRule{V::k64, T::kBlockTime100nSec, F::kNone};
    case PERF_OBJ_TIME_TIMER:
        // Only the low half of this 64-bit counter is taken.
        return ReadingRule{V::k32, T::kObjectTime, F::kNone};
    case PERF_COUNTER_OBJ_TIME_QUEUELEN_TYPE:
        return ReadingRule{V::k64, T::kObjectTime, F::kNone};
    case PERF_ELAPSED_TIME:
        return ReadingRule{V::k64, T::kObjectTime, F::kObject};
    case PERF_RAW_FRACTION:
    case PERF_SAMPLE_FRACTION:
        return ReadingRule{V::k32, T::kBase32, F::kNone};
    case PERF_LARGE_RAW_FRACTION:
    case PERF_PRECISION_SYSTEM_TIMER:
    case PERF_PRECISION_100NS_TIMER:
    case PERF_PRECISION_OBJECT_TIMER:
        return ReadingRule{V::k64, T::kBase64, F::kNone};
    case PERF_AVERAGE_TIMER:
        return ReadingRule{V::k64, T::kBase32, F::kBlock};
    case PERF_AVERAGE_BULK:
        return ReadingRule{V::k64, T::kBase32, F::kNone};
    default:
        return std::nullopt;
    }
}

size_t BytesOf(ValueWidth width) noexcept {
    return width == ValueWidth::k32 ? sizeof(uint32_t) : sizeof(uint64_t);
}

uint64_t ReadValue(PerfBlock block, size_t offset, ValueWidth width) noexcept {
    return width == ValueWidth::k32 ? CopyOut<uint32_t>(block, offset) : CopyOut<uint64_t>(block, offset);
}

}  // namespace

FillResult FillRawSample(PerfBlock block, const PerfObject& object, const PerfCounterDefinition& definition,
                         const PerfCounterBlock& counterBlock, RawCounterSample* sample) noexcept {
    const auto rule = RuleFor(definition.fields.CounterType);
    if (!rule) {
        return FillResult::kNoReading;
    }
    const auto header = ReadDataBlockHeader(block);
    if (!header) {
        return FillResult::kOutOfBlock;
    }

    // Multi counters carry their instance count right after the 64-bit value.
    const bool multi = (definition.fields.CounterType & PERF_MULTI_COUNTER) != 0;
    const size_t valueOffset = definition.fields.CounterOffset;
    if (!Fits(valueOffset, BytesOf(rule->value) + (multi ? sizeof(uint32_t) : 0), counterBlock.length)) {
        return FillResult::kOutOfBlock;
    }

    // The base of a fraction is the next definition, when that is a base counter.
    const bool needsBase = rule->time == TimeSource::kBase32 || rule->time == TimeSource::kBase64;
    const ValueWidth baseWidth = rule->time == TimeSource::kBase64 ? ValueWidth::k64 : ValueWidth::k32;
    std::optional<PerfCounterDefinition> base;
    if (needsBase) {
        base = NextCounterDefinition(block, object, definition);
        if (base && (base->fields.CounterType & PERF_COUNTER_BASE) != PERF_COUNTER_BASE) {
            base.reset();
        }
        if (base && !Fits(base->fields.CounterOffset, BytesOf(baseWidth), counterBlock.length)) {
            return FillResult::kOutOfBlock;
        }
    }

    sample->data = ReadValue(block, counterBlock.offset + valueOffset, rule->value);
    if (multi) {
        sample->multiCount = CopyOut<uint32_t>(block, counterBlock.offset + valueOffset + sizeof(uint64_t));
    }
    switch (rule->time) {
    case TimeSource::kNone:
        break;
    case TimeSource::kBlockTime:
        sample->time = header->PerfTime.QuadPart;
        break;
    case TimeSource::kBlockTime100nSec:
        sample->time = header->PerfTime100nSec.QuadPart;
        break;
    case TimeSource::kObjectTime:
        sample->time = object.header.PerfTime.QuadPart;
        break;
    case TimeSource::kBase32:
    case TimeSource::kBase64:
        if (base) {
            sample->time = static_cast<int64_t>(
                ReadValue(block, counterBlock.offset + base->fields.CounterOffset, baseWidth));
        }
        break;
    }
    switch (rule->frequency) {
    case FrequencySource::kNone:
        break;
    case FrequencySource::kBlock:
        sample->frequency = header->PerfFreq.QuadPart;
        break;
    case FrequencySource::kObject:
        sample->frequency = object.header.PerfFreq.QuadPart;
        break;
    }
    return needsBase && !base ? FillResult::kNoReading : FillResult::kReading;
}
