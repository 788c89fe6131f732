// Whole fast ticks through the test dock against their floor, in one run.
//
// The floor is what no docklet can avoid: fetching the performance block,
// allocating a new 256x256 ARGB bitmap and handing it to the dock. A tick adds
// the four readings and figures, the label and the drawing. Both run over a
// realistic Network Interface block (64 instances x 30 counters) whose rates
// change every tick, with the shipped image set, for the default settings and
// for everything on (three readings, graphs, address, pictures). Last, the
// idle tick: everything on, a link that moves nothing, the graphs emptied.
#include "base/host_image.h"
#include "process_use.h"
#include "render/icon_cache.h"
#include "realistic_block.h"
#include "served_system.h"
#include "test_dock.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kTicks = 400;
constexpr UINT_PTR kFastTimer = 123225;

std::vector<uint8_t> RealisticBlockAt(int tick, bool idle) {
    PerfBlockPlan plan = RealisticNetworkInterfaceBlock();
    plan.perfFreq = 10000000;
    plan.perfTime = static_cast<int64_t>(tick) * plan.perfFreq;
    // Every counter grows by a different amount each tick, so each reading
    // changes; on an idle link none moves.
    const uint64_t moved =
        idle ? 0 : 150000u * static_cast<uint64_t>(tick) + (static_cast<uint64_t>(tick) * tick * 7919u) % 90000u;
    for (PerfObjectPlan& object : plan.objects) {
        object.perfFreq = plan.perfFreq;
        object.perfTime = plan.perfTime;
        for (PerfInstancePlan& instance : object.instances) {
            for (size_t i = 0; i < instance.values.size(); ++i) {
                instance.values[i].value += moved * (i % 3 + 1);
            }
        }
    }
    return BuildPerfBlock(plan);
}

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

std::string DistFolder() {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string folder(exe);
    folder.resize(folder.find_last_of('\\') + 1);
    char full[MAX_PATH];
    GetFullPathNameA((folder + "..\\..\\dist\\").c_str(), MAX_PATH, full, nullptr);
    return full;
}

struct Served {
    std::vector<std::vector<uint8_t>> blocks;
    size_t next = 0;

    LSTATUS Answer(BYTE* data, DWORD* size) {
        const std::vector<uint8_t>& block = blocks[next++ % blocks.size()];
        if (*size < block.size()) {
            return ERROR_MORE_DATA;
        }
        std::memcpy(data, block.data(), block.size());
        *size = static_cast<DWORD>(block.size());
        return ERROR_SUCCESS;
    }
};

// The floor, made the way the module makes it: the registry read into a
// buffer of the tick's size, a new bitmap, the dock's image around it.
double FloorMicroseconds(testdock::TestDock& dock, testdock::Icon& icon, Served& served) {
    const double start = Now();
    for (int tick = 0; tick < kTicks; ++tick) {
        DWORD size = 122880;
        auto* buffer = static_cast<BYTE*>(std::malloc(size));
        if (!buffer || served.Answer(buffer, &size) != ERROR_SUCCESS) {
            std::free(buffer);
            return -1.0;
        }
        std::free(buffer);
        GpBitmap* bitmap = nullptr;
        if (GdipCreateBitmapFromScan0(256, 256, 0, PixelFormat32bppARGB, nullptr, &bitmap) != Gdiplus::Ok) {
            return -1.0;
        }
        dock.OnSetImageOverlay(icon.hwnd, reinterpret_cast<testdock::MsvcImageLayout*>(WrapBitmapForHost(bitmap)),
                               TRUE);
    }
    return (Now() - start) / kTicks;
}

double TickMicroseconds(testdock::TestDock& dock, testdock::Icon& icon, int warmUp = 20) {
    for (int tick = 0; tick < warmUp; ++tick) {
        dock.Tick(icon, kFastTimer);
    }
    const double start = Now();
    for (int tick = 0; tick < kTicks; ++tick) {
        dock.Tick(icon, kFastTimer);
    }
    return (Now() - start) / kTicks;
}

}  // namespace

