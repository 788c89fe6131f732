// Time of whole fast ticks through the test dock: the registry fetch of a
// realistic Network Interface block (64 instances x 30 counters), the four
// readings and figures, the label, the icon composed and handed to the dock.
#include "served_system.h"
#include "realistic_block.h"
#include "test_dock.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kTicks = 300;
constexpr UINT_PTR kFastTimer = 123225;

std::vector<uint8_t> RealisticBlockAt(int tick) {
    PerfBlockPlan plan = RealisticNetworkInterfaceBlock();
    plan.perfFreq = 10000000;
    plan.perfTime = static_cast<int64_t>(tick) * plan.perfFreq;
    for (PerfObjectPlan& object : plan.objects) {
        object.perfFreq = plan.perfFreq;
        object.perfTime = plan.perfTime;
        for (PerfInstancePlan& instance : object.instances) {
            for (PerfValue& value : instance.values) {
                value.value += static_cast<uint64_t>(tick) * 150000u;
            }
        }
    }
    return BuildPerfBlock(plan);
}

double Seconds(const LARGE_INTEGER& start, const LARGE_INTEGER& stop) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(stop.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main() {
    std::vector<std::vector<uint8_t>> blocks;
    for (int tick = 0; tick <= kTicks + 2; ++tick) {
        blocks.push_back(RealisticBlockAt(tick));
    }
    size_t next = 0;
    testdock::Hooks().regQueryValue = [&](HKEY, const wchar_t*, DWORD*, BYTE* data, DWORD* size) -> LSTATUS {
        const std::vector<uint8_t>& block = blocks[next < blocks.size() ? next : blocks.size() - 1];
        if (*size < block.size()) {
            return ERROR_MORE_DATA;
        }
        std::memcpy(data, block.data(), block.size());
        *size = static_cast<DWORD>(block.size());
        ++next;
        return ERROR_SUCCESS;
    };
    testdock::AdapterServer adapters;
    adapters.adapters.push_back(testdock::AdapterPlan{});
    adapters.adapters[0].description = "Gigabit Network Connection (PCIe) 63";
    adapters.Install(testdock::Hooks());

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string ini = std::string(temp) + "vantrel-tick-bench.ini";
    WritePrivateProfileStringA("Bench", "InterfaceDescription", adapters.adapters[0].description.c_str(), ini.c_str());
    WritePrivateProfileStringA("Bench", "GUID", adapters.adapters[0].guid.c_str(), ini.c_str());
    WritePrivateProfileStringA("Bench", "DockletData", "31", ini.c_str());

    testdock::TestDock dock;
    if (!dock.Loaded()) {
        std::printf("cannot load VantrelDocklet.dll\n");
        return 1;
    }
    testdock::Icon& icon = dock.CreateIcon(ini.c_str(), "Bench");
    LARGE_INTEGER start, stop;
    QueryPerformanceCounter(&start);
    for (int tick = 0; tick < kTicks; ++tick) {
        dock.Tick(icon, kFastTimer);
    }
    QueryPerformanceCounter(&stop);
    std::printf("whole fast tick through the test dock (realistic block, all readings and graphs on): "
                "%.1f us per tick (%d ticks, label \"%s\")\n",
                Seconds(start, stop) * 1e6 / kTicks, kTicks, icon.label.c_str());
    dock.Destroy(icon);
    DeleteFileA(ini.c_str());
    return 0;
}
