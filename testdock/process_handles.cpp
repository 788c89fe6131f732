#include "process_handles.h"

#include <windows.h>

#include <vector>

namespace testdock {
namespace {

// SystemExtendedHandleInformation: a count, a reserved word, then one entry per handle.
constexpr ULONG kExtendedHandleInformation = 64;

struct HandleEntry {
    void* object;
    ULONG_PTR processId;
    ULONG_PTR handle;
    ULONG access;
    USHORT creatorBackTraceIndex;
    USHORT objectTypeIndex;
    ULONG attributes;
    ULONG reserved;
};

using QuerySystemInformation = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);

}  // namespace

size_t CountProcessHandles() {
    auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) {
        return 0;
    }
    std::vector<ULONG_PTR> table(1 << 16);
    for (;;) {
        ULONG needed = 0;
        if (query(kExtendedHandleInformation, table.data(), static_cast<ULONG>(table.size() * sizeof(ULONG_PTR)),
                  &needed) >= 0) {
            break;
        }
        if (table.size() >= (1u << 24)) {
            return 0;
        }
        table.resize(table.size() * 2);
    }
    const size_t entries = table[0];
    const auto* entry = reinterpret_cast<const HandleEntry*>(table.data() + 2);
    const size_t capacity = (table.size() - 2) * sizeof(ULONG_PTR) / sizeof(HandleEntry);
    size_t mine = 0;
    for (size_t i = 0; i < entries && i < capacity; ++i) {
        mine += entry[i].processId == GetCurrentProcessId();
    }
    return mine;
}

}  // namespace testdock
