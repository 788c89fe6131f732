// Hostile performance data blocks for the counter reader (one counter, and the
// sampler's four in one pass): the test fixtures' valid blocks and generated
// ones, most of them mutated at the very fields the reader follows (offsets,
// lengths, counts, parents, code pages), cut short or with bytes flipped.
// Unmutated blocks must still read their known values.
#include "fuzz_driver.h"

#include "benchmarks/realistic_block.h"
#include "measure/perf_data_reader.h"
#include "support/perf_block_builder.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

const uint32_t kCounterTypes[] = {
    PERF_COUNTER_RAWCOUNT, PERF_COUNTER_LARGE_RAWCOUNT, PERF_COUNTER_BULK_COUNT, PERF_COUNTER_COUNTER,
    PERF_COUNTER_RAWCOUNT_HEX, PERF_COUNTER_DELTA, PERF_COUNTER_LARGE_DELTA, PERF_SAMPLE_COUNTER,
    PERF_COUNTER_QUEUELEN_TYPE, PERF_COUNTER_LARGE_QUEUELEN_TYPE, PERF_COUNTER_100NS_QUEUELEN_TYPE,
    PERF_COUNTER_OBJ_TIME_QUEUELEN_TYPE, PERF_COUNTER_TIMER, PERF_COUNTER_TIMER_INV, PERF_100NSEC_TIMER,
    PERF_100NSEC_TIMER_INV, PERF_COUNTER_MULTI_TIMER, PERF_COUNTER_MULTI_TIMER_INV, PERF_100NSEC_MULTI_TIMER,
    PERF_100NSEC_MULTI_TIMER_INV, PERF_OBJ_TIME_TIMER, PERF_ELAPSED_TIME, PERF_RAW_FRACTION,
    PERF_SAMPLE_FRACTION, PERF_LARGE_RAW_FRACTION, PERF_PRECISION_SYSTEM_TIMER, PERF_PRECISION_100NS_TIMER,
    PERF_PRECISION_OBJECT_TIMER, PERF_AVERAGE_TIMER, PERF_AVERAGE_BULK, PERF_RAW_BASE, PERF_LARGE_RAW_BASE,
    PERF_SAMPLE_BASE, PERF_AVERAGE_BASE, PERF_COUNTER_MULTI_BASE, PERF_COUNTER_TEXT, PERF_COUNTER_NODATA,
    0xFFFFFFFFu};
const uint32_t kCodePages[] = {0, 0, 0, 1252, 65001, 932, 936, 20127};
// Code pages Wine cannot convert: it looks for their tables on every call, so
// they come rarely to keep the run fast.
const uint32_t kOddCodePages[] = {1200, 50220, 54936, 12345};
const uint32_t kTitles[] = {510, 510, 388, 264, 506, 520, 238, 2, 0, 0xFFFFFFFFu};

// The values a counter's value bytes hold, as the reader returns them.
uint64_t AsRead(uint32_t type, uint64_t value) {
    return (type & 0x00000300) == PERF_SIZE_LARGE ? value : value & 0xFFFFFFFFu;
}

std::string HostileAnsi(FuzzRng& rng) {
    std::string text(rng.OneIn(8) ? 200 + rng.Below(400) : rng.Below(24), 'a');
    for (char& c : text) {
        c = static_cast<char>(rng.OneIn(3) ? rng.Below(256) : 'a' + rng.Below(4));
    }
    return text;
}

std::wstring HostileWide(FuzzRng& rng) {
    static const wchar_t kPieces[] = {L'a', L'A', L'#', L'/', L'0', L'9', 0xD800, 0xDC00, 0xFFFF, 0x00E9, L' '};
    std::wstring text(rng.OneIn(8) ? 200 + rng.Below(400) : rng.Below(24), L'a');
    for (wchar_t& c : text) {
        c = rng.Pick(kPieces);
    }
    return text;
}

// Clean plans name every instance "nNN-MMM": unique, none a prefix of another,
// so a lookup by name has exactly one answer.
std::wstring CleanName(size_t object, size_t instance) {
    wchar_t name[16];
    std::swprintf(name, 16, L"n%02u-%03u", static_cast<unsigned>(object), static_cast<unsigned>(instance));
    return name;
}

