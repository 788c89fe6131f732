// Many fast and slow ticks (VANTREL_SOAK_REFRESHES, ten thousand by default)
// while the settings change the ways a user and the system change them: image
// set and font, graphs, readings and address, the adapter going away and coming
// back. After the warm-up the dock's image count, the module's heap blocks, the
// process's handles, GDI and USER objects must stay where they were, and its
// private bytes must not grow as a leak grows.
#include "refresh_fixture.h"
#include "soak_windows.h"

#include <cstdio>
#include <functional>
#include <iterator>

namespace vantrel_test {
namespace {

using SoakTest = RefreshTest;

// Ticks after each change, the last one slow, so that every state meets a slow
// tick; the whole cycle fits in the warm-up of a short soak.
constexpr int kPhase = 12;

TEST_F(SoakTest, RefreshesLeakNothingWhileSettingsChange) {
    const int kRefreshes = testdock::SoakCount("VANTREL_SOAK_REFRESHES", 10000);
    // The first refreshes make the one-time allocations of GDI+ and Wine; in a
    // short soak they take up half of it. Each window spans whole cycles of
    // changes, so that both end in the same state.
    const int warmUp = std::min(1000, kRefreshes / 2);
    constexpr int kCycleTicks = kPhase * 8;
    const int window = std::max(1, (kRefreshes - warmUp) / 2 / kCycleTicks) * kCycleTicks;
    char full[MAX_PATH];
    GetFullPathNameA("..\\dist\\", MAX_PATH, full, nullptr);
    dock->rootFolder = full;
    dock->relativeFolder = "VantrelDocklet\\";

    // Counters rise every tick, so both pictures and all readings are drawn.
    const std::wstring name(Adapter().description.begin(), Adapter().description.end());
    bool present = true;
    auto serve = [&](int tick) {
        std::vector<AdapterCounters> counters;
        if (present) counters.push_back({name, 3000ull * tick, 2000ull * tick, 1000ull * tick, 100000000});
        perf.Serve(BuildPerfBlock(NetworkInterfaceBlock(counters, tick * kPerfFreq, kPerfFreq)));
    };
    serve(0);
    Icon& icon = CreateConfiguredIcon("DockletData=31\r\n");
    const std::string ini = scratch->File("dock.ini");
    // What the menu cannot change is saved, edited in the file and loaded again.
    auto reload = [&](const char* images, const char* font, const char* size) {
        dock->Save(icon, ini.c_str(), "Icon", false);
        WritePrivateProfileStringA("Icon", "ImagesFolder", images, ini.c_str());
        WritePrivateProfileStringA("Icon", "FontName", font, ini.c_str());
        WritePrivateProfileStringA("Icon", "FontSize", size, ini.c_str());
        dock->Recreate(icon, ini.c_str(), "Icon");
    };
    auto choose = [&](std::vector<UINT> ids) {
        for (UINT id : ids) {
            Hooks().trackPopupMenu = [id](const testdock::MenuCall&) { return id; };
            dock->RightClick(icon);
        }
        Hooks().trackPopupMenu = nullptr;
    };
    auto setPresent = [&](bool now) { present = Adapter().inInfoList = Adapter().inAddressesList = now; };
    const std::function<void()> cycle[] = {
        [&] { reload("mono", "Tahoma", "22"); },         [&] { setPresent(false); },
        [&] { setPresent(true); },                       [&] { choose({12}); },  // graphs off
        [&] { choose({6, 7, 8, 9}); },                   // readings and address off
        [&] { reload("icons", "Courier New", "28"); },  // a family a bare prefix lacks
        [&] { choose({6, 7, 8, 9, 12}); },               [&] { reload("icons", "Tahoma", "34"); },
    };

    // The dock's own records grow with every call; they are read and dropped at
    // every change, so that what remains is the module's.
    int overlaysSeen = 0, monoImages = 0, downImages = 0, peakLiveOverlays = 0;
    auto forgetRecords = [&] {
        overlaysSeen += icon.Count(EventKind::Overlay);
        for (const testdock::Event* event : icon.EventsOf(EventKind::ImageFile)) {
            monoImages += event->text.find("\\mono\\") != std::string::npos;
            downImages += event->text.find("\\na.png") != std::string::npos;
        }
        std::vector<testdock::Event>().swap(icon.events);
        Hooks().ClearLog();
    };
    testdock::SoakMeter meter;
    meter.Report("soak: tick", 0, testdock::Counters().Live());
    int imagesBefore = 0;
    const int total = warmUp + 2 * window;
    const SoakWindows windows = RunSoakWindows("soak, refreshes", warmUp, window, [&](int tick) {
        if (tick == warmUp) {
            imagesBefore = testdock::Counters().Live();
        }
        if (tick % kPhase == 0) {
            forgetRecords();
            cycle[tick / kPhase % std::size(cycle)]();
        }
        serve(tick + 1);
        dock->Tick(icon, tick % kPhase == kPhase - 1 ? kSlowTimer : kFastTimer);
        peakLiveOverlays = std::max(peakLiveOverlays, testdock::Counters().LiveOverlays());
        const int done = tick + 1;
        if (done % std::max(1, total / 10) == 0 || done == total) {
            meter.Report("soak: tick", done, testdock::Counters().Live());
        }
    });
    const int liveAtEnd = testdock::Counters().Live();
    forgetRecords();
    dock->Destroy(icon);
    const testdock::ImageCounters& images = testdock::Counters();

    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(dock->Module(), module, MAX_PATH);
    std::printf("soak: module %ls\nsoak: %d refreshes, %d overlays handed over, peak %d held by the dock; "
                "after destroy %d dock images live, deleted twice %d\n"
                "soak: %s dock: pictures made %d, given back %d; overlays received %d, dropped %d\n",
                module, total, overlaysSeen, peakLiveOverlays, images.Live(), images.deletedTwice,
                dock->mode.images == testdock::ImageFamily::Flat ? "flat" : "MSVC", images.created, images.deleted,
                images.overlaysReceived, images.overlaysDeleted);

    // The changes took: the other image set was shown, the missing adapter seen.
    EXPECT_TRUE(monoImages > 0 && downImages > 0) << monoImages << " " << downImages;
    EXPECT_GE(overlaysSeen, total / 2);
    EXPECT_LE(peakLiveOverlays, 1);
    EXPECT_EQ(liveAtEnd, imagesBefore) << "the two activity pictures, nothing more";
    EXPECT_EQ(images.Live(), 0);
    EXPECT_EQ(images.LiveOverlays(), 0);
    EXPECT_EQ(images.deletedTwice, 0);
    EXPECT_EQ(images.malformedOverlays, 0);
    ExpectNoLeak(windows);
}

}  // namespace
}  // namespace vantrel_test
