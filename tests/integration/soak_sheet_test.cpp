// Five hundred open-OK cycles of the settings sheet with every page shown:
// private bytes and the process's handles must come back to where they were.
#include "sheet_fixture.h"

#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace vantrel_test {
namespace {

struct ProcessUse {
    SIZE_T privateBytes;
    ULONG handles;
};

struct SystemHandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    void* object;
    ULONG access;
};

// The process's handles as the system lists them (Wine answers
// GetProcessHandleCount with 0, but lists every handle here).
ULONG CountProcessHandles() {
    using QueryFn = LONG(WINAPI*)(int, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<uint8_t> buffer(1 << 20);
    ULONG needed = 0;
    while (query && query(16, buffer.data(), static_cast<ULONG>(buffer.size()), &needed) == LONG(0xC0000004)) {
        buffer.resize(buffer.size() * 2);
    }
    ULONG count = 0;
    std::memcpy(&count, buffer.data(), sizeof count);
    const auto* entries = reinterpret_cast<const SystemHandleEntry*>(buffer.data() + sizeof(void*));
    ULONG own = 0;
    for (ULONG i = 0; i < count && sizeof(void*) + (i + 1) * sizeof(SystemHandleEntry) <= buffer.size(); ++i) {
        own += entries[i].ownerPid == GetCurrentProcessId();
    }
    return own;
}

ProcessUse MeasureProcess() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return {counters.PagefileUsage, CountProcessHandles()};
}

using SoakSheetTest = SheetTest;

TEST_F(SoakSheetTest, FiveHundredOpenOkCyclesLeakNothing) {
    constexpr int kWarmUp = 20;
    constexpr int kCycles = 500;
    Icon& icon = CreateConfiguredIcon("DockletData=27\r\n");
    auto cycles = [&](int count) {
        for (int i = 0; i < count; ++i) {
            Configure(icon, [&](HWND sheet) {
                for (int index = kIcon; index <= kGraph; ++index) {
                    testdock::ShowSheetPage(sheet, index);
                }
                testdock::PressOk(sheet);
            });
            // The dock's own records grow with every call.
            std::vector<testdock::Event>().swap(icon.events);
            std::vector<testdock::Event>().swap(dock->looseEvents);
            Hooks().ClearLog();
        }
    };
    cycles(kWarmUp);
    const ProcessUse before = MeasureProcess();
    cycles(kCycles);
    const ProcessUse after = MeasureProcess();
    std::printf("sheet soak: %d open-OK cycles, every page shown: private bytes %.2f MiB -> %.2f MiB, "
                "process handles %lu -> %lu\n",
                kCycles, before.privateBytes / 1048576.0, after.privateBytes / 1048576.0, before.handles,
                after.handles);
    // A leaked preview bitmap per cycle alone would be 500 x 256 KiB.
    EXPECT_LT(after.privateBytes, before.privateBytes + 1048576);
    EXPECT_GT(before.handles, 0u) << "no handle count to compare";
    EXPECT_LE(after.handles, before.handles + 4);
}

}  // namespace
}  // namespace vantrel_test