PerfBlockPlan GeneratedPlan(FuzzRng& rng, bool clean) {
    PerfBlockPlan plan;
    plan.perfTime = static_cast<int64_t>(rng.Next());
    plan.perfFreq = static_cast<int64_t>(rng.Next());
    plan.perfTime100nSec = static_cast<int64_t>(rng.Next());
    const size_t objects = 1 + rng.Below(4);
    for (size_t o = 0; o < objects; ++o) {
        PerfObjectPlan object;
        object.titleIndex = clean ? static_cast<uint32_t>(500 + o * 10) : rng.Pick(kTitles);
        object.codePage = clean ? (rng.OneIn(2) ? 0 : 1252) : rng.OneIn(50) ? rng.Pick(kOddCodePages) : rng.Pick(kCodePages);
        object.hasInstances = clean || !rng.OneIn(6);
        object.perfTime = static_cast<int64_t>(rng.Next());
        object.perfFreq = static_cast<int64_t>(rng.Next());
        const size_t counters = rng.Below(7);
        for (size_t c = 0; c < counters; ++c) {
            PerfCounterPlan counter;
            counter.titleIndex = clean ? static_cast<uint32_t>(c + 1) : rng.Pick(kTitles);
            counter.type = rng.Pick(kCounterTypes);
            counter.defaultScale = static_cast<int32_t>(rng.Below(20)) - 10;
            counter.storageBytes = clean || !rng.OneIn(5) ? 0 : rng.Below(16);
            object.counters.push_back(counter);
        }
        const size_t instances = rng.OneIn(10) ? rng.Below(200) : rng.Below(8);
        for (size_t i = 0; i < instances; ++i) {
            PerfInstancePlan instance;
            if (clean) {
                instance.name = CleanName(o, i);
                instance.ansiName = std::string(instance.name.begin(), instance.name.end());
            } else {
                instance.name = HostileWide(rng);
                instance.ansiName = HostileAnsi(rng);
            }
            if (rng.OneIn(clean ? 4 : 2) && o > 0) {
                instance.parentObject = clean ? static_cast<uint32_t>(500 + rng.Below(o) * 10) : rng.Pick(kTitles);
                instance.parentInstance = rng.OneIn(4) ? static_cast<uint32_t>(rng.Next()) : rng.Below(10);
            }
            for (size_t c = 0; c < counters; ++c) {
                instance.values.emplace_back(rng.Next(), static_cast<uint32_t>(rng.Next()));
            }
            object.instances.push_back(instance);
        }
        for (size_t c = 0; c < counters; ++c) {
            object.values.emplace_back(rng.Next(), static_cast<uint32_t>(rng.Next()));
        }
        plan.objects.push_back(object);
    }
    return plan;
}

// The fields the reader follows, as offsets into a built block.
std::vector<size_t> FollowedFields(const PerfBlockLayout& layout, const std::vector<uint8_t>& block) {
    std::vector<size_t> fields = {offsetof(PERF_DATA_BLOCK, TotalByteLength), offsetof(PERF_DATA_BLOCK, HeaderLength),
                                  offsetof(PERF_DATA_BLOCK, NumObjectTypes)};
    for (const BuiltObject& object : layout.objects) {
        for (size_t field : {offsetof(PERF_OBJECT_TYPE, TotalByteLength), offsetof(PERF_OBJECT_TYPE, DefinitionLength),
                             offsetof(PERF_OBJECT_TYPE, HeaderLength), offsetof(PERF_OBJECT_TYPE, ObjectNameTitleIndex),
                             offsetof(PERF_OBJECT_TYPE, NumCounters), offsetof(PERF_OBJECT_TYPE, NumInstances),
                             offsetof(PERF_OBJECT_TYPE, CodePage)}) {
            fields.push_back(object.offset + field);
        }
        for (size_t definition : object.definitionOffsets) {
            for (size_t field : {offsetof(PERF_COUNTER_DEFINITION, CounterType),
                                 offsetof(PERF_COUNTER_DEFINITION, CounterOffset),
                                 offsetof(PERF_COUNTER_DEFINITION, CounterNameTitleIndex)}) {
                fields.push_back(definition + field);
            }
        }
        for (const BuiltInstance& instance : object.instances) {
            for (size_t field : {offsetof(PERF_INSTANCE_DEFINITION, ByteLength),
                                 offsetof(PERF_INSTANCE_DEFINITION, NameOffset),
                                 offsetof(PERF_INSTANCE_DEFINITION, NameLength),
                                 offsetof(PERF_INSTANCE_DEFINITION, ParentObjectTitleIndex),
                                 offsetof(PERF_INSTANCE_DEFINITION, ParentObjectInstance)}) {
                fields.push_back(instance.offset + field);
            }
            fields.push_back(instance.counterBlockOffset);
        }
    }
    std::vector<size_t> inside;
    for (size_t field : fields) {
        if (field + 4 <= block.size()) {
            inside.push_back(field);
        }
    }
    return inside;
}

