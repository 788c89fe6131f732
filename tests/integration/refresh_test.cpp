// The refresh cycle through the dock: labels, base images, the fast timer and
// overlays, with scripted adapters and counters.
#include "refresh_fixture.h"

#include "base/docklet_instance.h"
#include "base/rate_history.h"

#include <array>
#include <cwchar>
#include <optional>
#include <thread>

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
        {6, "Upload: 20.0K"},          {0, "Unknown Label Type"}, {512, "Unknown Label Type"},
        {128, "Today: 0.0K"},          {256, "Month: 0.0K"},    {192, "192.0.2.10"},
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

// Bytes per second in, the label out, in each unit.
TEST_F(RefreshTest, LabelsReadInTheChosenUnit) {
    struct Case {
        int unit;
        uint32_t labelData;
        uint64_t receivedPerSecond;
        uint64_t bandwidthBits;
        std::string label;
    };
    const Case cases[] = {
        {0, 4, 100000000, 1000000000, "Download: 100000.0K"},
        {0, 16, 0, 1000000000, "Bandwidth: 10000.0K"},
        {1, 4, 999900, 0, "Download: 999.9K"},
        {1, 4, 999960, 0, "Download: 1.0M"},
        {1, 4, 2500000, 0, "Download: 2.5M"},
        {1, 4, 3200000000, 0, "Download: 3.2G"},
        {1, 8, 2500000, 0, "Total Transfer: 2.5M"},
        {1, 16, 0, 1000000000, "Bandwidth: 125.0M"},
        {2, 4, 100, 0, "Download: 0.8kb"},
        {2, 2, 0, 0, "Upload: 0.0kb"},
        {2, 4, 2500000, 0, "Download: 20.0Mb"},
        {2, 4, 125000000, 0, "Download: 1.0Gb"},
        {2, 16, 0, 1000000000, "Bandwidth: 1.0Gb"},
        // Out of range: as unit 0.
        {3, 4, 2500000, 0, "Download: 2500.0K"},
    };
    for (const Case& c : cases) {
        ServeCounters(0, 0, 0, c.bandwidthBits);
        ServeCounters(1, c.receivedPerSecond, 0, c.bandwidthBits);
        Icon& icon = CreateConfiguredIcon("LabelData=" + std::to_string(c.labelData) +
                                          "\r\nRateUnit=" + std::to_string(c.unit) + "\r\n");
        EXPECT_EQ(icon.label, c.label) << "unit " << c.unit;
        dock->Destroy(icon);
    }
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

double Newest(const Warr<double>* history) { return history->At(history->last); }

TEST_F(RefreshTest, EachTickFetchesOneBlockAndAppendsTheFourFiguresToTheirHistories) {
    ServeCounters(0, 0, 0, 100000000);
    ServeCounters(1, 1500, 4500, 100000000);
    Icon& icon = CreateConfiguredIcon();
    const auto* record = static_cast<const DockletInstance*>(icon.instance);
    // A tick asks for room enough to need no growth (a first fetch starts smaller).
    ASSERT_EQ(perf.answered, 2);
    EXPECT_EQ(Hooks().registryQueries.front(), L"510");
    EXPECT_EQ(perf.lastBufferSize, 122880u);
    EXPECT_EQ(record->perfData, nullptr) << "each block is freed after its tick";
    const Warr<double>* histories[] = {record->totalHistory, record->downloadHistory, record->uploadHistory,
                                       record->bandwidthHistory};
    const double figures[] = {6.0, 1.5, 4.5, 1000.0};
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(histories[i]->Count(), 1) << i;
        EXPECT_DOUBLE_EQ(Newest(histories[i]), figures[i]) << i;
    }

    // A failed fetch skips the tick; a block without the adapter's readings
    // keeps the older ones, so the pair's interval is empty.
    perf.PushError(ERROR_ACCESS_DENIED);
    dock->Tick(icon, kFastTimer);
    EXPECT_EQ(record->downloadHistory->Count(), 1);
    EXPECT_DOUBLE_EQ(record->downloadRate, 1.5);
    perf.Push(std::vector<uint8_t>(64, 0xFF));
    dock->Tick(icon, kFastTimer);
    EXPECT_EQ(record->downloadHistory->Count(), 2);
    EXPECT_EQ(Newest(record->downloadHistory), 0.0);
    EXPECT_DOUBLE_EQ(Newest(record->bandwidthHistory), 1000.0) << "bandwidth needs only one reading";
    EXPECT_TRUE(TimerRunning(icon, kFastTimer));
}

