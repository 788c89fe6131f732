// What keeping the usage totals costs, on the module beside the program (the
// shipped one in the i686 build): a plain fast tick with the Today label, a
// tick that writes to the database, and the database's size after a simulated
// year of one adapter (a write every 15 minutes, every bucket used).
#include "served_system.h"
#include "support/perf_block_builder.h"
#include "test_dock.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

constexpr UINT_PTR kFastTimer = 123225;
constexpr uint64_t kSecond = 10000000;
constexpr int kTicks = 400;

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main() {
    testdock::SystemHooks& hooks = testdock::Hooks();
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"vantrel-usage-bench-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    hooks.localAppData = folder;
    hooks.systemTime = 134000000000000000ull;  // in 2025
    hooks.uptimeMs = 3600000;

    testdock::AdapterServer adapters;
    adapters.adapters.push_back(testdock::AdapterPlan{});
    adapters.Install(hooks);
    const std::wstring name(adapters.adapters[0].description.begin(), adapters.adapters[0].description.end());
    uint64_t received = 1000000;
    int64_t perfTime = 0;
    hooks.regQueryValue = [&](HKEY, const wchar_t*, DWORD*, BYTE* data, DWORD* size) -> LSTATUS {
        received += 1234567;
        perfTime += kSecond;
        const std::vector<uint8_t> block = BuildPerfBlock(
            NetworkInterfaceBlock({{name, received * 2, received, received, 100000000}}, perfTime, kSecond));
        if (*size < block.size()) {
            *size = static_cast<DWORD>(block.size());
            return ERROR_MORE_DATA;
        }
        std::memcpy(data, block.data(), block.size());
        *size = static_cast<DWORD>(block.size());
        return ERROR_SUCCESS;
    };

    const std::string ini = std::string(std::filesystem::path(folder + L"\\bench.ini").string());
    WritePrivateProfileStringA("Bench", "InterfaceDescription", adapters.adapters[0].description.c_str(), ini.c_str());
    WritePrivateProfileStringA("Bench", "GUID", adapters.adapters[0].guid.c_str(), ini.c_str());
    WritePrivateProfileStringA("Bench", "LabelData", "128", ini.c_str());
    int result = 0;
    {
        testdock::TestDock dock;
        if (!dock.Loaded()) {
            std::printf("cannot load VantrelDocklet.dll\n");
            return 1;
        }
        testdock::Icon& icon = dock.CreateIcon(ini.c_str(), "Bench");
        double start = Now();
        for (int tick = 0; tick < kTicks; ++tick) {
            dock.Tick(icon, kFastTimer);
        }
        const double plain = (Now() - start) / kTicks;
        start = Now();
        for (int tick = 0; tick < kTicks; ++tick) {
            *hooks.systemTime += 61 * kSecond;
            dock.Tick(icon, kFastTimer);
        }
        const double writing = (Now() - start) / kTicks;
        std::printf("plain fast tick, usage on  %8.1f us (%d ticks, label \"%s\")\n", plain, kTicks, icon.label.c_str());
        std::printf("fast tick with a write     %8.1f us: a write and the read after it cost %.1f us\n", writing,
                    writing - plain);

        // A year of one adapter, a write every 15 minutes.
        constexpr int kYear = 365 * 96;
        start = Now();
        for (int tick = 0; tick < kYear; ++tick) {
            *hooks.systemTime += 15 * 60 * kSecond;
            dock.Tick(icon, kFastTimer);
        }
        const double seconds = (Now() - start) / 1e6;
        dock.Destroy(icon);
        std::error_code error;
        const auto bytes = std::filesystem::file_size(folder + L"\\Vantrel Docklet\\usage.db", error);
        std::printf("a simulated year (%d writes, %.1f s): usage.db holds %.1f KB (label \"%s\")\n", kYear, seconds,
                    error ? -1.0 : static_cast<double>(bytes) / 1024.0, icon.label.c_str());
        result = error ? 1 : 0;
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return result;
}