void Mutate(FuzzRng& rng, std::vector<uint8_t>& block, const PerfBlockLayout& layout) {
    const std::vector<size_t> fields = FollowedFields(layout, block);
    const uint32_t size = static_cast<uint32_t>(block.size());
    const size_t edits = 1 + rng.Below(4);
    for (size_t e = 0; e < edits && !block.empty(); ++e) {
        switch (rng.Below(5)) {
        case 0:
        case 1: {
            const size_t field = fields.empty() ? 0 : fields[rng.Below(fields.size())];
            if (fields.empty() || field + 4 > block.size()) {
                break;
            }
            uint32_t old = 0;
            std::memcpy(&old, block.data() + field, 4);
            const uint32_t values[] = {0, 1, 3, 4, 8, 23, 24, 40, 63, 64, 88, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF,
                                       0xFFFFFFFE, size, size - 1, size + 1, old + 1, old - 1, old + 8, old - 8,
                                       old * 2, static_cast<uint32_t>(rng.Next()), rng.Below(size + 1)};
            PatchBlock(block, field, rng.Pick(values));
            break;
        }
        case 2:
            block[rng.Below(block.size())] ^= static_cast<uint8_t>(1u << rng.Below(8));
            break;
        case 3:
            block[rng.Below(block.size())] = static_cast<uint8_t>(rng.Next());
            break;
        default:
            block.resize(rng.Below(block.size()));
            break;
        }
    }
}

struct Query {
    uint32_t object;
    uint32_t counter;
    std::wstring name;
    bool nullName;
};

Query RandomQuery(FuzzRng& rng, const PerfBlockPlan& plan) {
    Query query{rng.Pick(kTitles), rng.Pick(kTitles), HostileWide(rng), rng.OneIn(20)};
    if (plan.objects.empty() || rng.OneIn(10)) {
        return query;
    }
    const PerfObjectPlan& object = plan.objects[rng.Below(plan.objects.size())];
    query.object = object.titleIndex;
    if (!object.counters.empty()) {
        query.counter = object.counters[rng.Below(object.counters.size())].titleIndex;
    }
    if (!object.instances.empty() && !rng.OneIn(5)) {
        const PerfInstancePlan& instance = object.instances[rng.Below(object.instances.size())];
        query.name = object.codePage == 0 ? instance.name : std::wstring(instance.ansiName.begin(), instance.ansiName.end());
        if (rng.OneIn(4)) {
            query.name = L"parent/" + query.name;
        }
        if (rng.OneIn(4)) {
            query.name += L"#" + std::to_wstring(static_cast<int>(rng.Below(4)) - 1);
        }
    }
    return query;
}

// A plan the fixtures have no builder for: one adapter with parents, fractions
// with their bases and a multi counter.
PerfBlockPlan FixturePlan() {
    PerfBlockPlan plan = NetworkInterfaceBlock({{L"Fast Ethernet (PCI/2)", 1, 2, 3, 4}, {L"Loopback #1", 5, 6, 7, 8}},
                                               1000, 10);
    PerfObjectPlan child;
    child.titleIndex = 230;
    child.codePage = 1252;
    child.counters = {{1, PERF_RAW_FRACTION}, {2, PERF_RAW_BASE}, {3, PERF_100NSEC_MULTI_TIMER},
                      {4, PERF_LARGE_RAW_FRACTION}, {5, PERF_LARGE_RAW_BASE}};
    for (uint32_t i = 0; i < 4; ++i) {
        PerfInstancePlan instance;
        instance.ansiName = "thread" + std::to_string(i);
        instance.parentObject = 510;
        instance.parentInstance = i % 2;
        instance.values = {{10, 0}, {20, 0}, {30, 7}, {40, 0}, {50, 0}};
        child.instances.push_back(instance);
    }
    plan.objects.push_back(child);
    return plan;
}