TEST_F(RefreshTest, AFailedFirstFetchIsRetriedByTheFirstTickInsteadOfMeasuring) {
    perf.PushError(ERROR_ACCESS_DENIED);
    ServeCounters(1, 5000, 0);
    Icon& icon = CreateConfiguredIcon("LabelData=4\r\n");
    const auto* record = static_cast<const DockletInstance*>(icon.instance);
    EXPECT_EQ(icon.label, "Download: 0.0K");
    EXPECT_EQ(record->downloadHistory->Count(), 0);
    EXPECT_EQ(perf.lastBufferSize, 48928u) << "the retry is a first fetch";

    ServeCounters(2, 7000, 0);
    dock->Tick(icon, kFastTimer);
    EXPECT_EQ(icon.label, "Download: 2.0K");
    EXPECT_EQ(record->downloadHistory->Count(), 1);
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

// What the dock has been handed so far: overlays, labels, base images.
std::array<int, 3> HandedOver(const Icon& icon) {
    return {icon.Count(EventKind::Overlay), icon.Count(EventKind::Label), icon.Count(EventKind::ImageFile)};
}

class QuietTest : public RefreshTest {
protected:
    // Fast ticks at one a second on a link that moves `step` bytes each way a second.
    void FastTicks(Icon& icon, int count, uint64_t step = 0) {
        for (int i = 0; i < count; ++i) {
            ++seconds_;
            bytes_ += step;
            ServeCounters(seconds_, bytes_, bytes_);
            dock->Tick(icon, kFastTimer);
        }
    }
    void SlowTick(Icon& icon) {
        ServeCounters(++seconds_, bytes_, bytes_);
        dock->Tick(icon, kSlowTimer);
    }

    double seconds_ = 1;
    uint64_t bytes_ = 5000;
};

TEST_F(QuietTest, AnIdleIconHandsOverNothingUntilTrafficComes) {
    ServeCounters(0, 0, 0);
    ServeCounters(1, bytes_, bytes_);
    Icon& icon = CreateConfiguredIcon("DockletData=15\r\n");
    EXPECT_TRUE(HandedOver(icon)[0] > 0 && HandedOver(icon)[1] == 1 && HandedOver(icon)[2] == 1)
        << "the first refresh hands everything over";
    FastTicks(icon, 1);
    ASSERT_EQ(icon.label, "Total Transfer: 0.0K");
    const std::array<int, 3> idle = HandedOver(icon);
    FastTicks(icon, 30);
    SlowTick(icon);
    SlowTick(icon);
    EXPECT_EQ(HandedOver(icon), idle);

    FastTicks(icon, 1, 1500);
    EXPECT_EQ(HandedOver(icon), (std::array<int, 3>{idle[0] + 1, idle[1] + 1, idle[2]}));
    EXPECT_EQ(icon.label, "Total Transfer: 3.0K");
}

// Many users hide the label because the icon shows the rates: it must not stand still.
TEST_F(QuietTest, AHiddenLabelHidesOnlyTheLabelAndTheIconFollowsTheFiguresEveryTick) {
    ServeCounters(0, 0, 0);
    ServeCounters(1, bytes_, bytes_);
    Icon& icon = CreateConfiguredIcon("LabelData=9\r\n");
    EXPECT_EQ(icon.label, "");
    FastTicks(icon, 1);
    const std::array<int, 3> idle = HandedOver(icon);
    FastTicks(icon, 5);
    EXPECT_EQ(HandedOver(icon), idle) << "an idle tick hands over nothing";

    FastTicks(icon, 1, 1500);
    EXPECT_EQ(HandedOver(icon), (std::array<int, 3>{idle[0] + 1, idle[1], idle[2]}))
        << "a fast tick whose figures changed hands over a new overlay, and no label";
    FastTicks(icon, 1, 2500);
    EXPECT_EQ(HandedOver(icon), (std::array<int, 3>{idle[0] + 2, idle[1], idle[2]}));
    EXPECT_EQ(icon.label, "");
}

TEST_F(QuietTest, WithGraphsOnAnIconIdleForTwoMinutesHandsOverNothingAndAStateChangeShowsAtOnce) {
    ServeCounters(0, 0, 0);
    ServeCounters(1, bytes_, bytes_);
    Icon& icon = CreateConfiguredIcon("DockletData=31\r\n");
    // Until the history is full each tick adds a bar.
    FastTicks(icon, kHistoryCapacity);
    const std::array<int, 3> idle = HandedOver(icon);
    for (int slow = 0; slow < 4; ++slow) {
        FastTicks(icon, 30);
        SlowTick(icon);
    }
    EXPECT_EQ(HandedOver(icon), idle);

    FastTicks(icon, 1, 1000);
    EXPECT_EQ(HandedOver(icon), (std::array<int, 3>{idle[0] + 1, idle[1] + 1, idle[2]}));

    Adapter().operStatus = IfOperStatusDown;
    SlowTick(icon);
    EXPECT_EQ(icon.imageFile, kImages + "na.png");
    EXPECT_EQ(icon.Count(EventKind::Overlay), idle[0] + 2) << "Not Connected";
}

TEST_F(RefreshTest, SwitchingAdaptersStartsTheReadingsAfreshInsteadOfShowingASpike) {
    testdock::AdapterPlan second;
    second.guid = "{00000000-0000-0000-0000-000000000002}";
    second.description = "Second Adapter";
    adapters.adapters.push_back(second);
    auto serveBoth = [&](double seconds, uint64_t first, uint64_t other) {
        ServeTwo(L"Second Adapter", seconds, first, other);
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
    EXPECT_EQ(record->downloadHistory->Count(), 1);
    serveBoth(3, 7000, 50007000);
    dock->Tick(icon, kFastTimer);
    EXPECT_EQ(icon.label, "Download: 5.0K");

    // An adapter whose counters cannot be read is retried on every tick.
    std::wcscpy(record->counterInstanceName, L"Missing Adapter");
    serveBoth(4, 9000, 50008000);
    dock->Tick(icon, kFastTimer);
    EXPECT_EQ(record->samplerReady, 0);
    std::wcscpy(record->counterInstanceName, L"Second Adapter");
    serveBoth(5, 9000, 50009000);
    dock->Tick(icon, kFastTimer);
    serveBoth(6, 9000, 50012000);
    dock->Tick(icon, kFastTimer);
    EXPECT_EQ(icon.label, "Download: 3.0K");
}

// An automatic icon follows the IPv4 default route from adapter to adapter,
// shows an absent adapter while no listed adapter carries it, and comes back.
TEST_F(RefreshTest, AnAutomaticIconFollowsTheDefaultRoute) {
    AddWirelessAdapter();
    adapters.routeInterface = Adapter().interfaceIndex;
    auto serveBoth = [&](double seconds, uint64_t cable, uint64_t other) {
        ServeTwo(L"Wireless Adapter", seconds, cable, other);
    };
    serveBoth(0, 1000, 70000000);
    serveBoth(1, 3000, 70001000);
    const std::string ini = scratch->File("auto.ini");
    WriteFile(ini, "[Icon]\r\nAdapterChoice=1\r\nLabelData=4\r\n");
    Icon& icon = dock->CreateIcon(ini.c_str(), "Icon");
    auto* record = static_cast<DockletInstance*>(icon.instance);
    EXPECT_EQ(adapters.routeDestinations, std::vector<std::string>{"8.8.8.8"});
    EXPECT_STREQ(record->adapterGuid, L"{00000000-0000-0000-0000-000000000001}");

    // Fast ticks never ask for the route.
    serveBoth(2, 5000, 70002000);
    dock->Tick(icon, kFastTimer);
    EXPECT_EQ(icon.label, "Download: 2.0K");
    EXPECT_EQ(adapters.routeDestinations.size(), 1u);
    ASSERT_GT(record->downloadHistory->Count(), 0);

    // The route moves to the wireless adapter: the next slow tick switches and starts over.
    adapters.routeInterface = 23;
    serveBoth(3, 7000, 70003000);
    dock->Tick(icon, kSlowTimer);
    EXPECT_STREQ(record->interfaceDescription, L"Wireless Adapter");
    EXPECT_STREQ(record->adapterGuid, L"{00000000-0000-0000-0000-0000000000F1}");
    EXPECT_EQ(record->downloadHistory->Count(), 0);
    EXPECT_EQ(record->totalHistory->Count(), 0);
    EXPECT_EQ(record->downloadRate, 0.0);
    serveBoth(4, 9000, 70008000);
    dock->Tick(icon, kFastTimer);
    EXPECT_EQ(icon.label, "Download: 5.0K") << "the wireless adapter's own counters";

    // No route, then a route through an interface in neither list: absent, the adapter kept.
    for (const std::optional<DWORD> route : {std::optional<DWORD>(), std::optional<DWORD>(99)}) {
        adapters.routeInterface = route;
        dock->Tick(icon, kSlowTimer);
        EXPECT_EQ(record->connected, 0);
        EXPECT_STREQ(record->adapterGuid, L"{00000000-0000-0000-0000-0000000000F1}");
        EXPECT_EQ(icon.imageFile, kImages + "na.png");
    }

    // Back on the cable.
    adapters.routeInterface = Adapter().interfaceIndex;
    serveBoth(5, 11000, 70009000);
    dock->Tick(icon, kSlowTimer);
    EXPECT_EQ(record->connected, 1);
    EXPECT_EQ(icon.imageFile, kImages + "background.png");
    EXPECT_STREQ(record->interfaceDescription, L"Test Ethernet Adapter");

    const std::string saved = scratch->File("saved.ini");
    dock->Save(icon, saved.c_str(), "S", false);
    char text[260];
    GetPrivateProfileStringA("S", "AdapterChoice", "", text, sizeof text, saved.c_str());
    EXPECT_STREQ(text, "1");
    GetPrivateProfileStringA("S", "GUID", "", text, sizeof text, saved.c_str());
    EXPECT_STREQ(text, "{00000000-0000-0000-0000-000000000001}");
}

// Word of a route change, from a thread of the system's, is followed at the
// next fast tick; a system whose notification is a failing stub still follows
// on slow ticks. The icon's going cancels the notification.
TEST_F(RefreshTest, RouteChangeWordIsFollowedAtTheNextFastTick) {
    AddWirelessAdapter();
    for (const DWORD answer : {DWORD{NO_ERROR}, DWORD{ERROR_NOT_SUPPORTED}}) {
        SCOPED_TRACE(answer);
        Hooks().routeNotifyAnswer = answer;
        adapters.routeInterface = Adapter().interfaceIndex;
        ServeCounters(0, 0, 0);
        const std::string ini = scratch->File("auto.ini");
        WriteFile(ini, "[Icon]\r\nAdapterChoice=1\r\n");
        Icon& icon = dock->CreateIcon(ini.c_str(), "Icon");
        auto* record = static_cast<DockletInstance*>(icon.instance);
        ASSERT_EQ(Hooks().routeNotifications.size(), answer == NO_ERROR ? 1u : 0u);

        adapters.routeInterface = 23;
        if (answer == NO_ERROR) {
            const testdock::RouteNotification word = Hooks().routeNotifications.front();
            std::thread([&] { word.callback(word.context, nullptr, MibParameterNotification); }).join();
        }
        dock->Tick(icon, kFastTimer);
        const size_t asked = adapters.routeDestinations.size();
        EXPECT_EQ(asked, answer == NO_ERROR ? 2u : 1u);
        dock->Tick(icon, kFastTimer);
        EXPECT_EQ(adapters.routeDestinations.size(), asked) << "one word, one question";
        if (answer != NO_ERROR) {
            dock->Tick(icon, kSlowTimer);
        }
        EXPECT_STREQ(record->interfaceDescription, L"Wireless Adapter");

        dock->Destroy(icon);
        EXPECT_TRUE(Hooks().routeNotifications.empty());
        EXPECT_EQ(Hooks().cancelledRouteNotifications, answer == NO_ERROR ? 1 : 0);
        adapters.routeDestinations.clear();
        Hooks().cancelledRouteNotifications = 0;
    }
}

}  // namespace
}  // namespace vantrel_test
