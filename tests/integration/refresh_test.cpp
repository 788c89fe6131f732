// The refresh cycle through the dock: labels, base images, the fast timer and
// overlays, with scripted adapters and counters.
#include "refresh_fixture.h"

#include "base/docklet_instance.h"

#include <cwchar>

namespace vantrel_test {
namespace {

const std::string kImages = "Docklets\\Vantrel\\icons\\";

// Default counter types: bytes as bulk counts at DefaultScale -4 (x 0.001),
// bandwidth as a large raw count at -6 (x 0.00001).
TEST_F(RefreshTest, EveryLabelFormat) {
    struct Case {
        uint32_t labelData;
        std::string label;
    };
    const Case cases[] = {
        {2, "Upload: 20.0K"},          {4, "Download: 1.5K"},   {8, "Total Transfer: 21.5K"},
        {16, "Bandwidth: 1000.0K"},    {32, "My Link"},         {64, "192.0.2.10"},
        {6, "Upload: 20.0K"},          {0, "Unknown Label Type"}, {128, "Unknown Label Type"},
        {24, "Total Transfer: 21.5K"}, {96, "My Link"},
    };
    for (const Case& c : cases) {
        ServeCounters(0, 1000, 2000);
        ServeCounters(1, 2500, 22000);
        Icon& icon = CreateConfiguredIcon("LabelData=" + std::to_string(c.labelData) + "\r\n");
        EXPECT_EQ(icon.label, c.label) << "LabelData " << c.labelData;
        dock->Destroy(icon);
    }
}

TEST_F(RefreshTest, HiddenLabelIsEmptyAndRefreshDisplayPushesNoOverlay) {
    ServeCounters(0, 0, 0);
    ServeCounters(1, 100, 100);
    Icon& icon = CreateConfiguredIcon("LabelData=9\r\n");
    EXPECT_EQ(icon.label, "");
    const int overlays = icon.Count(EventKind::Overlay);
    ServeCounters(2, 200, 200);
    dock->Tick(icon, kFastTimer);
    EXPECT_EQ(icon.Count(EventKind::Overlay), overlays);
    EXPECT_EQ(icon.EventsOf(EventKind::Label).back()->text, "");
}

TEST_F(RefreshTest, RatesComeFromTheBlocksOwnTimeStamps) {
    ServeCounters(0, 0, 0);
    ServeCounters(2, 3000, 0);  // two seconds apart: 1500 bytes per second
    Icon& icon = CreateConfiguredIcon("LabelData=4\r\n");
    EXPECT_EQ(icon.label, "Download: 1.5K");

    ServeCounters(2.5, 4000, 0);  // 1000 bytes in half a second
    dock->Tick(icon, kFastTimer);
    EXPECT_EQ(icon.label, "Download: 2.0K");

    ServeCounters(3.5, 3000, 0);  // the counter went backwards
    dock->Tick(icon, kFastTimer);
    EXPECT_EQ(icon.label, "Download: 0.0K");
}

TEST_F(RefreshTest, FailedFetchSkipsTheTickAndUnreadableBlockReadsAsNoTraffic) {
    ServeCounters(0, 0, 0);
    ServeCounters(1, 5000, 0);
    Icon& icon = CreateConfiguredIcon("LabelData=4\r\n");
    ASSERT_EQ(icon.label, "Download: 5.0K");

    perf.PushError(ERROR_ACCESS_DENIED);
    dock->Tick(icon, kFastTimer);
    EXPECT_EQ(icon.label, "Download: 5.0K");

    std::vector<uint8_t> damaged(64, 0xFF);
    perf.Push(damaged);
    dock->Tick(icon, kFastTimer);
    // Readings that fail keep the older ones, so the pair's interval is empty.
    EXPECT_EQ(icon.label, "Download: 0.0K");
    EXPECT_TRUE(TimerRunning(icon, kFastTimer));
}

TEST_F(RefreshTest, BaseImageFollowsTheAdapterState) {
    ServeCounters(0, 0, 0);
    Icon& up = CreateConfiguredIcon();
    EXPECT_EQ(up.imageFile, kImages + "background.png");
    dock->Destroy(up);

    Adapter().operStatus = IfOperStatusDown;
    Icon& down = CreateConfiguredIcon();
    EXPECT_EQ(down.imageFile, kImages + "na.png");
    dock->Destroy(down);

    Adapter().operStatus = IfOperStatusUp;
    Adapter().inAddressesList = false;
    Icon& missing = CreateConfiguredIcon();
    EXPECT_EQ(missing.imageFile, kImages + "na.png");
    dock->Destroy(missing);

    Icon& fresh = dock->CreateIcon();
    EXPECT_EQ(fresh.imageFile, kImages + "na.png");
}

TEST_F(RefreshTest, HideIconsShowsEmptyInEveryState) {
    ServeCounters(0, 0, 0);
    Icon& up = CreateConfiguredIcon("DockletData=43\r\n");
    EXPECT_EQ(up.imageFile, kImages + "empty.png");

    Adapter().operStatus = IfOperStatusDown;
    dock->Tick(up, kSlowTimer);
    EXPECT_EQ(up.imageFile, kImages + "empty.png");

    const std::string ini = scratch->File("fresh.ini");
    WriteFile(ini, "[F]\r\nDockletData=32\r\n");
    Icon& unconfigured = dock->CreateIcon(ini.c_str(), "F");
    EXPECT_EQ(unconfigured.imageFile, kImages + "empty.png");
}

TEST_F(RefreshTest, FastTimerStopsWhileTheAdapterIsDownAndRestartsWhenItIsBack) {
    ServeCounters(0, 0, 0);
    ServeCounters(1, 1000, 1000);
    Icon& icon = CreateConfiguredIcon("LabelData=4\r\n");
    EXPECT_TRUE(TimerRunning(icon, kFastTimer));

    // A fast tick while up only refreshes.
    Hooks().ClearLog();
    ServeCounters(2, 2000, 2000);
    dock->Tick(icon, kFastTimer);
    EXPECT_TRUE(Hooks().timerCalls.empty());
    EXPECT_EQ(icon.label, "Download: 1.0K");

    Adapter().operStatus = IfOperStatusDown;
    dock->Tick(icon, kSlowTimer);
    EXPECT_FALSE(TimerRunning(icon, kFastTimer));
    EXPECT_EQ(icon.imageFile, kImages + "na.png");
    const std::string labelWhileDown = icon.label;

    dock->Tick(icon, kFastTimer);
    EXPECT_FALSE(TimerRunning(icon, kFastTimer));
    EXPECT_EQ(icon.label, labelWhileDown) << "no sample while the adapter is down";

    Adapter().operStatus = IfOperStatusUp;
    ServeCounters(40, 5000, 2000);
    Hooks().ClearLog();
    dock->Tick(icon, kSlowTimer);
    EXPECT_TRUE(TimerRunning(icon, kFastTimer)) << "restarted in the same slow tick";
    EXPECT_EQ(icon.imageFile, kImages + "background.png");
    int fastStarts = 0;
    for (const TimerCall& call : TimerCallsFor(icon)) {
        fastStarts += call.set && call.id == kFastTimer && call.period == 1000;
    }
    EXPECT_EQ(fastStarts, 1);
}

TEST_F(RefreshTest, AdapterThatDisappearsIsTreatedAsNotConnected) {
    ServeCounters(0, 0, 0);
    Icon& icon = CreateConfiguredIcon();
    ASSERT_TRUE(TimerRunning(icon, kFastTimer));
    adapters.adapters.clear();
    adapters.adapters.push_back(testdock::AdapterPlan{});
    Adapter().guid = "{99999999-0000-0000-0000-000000000000}";
    dock->Tick(icon, kSlowTimer);
    EXPECT_FALSE(TimerRunning(icon, kFastTimer));
    EXPECT_EQ(icon.imageFile, kImages + "na.png");
}

TEST_F(RefreshTest, DiscoveryGrowsItsBuffersAndMatchesTheGuidWithoutCase) {
    testdock::AdapterPlan other;
    other.guid = "{11111111-2222-3333-4444-555555555555}";
    other.description = "Loopback";
    adapters.adapters.insert(adapters.adapters.begin(), other);
    adapters.adapters.push_back(testdock::AdapterPlan{});
    testdock::AdapterPlan& watched = adapters.adapters.back();
    watched.guid = "{ABCDEF00-0000-0000-0000-00000000000A}";
    watched.description = "Fast Ethernet (PCI/2) #2";
    watched.dnsServers = {"10.0.0.1", "fe80::1", "10.0.0.2"};
    std::swap(adapters.adapters.front(), adapters.adapters.back());
    std::swap(adapters.adapters.back(), adapters.adapters[1]);
    ASSERT_EQ(Adapter().description, "Fast Ethernet (PCI/2) #2");

    ServeCounters(0, 0, 0);
    ServeCounters(1, 7000, 0);
    const std::string ini = scratch->File("case.ini");
    WriteFile(ini, "[C]\r\nInterfaceDescription=Fast Ethernet (PCI/2) #2\r\n"
                   "GUID={abcdef00-0000-0000-0000-00000000000a}\r\nLabelData=4\r\n");
    Icon& icon = dock->CreateIcon(ini.c_str(), "C");
    EXPECT_GT(adapters.overflowReplies, 0);
    EXPECT_EQ(icon.imageFile, kImages + "background.png");
    // The counters are read from the instance named with brackets and underscores.
    EXPECT_EQ(icon.label, "Download: 7.0K");
}

TEST_F(RefreshTest, SwitchingAdaptersStartsTheReadingsAfreshInsteadOfShowingASpike) {
    testdock::AdapterPlan second;
    second.guid = "{00000000-0000-0000-0000-000000000002}";
    second.description = "Second Adapter";
    adapters.adapters.push_back(second);
    auto serveBoth = [&](double seconds, uint64_t firstReceived, uint64_t secondReceived) {
        AdapterCounters first{L"Test Ethernet Adapter", firstReceived, firstReceived, 0, 0};
        AdapterCounters other{L"Second Adapter", secondReceived, secondReceived, 0, 0};
        perf.Push(BuildPerfBlock(NetworkInterfaceBlock({first, other}, static_cast<int64_t>(seconds * kPerfFreq),
                                                       kPerfFreq)));
    };
    serveBoth(0, 1000, 50000000);
    serveBoth(1, 3000, 50001000);
    Icon& icon = CreateConfiguredIcon("LabelData=4\r\n");
    ASSERT_EQ(icon.label, "Download: 2.0K");

    // What the settings sheet does when the user picks another adapter.
    auto* record = static_cast<DockletInstance*>(icon.instance);
    std::wcscpy(record->interfaceDescription, L"Second Adapter");
    std::wcscpy(record->counterInstanceName, L"Second Adapter");
    std::wcscpy(record->adapterGuid, L"{00000000-0000-0000-0000-000000000002}");

    serveBoth(2, 5000, 50002000);
    dock->Tick(icon, kFastTimer);
    EXPECT_EQ(icon.label, "Download: 2.0K") << "no figures from two adapters' counters";
    serveBoth(3, 7000, 50007000);
    dock->Tick(icon, kFastTimer);
    EXPECT_EQ(icon.label, "Download: 5.0K");
}

TEST_F(RefreshTest, EveryRefreshHandsOverOneOverlayAndNoneLeaks) {
    ServeCounters(0, 0, 0);
    Icon& icon = CreateConfiguredIcon();
    for (int tick = 1; tick <= 20; ++tick) {
        ServeCounters(tick, 1000u * tick, 500u * tick);
        dock->Tick(icon, tick % 10 == 0 ? kSlowTimer : kFastTimer);
    }
    const auto overlays = icon.EventsOf(EventKind::Overlay);
    EXPECT_GE(overlays.size(), 21u);
    for (const testdock::Event* overlay : overlays) {
        EXPECT_EQ(overlay->number, 1) << "the dock takes every overlay over";
        EXPECT_EQ(overlay->width, 256);
        EXPECT_EQ(overlay->height, 256);
    }
    dock->Destroy(icon);
    const testdock::ImageCounters& counters = testdock::Counters();
    EXPECT_EQ(counters.LiveOverlays(), 0);
    EXPECT_EQ(counters.malformedOverlays, 0);
    EXPECT_EQ(counters.deletedTwice, 0);
    EXPECT_EQ(counters.Live(), 0);
}

}  // namespace
}  // namespace vantrel_test