void CheckKnownValue(FuzzRng& rng, const PerfBlockPlan& plan, PerfBlock block) {
    const size_t o = rng.Below(plan.objects.size());
    const PerfObjectPlan& object = plan.objects[o];
    if (object.instances.empty() || object.counters.empty()) {
        return;
    }
    const size_t i = rng.Below(object.instances.size());
    const size_t c = rng.Below(object.counters.size());
    const PerfInstancePlan& instance = object.instances[i];
    const uint32_t type = object.counters[c].type;
    if (instance.parentObject != 0 || (type != PERF_COUNTER_LARGE_RAWCOUNT && type != PERF_COUNTER_RAWCOUNT &&
                                       type != PERF_COUNTER_BULK_COUNT && type != PERF_COUNTER_COUNTER)) {
        return;
    }
    RawCounterSample sample{};
    if (!ReadCounterSample(block, object.titleIndex, object.counters[c].titleIndex, instance.name.c_str(), &sample) ||
        sample.data != AsRead(type, instance.values[c].value) || sample.counterType != type) {
        Finding("a valid block did not read its known value");
    }
}

// The sampler reads its four counters in one pass: it must read exactly what
// four separate reads of the same instance read.
void CheckOnePass(PerfBlock block, const Query (&queries)[4]) {
    const Query& first = queries[0];
    const wchar_t* name = first.nullName ? nullptr : first.name.c_str();
    RawCounterSample separate[4] = {};
    RawCounterSample together[4] = {};
    CounterRequest requests[4];
    for (int q = 0; q < 4; ++q) {
        requests[q] = CounterRequest{queries[q].counter, &together[q], false};
    }
    ReadCounterSamples(block, first.object, name, requests, 4);
    for (int q = 0; q < 4; ++q) {
        const bool read = ReadCounterSample(block, first.object, queries[q].counter, name, &separate[q]);
        if (read != requests[q].read || std::memcmp(&separate[q], &together[q], sizeof separate[q]) != 0) {
            Finding("one pass over four counters read otherwise than four reads");
        }
    }
}

void Run(uint64_t seed, uint64_t first, uint64_t count) {
    GuardedArena arena(4u << 20);
    const PerfBlockPlan realistic = RealisticNetworkInterfaceBlock();
    const PerfBlockPlan fixture = FixturePlan();
    for (uint64_t index = first; index < first + count; ++index) {
        FuzzRng rng = InputRng(seed, index);
        const unsigned kind = rng.Below(8);
        const bool clean = kind >= 4 && kind < 6;
        const PerfBlockPlan plan = kind == 0 ? realistic : kind == 1 ? fixture : GeneratedPlan(rng, clean);
        PerfBlockLayout layout;
        std::vector<uint8_t> bytes = BuildPerfBlock(plan, &layout);
        const bool mutated = !rng.OneIn(8);
        if (mutated) {
            Mutate(rng, bytes, layout);
        }
        const uint8_t* data = rng.OneIn(2) ? arena.AtEnd(bytes.data(), bytes.size())
                                           : arena.AtStart(bytes.data(), bytes.size());
        BeginInput(index, data, bytes.size());
        const PerfBlock block{data, bytes.size()};
        if (!mutated && (kind == 0 || clean)) {
            CheckKnownValue(rng, plan, block);
        }
        Query queries[4];
        for (Query& query : queries) {
            query = RandomQuery(rng, plan);
            RawCounterSample sample{};
            ReadCounterSample(block, query.object, query.counter, query.nullName ? nullptr : query.name.c_str(),
                              &sample);
        }
        CheckOnePass(block, queries);
    }
}

}  // namespace

const FuzzTarget kPerfReaderTarget{"perf_reader", Run};
