#include "live_system.h"

#include "support/perf_block_builder.h"

#include <netioapi.h>

#include <cstring>
#include <cwchar>
#include <memory>

namespace testdock {
namespace {

std::wstring CounterInstanceName(std::wstring name) {
    for (wchar_t& c : name) {
        if (c == L'(') {
            c = L'[';
        } else if (c == L')') {
            c = L']';
        } else if (c == L'/' || c == L'#') {
            c = L'_';
        }
    }
    return name;
}

struct IfTableDeleter {
    void operator()(MIB_IF_TABLE2* table) const { FreeMibTable(table); }
};

struct HeapDeleter {
    void operator()(void* block) const { std::free(block); }
};

}  // namespace

std::vector<uint8_t> BuildLiveNetworkInterfaceBlock() {
    MIB_IF_TABLE2* raw = nullptr;
    std::vector<AdapterCounters> adapters;
    if (GetIfTable2(&raw) == NO_ERROR) {
        std::unique_ptr<MIB_IF_TABLE2, IfTableDeleter> table(raw);
        for (ULONG i = 0; i < table->NumEntries; ++i) {
            const MIB_IF_ROW2& row = table->Table[i];
            AdapterCounters counters;
            counters.name = CounterInstanceName(row.Description);
            counters.bytesReceived = row.InOctets;
            counters.bytesSent = row.OutOctets;
            counters.bytesTotal = row.InOctets + row.OutOctets;
            counters.bandwidth = row.TransmitLinkSpeed;
            adapters.push_back(counters);
        }
    }
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return BuildPerfBlock(NetworkInterfaceBlock(adapters, now.QuadPart, frequency.QuadPart));
}

void ServeLiveCounters(SystemHooks& hooks) {
    hooks.regQueryValue = [](HKEY key, const wchar_t*, DWORD*, BYTE* data, DWORD* size) -> LSTATUS {
        if (key != HKEY_PERFORMANCE_DATA || !size) {
            return ERROR_FILE_NOT_FOUND;
        }
        const std::vector<uint8_t> block = BuildLiveNetworkInterfaceBlock();
        if (*size < block.size()) {
            return ERROR_MORE_DATA;
        }
        std::memcpy(data, block.data(), block.size());
        *size = static_cast<DWORD>(block.size());
        return ERROR_SUCCESS;
    };
}

std::vector<LiveAdapter> ListLiveAdapters() {
    std::vector<LiveAdapter> adapters;
    ULONG size = 16384;
    std::unique_ptr<void, HeapDeleter> buffer(std::malloc(size));
    ULONG result = GetAdaptersAddresses(AF_UNSPEC, GAA_FLAG_INCLUDE_PREFIX, nullptr,
                                        static_cast<IP_ADAPTER_ADDRESSES*>(buffer.get()), &size);
    if (result == ERROR_BUFFER_OVERFLOW) {
        buffer.reset(std::malloc(size));
        result = GetAdaptersAddresses(AF_UNSPEC, GAA_FLAG_INCLUDE_PREFIX, nullptr,
                                      static_cast<IP_ADAPTER_ADDRESSES*>(buffer.get()), &size);
    }
    if (result != NO_ERROR || !buffer) {
        return adapters;
    }
    for (auto* entry = static_cast<IP_ADAPTER_ADDRESSES*>(buffer.get()); entry; entry = entry->Next) {
        adapters.push_back({entry->Description ? entry->Description : L"", entry->AdapterName ? entry->AdapterName : "",
                            entry->FriendlyName ? entry->FriendlyName : L"", entry->OperStatus == IfOperStatusUp,
                            entry->IfType == IF_TYPE_SOFTWARE_LOOPBACK});
    }
    return adapters;
}

bool ChooseLiveAdapter(const std::wstring& choice, LiveAdapter* chosen) {
    const std::vector<LiveAdapter> adapters = ListLiveAdapters();
    if (choice == L"auto") {
        for (const LiveAdapter& adapter : adapters) {
            if (adapter.up && !adapter.loopback) {
                *chosen = adapter;
                return true;
            }
        }
        return false;
    }
    const int number = _wtoi(choice.c_str());
    if (number >= 1 && static_cast<size_t>(number) <= adapters.size()) {
        *chosen = adapters[static_cast<size_t>(number) - 1];
        return true;
    }
    for (const LiveAdapter& adapter : adapters) {
        if (_wcsicmp(adapter.description.c_str(), choice.c_str()) == 0 ||
            _wcsicmp(adapter.friendlyName.c_str(), choice.c_str()) == 0) {
            *chosen = adapter;
            return true;
        }
    }
    return false;
}

}  // namespace testdock
