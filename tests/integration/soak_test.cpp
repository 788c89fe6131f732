// Many refreshes (VANTREL_SOAK_REFRESHES, ten thousand by default): the dock's
// image count, the process's GDI and USER objects and its memory must come
// back to where they were.
#include "process_use.h"
#include "refresh_fixture.h"

#include <cstdio>

namespace vantrel_test {
namespace {

using testdock::MeasureProcess;
using testdock::ProcessUse;
using SoakTest = RefreshTest;

TEST_F(SoakTest, RefreshesLeakNothing) {
    const int kRefreshes = testdock::SoakCount("VANTREL_SOAK_REFRESHES", 10000);
    // The first refreshes make the one-time allocations of GDI+ and Wine; in a
    // short soak they take up half of it.
    const int warmUp = std::min(1000, kRefreshes / 2);
    char full[MAX_PATH];
    GetFullPathNameA("..\\dist\\", MAX_PATH, full, nullptr);
    dock->rootFolder = full;
    dock->relativeFolder = "VantrelDocklet\\";

    // Counters rise every tick, so both pictures and all readings are drawn.
    std::wstring name(Adapter().description.begin(), Adapter().description.end());
    for (int tick = 0; tick <= kRefreshes + 1; ++tick) {
        AdapterCounters counters{name, 3000ull * tick, 2000ull * tick, 1000ull * tick, 100000000};
        perf.Push(BuildPerfBlock(NetworkInterfaceBlock({counters}, tick * kPerfFreq, kPerfFreq)));
    }
    Icon& icon = CreateConfiguredIcon("DockletData=31\r\n");

    // The dock's own records grow with every call; they are dropped as the
    // test goes, so that what remains is the module's.
    auto forgetRecords = [&] {
        std::vector<testdock::Event>().swap(icon.events);
        Hooks().ClearLog();
        Hooks().timerCalls.shrink_to_fit();
        Hooks().registryQueries.shrink_to_fit();
        Hooks().hostLookups.shrink_to_fit();
    };
    int overlaysSeen = 0;
    int peakLiveOverlays = 0;
    auto refresh = [&](int from, int to) {
        for (int tick = from; tick < to; ++tick) {
            dock->Tick(icon, tick % 30 == 29 ? kSlowTimer : kFastTimer);
            peakLiveOverlays = std::max(peakLiveOverlays, testdock::Counters().LiveOverlays());
            if (tick % 500 == 499) {
                overlaysSeen += icon.Count(EventKind::Overlay);
                forgetRecords();
            }
        }
    };
    refresh(0, warmUp);
    const ProcessUse before = MeasureProcess();
    const testdock::ImageCounters imagesBefore = testdock::Counters();
    refresh(warmUp, kRefreshes);
    const ProcessUse after = MeasureProcess();
    const int liveAtEnd = testdock::Counters().Live();
    overlaysSeen += icon.Count(EventKind::Overlay);
    dock->Destroy(icon);
    const testdock::ImageCounters& images = testdock::Counters();

    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(dock->Module(), module, MAX_PATH);
    std::printf("soak: module %ls\n", module);
    std::printf("soak: %d refreshes, %d overlays handed over, peak %d held by the dock\n", kRefreshes, overlaysSeen,
                peakLiveOverlays);
    std::printf("soak: dock images live after %d refreshes %d, after %d %d, after destroy %d; deleted twice %d\n",
                warmUp, imagesBefore.Live(), kRefreshes, liveAtEnd, images.Live(), images.deletedTwice);
    testdock::PrintProcessUse("soak, after the warm-up to the end", before, after);

    EXPECT_GE(overlaysSeen, kRefreshes);
    EXPECT_LE(peakLiveOverlays, 1);
    EXPECT_EQ(liveAtEnd, imagesBefore.Live()) << "the two activity pictures, nothing more";
    EXPECT_EQ(images.Live(), 0);
    EXPECT_EQ(images.LiveOverlays(), 0);
    EXPECT_EQ(images.deletedTwice, 0);
    EXPECT_EQ(images.malformedOverlays, 0);
    EXPECT_LE(after.gdiObjects, before.gdiObjects + 2);
    EXPECT_LE(after.userObjects, before.userObjects + 2);
    // A leaked 256x256 bitmap is 256 KiB a refresh. 32-bit Wine's heap grows in
    // steps of about 2 MiB, which a short soak may just cross.
    EXPECT_LT(after.privateBytes, before.privateBytes + 4 * 1048576);
}

}  // namespace
}  // namespace vantrel_test