int main() {
    // Going back in time at the end of a round gives an empty interval, as
    // the idle link's zero readings do.
    Served served, idle;
    for (int tick = 0; tick < 64; ++tick) {
        served.blocks.push_back(RealisticBlockAt(tick, false));
        idle.blocks.push_back(RealisticBlockAt(tick, true));
    }
    Served* serving = &served;
    testdock::Hooks().regQueryValue = [&](HKEY, const wchar_t*, DWORD*, BYTE* data, DWORD* size) -> LSTATUS {
        return serving->Answer(data, size);
    };
    testdock::AdapterServer adapters;
    adapters.adapters.push_back(testdock::AdapterPlan{});
    adapters.adapters[0].description = "Gigabit Network Connection (PCIe) 63";
    adapters.Install(testdock::Hooks());

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string ini = std::string(temp) + "vantrel-tick-bench.ini";
    testdock::TestDock dock;
    if (!dock.Loaded()) {
        std::printf("cannot load VantrelDocklet.dll\n");
        return 1;
    }
    dock.rootFolder = DistFolder();
    dock.relativeFolder = "VantrelDocklet\\";

    struct Case {
        const char* name;
        const char* dockletData;
    };
    const Case cases[] = {{"default settings", "11"}, {"everything on", "31"}};
    bool ok = true;
    for (const Case& c : cases) {
        WritePrivateProfileStringA("Bench", "InterfaceDescription", adapters.adapters[0].description.c_str(),
                                   ini.c_str());
        WritePrivateProfileStringA("Bench", "GUID", adapters.adapters[0].guid.c_str(), ini.c_str());
        WritePrivateProfileStringA("Bench", "DockletData", c.dockletData, ini.c_str());
        testdock::Icon& icon = dock.CreateIcon(ini.c_str(), "Bench");
        const double tick = TickMicroseconds(dock, icon);
        const double floor = FloorMicroseconds(dock, icon, served);
        const bool drawn = icon.overlay != nullptr && !icon.label.empty();
        std::printf("%-17s floor %7.1f us, whole fast tick %7.1f us, ratio %.2f (%d ticks, label \"%s\")\n", c.name,
                    floor, tick, tick / floor, kTicks, icon.label.c_str());
        ok = ok && drawn && floor > 0.0;
        std::vector<testdock::Event>().swap(icon.events);
        testdock::Hooks().ClearLog();
        dock.Destroy(icon);
    }
    {
        serving = &idle;
        WritePrivateProfileStringA("Bench", "DockletData", "31", ini.c_str());
        testdock::Icon& icon = dock.CreateIcon(ini.c_str(), "Bench");
        for (int tick = 0; tick < kHistoryCapacity + 20; ++tick) {
            dock.Tick(icon, kFastTimer);
        }
        const int overlays = icon.Count(testdock::EventKind::Overlay);
        const int labels = icon.Count(testdock::EventKind::Label);
        const double tick = TickMicroseconds(dock, icon, 0);
        serving = &served;
        const double floor = FloorMicroseconds(dock, icon, served);
        // The floor's own overlays are handed over through the dock directly.
        const int handed = icon.Count(testdock::EventKind::Overlay) - overlays - kTicks;
        std::printf("idle, all on      floor %7.1f us, idle fast tick  %7.1f us, ratio %.2f (%d ticks after %d to "
                    "empty the graphs; %d overlays and %d labels handed over, label \"%s\")\n",
                    floor, tick, tick / floor, kTicks, kHistoryCapacity + 20, handed,
                    icon.Count(testdock::EventKind::Label) - labels, icon.label.c_str());
        ok = ok && floor > 0.0;
        std::vector<testdock::Event>().swap(icon.events);
        dock.Destroy(icon);
    }
    // What icons cost while they tick: eight icons with everything on, each
    // with its cache filled by a hundred ticks.
    constexpr int kIcons = 8;
    const testdock::ProcessUse before = testdock::MeasureProcess();
    std::vector<testdock::Icon*> icons;
    for (int i = 0; i < kIcons; ++i) {
        icons.push_back(&dock.CreateIcon(ini.c_str(), "Bench"));
    }
    for (int tick = 0; tick < 100; ++tick) {
        for (testdock::Icon* icon : icons) {
            dock.Tick(*icon, kFastTimer);
        }
    }
    const testdock::ProcessUse after = testdock::MeasureProcess();
    std::printf("memory: %.0f KiB of private bytes per ticking icon (everything on, %d icons); the icon's cache "
                "holds at most %d layers of %d KiB and %d text outlines\n",
                static_cast<double>(after.privateBytes - before.privateBytes) / 1024.0 / kIcons, kIcons,
                kCachedLayerCount, kLayerSize * kLayerSize * 4 / 1024, kCachedTextCount);
    for (testdock::Icon* icon : icons) {
        std::vector<testdock::Event>().swap(icon->events);
        dock.Destroy(*icon);
    }
    DeleteFileA(ini.c_str());
    return ok ? 0 : 1;
}
