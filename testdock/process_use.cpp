#include "process_use.h"

#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace testdock {
namespace {

// One row of the system handle table (information class 16). Windows keeps a
// 16-bit process id followed by a back-trace index where Wine keeps a 32-bit
// id, so only the low 16 bits are compared.
struct HandleRow {
    ULONG processId;
    UCHAR objectType;
    UCHAR flags;
    USHORT value;
    PVOID object;
    ACCESS_MASK access;
};

DWORD CountOwnHandles() {
    using QueryFn = NTSTATUS(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) {
        return 0;
    }
    std::vector<unsigned char> table(1 << 20);
    ULONG needed = 0;
    while (query(16, table.data(), static_cast<ULONG>(table.size()), &needed) != 0) {
        if (table.size() >= (1u << 28)) {
            return 0;
        }
        table.resize(table.size() * 2);
    }
    const ULONG rows = *reinterpret_cast<const ULONG*>(table.data());
    const auto* row = reinterpret_cast<const HandleRow*>(table.data() + sizeof(ULONG_PTR));
    DWORD own = 0;
    for (ULONG i = 0; i < rows; ++i) {
        own += (row[i].processId & 0xFFFF) == (GetCurrentProcessId() & 0xFFFF);
    }
    return own;
}

}  // namespace

ProcessUse MeasureProcess() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return {counters.PagefileUsage, CountOwnHandles(), GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
            GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)};
}

void PrintProcessUse(const char* what, const ProcessUse& before, const ProcessUse& after) {
    std::printf("%s: private bytes %.2f MiB -> %.2f MiB, handles %lu -> %lu, GDI objects %lu -> %lu, "
                "USER objects %lu -> %lu\n",
                what, before.privateBytes / 1048576.0, after.privateBytes / 1048576.0, before.handles, after.handles,
                before.gdiObjects, after.gdiObjects, before.userObjects, after.userObjects);
}

ProcessUse SoakMeter::Report(const char* what, int round, int dockImages) {
    const ProcessUse use = MeasureProcess();
    const DWORD now = GetTickCount();
    std::printf("%s %d: private bytes %.2f MiB, handles %lu, GDI objects %lu, USER objects %lu, dock images %d, "
                "%.1f ms a round\n",
                what, round, use.privateBytes / 1048576.0, use.handles, use.gdiObjects, use.userObjects, dockImages,
                static_cast<double>(now - lastTime_) / std::max(1, round - lastRound_));
    std::fflush(stdout);
    lastTime_ = now;
    lastRound_ = round;
    return use;
}

int SoakCount(const char* variable, int fallback) {
    char text[16] = {};
    const DWORD length = GetEnvironmentVariableA(variable, text, sizeof text);
    const int count = length > 0 && length < sizeof text ? std::atoi(text) : 0;
    return count > 0 ? count : fallback;
}

std::vector<HANDLE> ThreadsStartedIn(HMODULE module) {
    std::vector<HANDLE> found;
    MODULEINFO image{};
    using QueryFn = NTSTATUS(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationThread")));
    if (!query || !GetModuleInformation(GetCurrentProcess(), module, &image, sizeof image)) {
        return found;
    }
    const auto base = reinterpret_cast<ULONG_PTR>(image.lpBaseOfDll);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return found;
    }
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != GetCurrentProcessId()) {
            continue;
        }
        HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION | SYNCHRONIZE, FALSE, entry.th32ThreadID);
        ULONG_PTR start = 0;
        // Information class 9: the start address the thread was created with.
        if (thread && query(thread, 9, &start, sizeof start, nullptr) == 0 && start >= base &&
            start < base + image.SizeOfImage) {
            found.push_back(thread);
        } else if (thread) {
            CloseHandle(thread);
        }
    }
    CloseHandle(snapshot);
    return found;
}

bool WaitForThreads(std::vector<HANDLE>& threads, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    bool ended = true;
    for (HANDLE thread : threads) {
        const DWORD spent = GetTickCount() - start;
        ended = WaitForSingleObject(thread, spent < milliseconds ? milliseconds - spent : 0) == WAIT_OBJECT_0 && ended;
        CloseHandle(thread);
    }
    threads.clear();
    return ended;
}

}  // namespace testdock
