#include "measure/perf_block_walk.h"

#include <algorithm>
#include <cwchar>

namespace {

using OwnName = wchar_t[kMaxOwnNameLength + 1];

// The name stored with the instance: UTF-16 for code page 0, else 8-bit text
// in that code page. The name must lie inside the instance definition.
bool ReadOwnName(PerfBlock block, const PerfInstance& instance, uint32_t codePage, OwnName& name) noexcept {
    const PERF_INSTANCE_DEFINITION& header = instance.header;
    name[0] = L'\0';
    if (header.NameOffset < sizeof(PERF_INSTANCE_DEFINITION) ||
        !Fits(header.NameOffset, header.NameLength, header.ByteLength)) {
        return false;
    }
    const uint8_t* bytes = block.data + instance.offset + header.NameOffset;
    if (codePage != 0) {
        return ConvertAnsiName(codePage, bytes, header.NameLength, name);
    }
    const size_t count = std::min<size_t>(header.NameLength / sizeof(wchar_t), kMaxOwnNameLength);
    std::memcpy(name, bytes, count * sizeof(wchar_t));
    name[count] = L'\0';
    return true;
}

void Append(InstanceName* name, const wchar_t* text) noexcept {
    for (; *text && name->length < kMaxFullNameLength; ++text) {
        name->text[name->length++] = *text;
    }
    name->text[name->length] = L'\0';
}

wchar_t FoldAscii(wchar_t c) noexcept {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// _wcsnicmp(a, b, count) == 0, without the runtime's locale-aware call for the
// plain ASCII names nearly every instance has: that call dominated the search.
bool EqualIgnoringCase(const wchar_t* a, const wchar_t* b, size_t count) noexcept {
    for (size_t i = 0; i < count; ++i) {
        if (a[i] == b[i]) {
            if (a[i] == L'\0') {
                return true;
            }
            continue;
        }
        if (a[i] >= 0x80 || b[i] >= 0x80) {
            return _wcsnicmp(a + i, b + i, count - i) == 0;
        }
        if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

int ParseInstanceSerial(const wchar_t* name) noexcept {
    const wchar_t* hash = name ? std::wcschr(name, L'#') : nullptr;
    return hash ? _wtoi(hash + 1) : 0;
}

bool ConvertAnsiName(uint32_t codePage, const uint8_t* bytes, size_t byteLength,
                     wchar_t (&name)[kMaxOwnNameLength + 1]) noexcept {
    const int inputLength = static_cast<int>(std::min<size_t>(byteLength, 2 * kMaxOwnNameLength));
    const int written = MultiByteToWideChar(codePage, 0, reinterpret_cast<const char*>(bytes), inputLength, name,
                                            static_cast<int>(kMaxOwnNameLength));
    if (written <= 0) {
        name[0] = L'\0';
        return false;
    }
    name[written] = L'\0';
    return true;
}

bool BuildFullInstanceName(PerfBlock block, const PerfInstance& instance, uint32_t codePage, InstanceName* name,
                           WalkBudget* budget) noexcept {
    name->length = 0;
    name->text[0] = L'\0';
    OwnName own;
    if (!ReadOwnName(block, instance, codePage, own)) {
        return false;
    }
    const DWORD parentIndex = instance.header.ParentObjectTitleIndex;
    if (parentIndex != 0) {
        // Only the parent's own name is taken, so an instance that names itself
        // as its parent cannot recurse. It is stored in the parent object's code
        // page, which need not be the child's.
        const auto parentObject = FindPerfObject(block, parentIndex, budget);
        if (!parentObject) {
            return false;
        }
        const auto parent = InstanceAtPosition(block, *parentObject, instance.header.ParentObjectInstance, budget);
        OwnName parentName;
        if (!parent || !ReadOwnName(block, *parent, parentObject->header.CodePage, parentName)) {
            return false;
        }
        Append(name, parentName);
        Append(name, L"/");
    }
    Append(name, own);
    return true;
}

std::optional<PerfInstance> FindInstanceByName(PerfBlock block, const PerfObject& object, const wchar_t* name,
                                               WalkBudget* budget) noexcept {
    if (!name) {
        return std::nullopt;
    }
    const int64_t serial = ParseInstanceSerial(name);
    const size_t wantedLength = std::wcslen(name);
    int64_t matches = 0;
    std::optional<PerfInstance> instance;
    for (LONG position = 0; position < object.header.NumInstances; ++position) {
        if (!budget->Spend()) {
            return std::nullopt;
        }
        instance = position == 0 ? FirstInstance(block, object) : NextInstance(block, object, *instance);
        if (!instance) {
            return std::nullopt;
        }
        InstanceName full;
        if (!BuildFullInstanceName(block, *instance, object.header.CodePage, &full, budget)) {
            continue;
        }
        // The instance's full name must be a case-insensitive prefix of the wanted one.
        if (full.length > wantedLength || !EqualIgnoringCase(full.text, name, full.length)) {
            continue;
        }
        ++matches;
        if (serial == 0 || matches == serial + 1) {
            return instance;
        }
    }
    return std::nullopt;
}
