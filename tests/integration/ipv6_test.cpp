// IPv6 through the dock: adapter lists with addresses of every kind reaching
// the information dialog's rows, the IPv6 lookup against servers on
// 127.0.0.1 beside the IPv4 one, an adapter with IPv6 alone on the icon and
// in the label, and an automatic icon on an IPv6-only route.
#include "refresh_fixture.h"

#include "base/docklet_instance.h"
#include "dialog_driver.h"
#include "local_web_server.h"

#include <algorithm>
#include <climits>
#include <cwchar>
#include <map>

namespace vantrel_test {
namespace {

using testdock::LocalWebServer;
using testdock::UnicastPlan;
using testdock::WebReply;

constexpr wchar_t kTitle[] = L"Vantrel Docklet - Network Information";
constexpr wchar_t kLookingUp[] = L"Looking up...";
const std::string kImages = "Docklets\\Vantrel\\icons\\";
// The widest address an adapter can have: 39 characters of the broadest digit.
constexpr char kLongest[] = "2008:8888:8888:8888:8888:8888:8888:8888";

std::string Page(const char* body) {
    return std::string("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n") + body;
}

std::wstring LocalUrl(unsigned short port) { return L"http://127.0.0.1:" + std::to_wstring(port) + L"/ip"; }

struct Shown {
    std::map<int, std::wstring> atFirst;  // as the dialog showed
    std::map<int, std::wstring> texts;    // once both lookups ended
    DWORD lookupMilliseconds = 0;
};

class Ipv6Test : public RefreshTest {
protected:
    DockletInstance& Record(Icon& icon) { return *static_cast<DockletInstance*>(icon.instance); }

    void UseUrls(Icon& icon, const std::wstring& v4, const std::wstring& v6) {
        wcsncpy(Record(icon).ipAddressUrl, v4.c_str(), 2047);
        wcsncpy(Record(icon).ipV6AddressUrl, v6.c_str(), 2047);
    }

    // Opens the information dialog and reads every row once neither external
    // address is being looked up any longer.
    Shown Open(Icon& icon) {
        const int ids[] = {1021, 1024, 1026, 1025, 1036, 1031, 1040, 1041, 1042, 1043, 1044, 1045, 1023};
        Shown shown;
        DWORD shownAt = 0;
        testdock::DialogDriver driver(testdock::DialogTitled(kTitle));
        driver
            .Do([&](HWND dialog) {
                shownAt = GetTickCount();
                for (int id : ids) {
                    shown.atFirst[id] = testdock::ControlText(dialog, id);
                }
            })
            .WaitUntil([](HWND dialog) {
                return testdock::ControlText(dialog, 1025) != kLookingUp &&
                       testdock::ControlText(dialog, 1044) != kLookingUp;
            }, 20000)
            .Do([&](HWND dialog) {
                shown.lookupMilliseconds = GetTickCount() - shownAt;
                for (int id : ids) {
                    shown.texts[id] = testdock::ControlText(dialog, id);
                }
                testdock::CloseDialog(dialog, testdock::Closing::OkButton);
            });
        dock->Info(icon);
        EXPECT_TRUE(driver.Done());
        return shown;
    }

    // An adapter with both families and IPv6 addresses of every kind, in an
    // order that puts each kind the dialog passes over before the one it shows.
    void ServeEveryKind() {
        testdock::AdapterPlan& a = Adapter();
        const ULONG hour = 3600;
        a.unicastAddresses = {
            {"192.0.2.10"},
            {"2001:db8:1::dead", IpSuffixOriginLinkLayerAddress, IpDadStateDeprecated},
            {"2001:db8:1::ad", IpSuffixOriginLinkLayerAddress, IpDadStateTentative},
            {"2001:db8:1::d", IpSuffixOriginLinkLayerAddress, IpDadStateDuplicate},
            {"fe80::1ff:fe23:4567:890a%11"},
            {"2001:DB8:1:0:21A:2BFF:FE3C:4D5E"},
            {"2001:db8:1:0:1111::1", IpSuffixOriginRandom, IpDadStatePreferred, hour, 2 * hour},
            {"2001:db8:1:0:9999::9", IpSuffixOriginRandom, IpDadStateDeprecated, ULONG_MAX, ULONG_MAX},
            {"2001:db8:1:0:2222::2", IpSuffixOriginRandom, IpDadStatePreferred, 24 * hour, 48 * hour},
            {"2001:db8:1:0:3333::3", IpSuffixOriginRandom, IpDadStatePreferred, 2 * hour, 4 * hour},
            {"2001:db8:2::7"},
        };
        a.gateways = {"192.0.2.1", "fe80::1%11", "fe80::2%11"};
        a.dnsServers = {"192.0.2.53", "fec0:0:0:ffff::1%1", "2001:db8::54", "192.0.2.54"};
    }
};

TEST_F(Ipv6Test, EveryKindOfAddressReachesItsRowAndBothLookupsRunAtOnce) {
    ServeEveryKind();
    // Each server waits 1.5 s before its body: one after the other would take 3 s.
    LocalWebServer v4({{Page(""), "Current IP Address: 203.0.113.7"}, 1500});
    LocalWebServer v6({{Page(""), "::ffff:203.0.113.7 first, then 2001:DB8:FFFF::0012:3400"}, 1500});
    ServeCounters(0, 0, 0);
    Icon& icon = CreateConfiguredIcon();
    UseUrls(icon, LocalUrl(v4.Port()), LocalUrl(v6.Port()));
    const Shown shown = Open(icon);
    EXPECT_EQ(shown.atFirst.at(1025), kLookingUp);
    EXPECT_EQ(shown.atFirst.at(1044), kLookingUp);
    const std::map<int, std::wstring> expected = {
        {1021, L"192.0.2.10"},
        {1024, L"255.255.255.0"},
        {1026, L"192.0.2.1"},
        {1025, L"203.0.113.7"},
        {1036, L"192.0.2.53"},
        {1031, L"192.0.2.54"},
        {1040, L"2001:db8:1:0:21a:2bff:fe3c:4d5e"},
        {1041, L"2001:db8:1:0:2222::2"},
        {1042, L"fe80::1ff:fe23:4567:890a"},
        {1043, L"fe80::1"},
        {1044, L"2001:db8:ffff::12:3400"},
        {1045, L"fec0:0:0:ffff::1"},
        {1023, L"00:1A:2B:3C:4D:5E"},
    };
    EXPECT_EQ(shown.texts, expected);
    std::printf("ipv6: both lookups answered %lu ms after the dialog showed (each server takes 1.5 s)\n",
                shown.lookupMilliseconds);
    EXPECT_LT(shown.lookupMilliseconds, 2900u) << "the two lookups ran side by side";
    EXPECT_STREQ(Record(icon).externalIpV6Address, L"2001:db8:ffff::12:3400") << "kept in the record";

    // The same adapter with no IPv6 at all: every IPv6 row empty.
    Adapter().unicastAddresses.clear();
    Adapter().gateways.clear();
    Adapter().dnsServers = {"192.0.2.53"};
    UseUrls(icon, L"", L"");
    dock->Tick(icon, kSlowTimer);
    const Shown none = Open(icon);
    for (int id : {1040, 1041, 1042, 1043, 1044, 1045}) {
        EXPECT_EQ(none.texts.at(id), L"") << id;
    }
}

TEST_F(Ipv6Test, TheIpv6LookupReadsOnlyAnOutsideAddress) {
    struct Case {
        const char* what;
        WebReply reply;
        const wchar_t* shown;
    };
    WebReply trickling{{Page("")}, 200};
    for (const char* piece : {"<p>", "you: 2001:", "db8:", "4", "::1", "5</p>"}) {
        trickling.pieces.push_back(piece);
    }
    const Case cases[] = {
        {"a mapped address before the right one", {{Page("::ffff:192.0.2.1 and 2001:db8::99")}}, L"2001:db8::99"},
        {"a trickling server, the address split", trickling, L"2001:db8:4::15"},
        {"loopback, link-local and multicast only", {{Page("::1 fe80::1 ff02::1 ::")}}, L"Not found"},
        {"an IPv4 page", {{Page("Current IP Address: 203.0.113.7")}}, L"Not found"},
    };
    ServeCounters(0, 0, 0);
    for (const Case& c : cases) {
        LocalWebServer server(c.reply);
        Icon& icon = CreateConfiguredIcon();
        UseUrls(icon, L"", LocalUrl(server.Port()));
        const Shown shown = Open(icon);
        EXPECT_EQ(shown.texts.at(1044), c.shown) << c.what;
        EXPECT_EQ(shown.texts.at(1025), L"") << c.what << ": no IPv4 URL, nothing looked up";
        EXPECT_EQ(server.Requests().size(), 1u) << c.what;
        dock->Destroy(icon);
    }
    Icon& icon = CreateConfiguredIcon();
    const Shown empty = Open(icon);
    EXPECT_EQ(empty.atFirst.at(1044), L"") << "an empty URL looks nothing up";
    EXPECT_EQ(empty.texts.at(1044), L"");
}

// Columns and rows of the overlay that any drawing reaches.
struct Ink {
    int left = INT_MAX;
    int right = -1;
    int top = INT_MAX;
    int bottom = -1;
};

Ink InkOf(const std::vector<uint32_t>& pixels, int width) {
    Ink ink;
    for (size_t i = 0; i < pixels.size(); ++i) {
        if ((pixels[i] >> 24) != 0) {
            const int x = static_cast<int>(i % static_cast<size_t>(width));
            const int y = static_cast<int>(i / static_cast<size_t>(width));
            ink = {std::min(ink.left, x), std::max(ink.right, x), std::min(ink.top, y), std::max(ink.bottom, y)};
        }
    }
    return ink;
}

// An adapter without IPv4 (in GetAdaptersAddresses' list alone, or listed
// with 0.0.0.0) is connected and shows its IPv6 address, stable before
// temporary; the longest address still fits the icon on one line.
TEST_F(Ipv6Test, AnAdapterWithIpv6AloneShowsItsAddressOnTheIconAndInTheLabel) {
    struct Case {
        const char* what;
        bool inInfoList;
        std::vector<UnicastPlan> unicast;
        std::string shown;
    };
    const Case cases[] = {
        {"the longest address, no IPv4 binding", false, {{kLongest}}, kLongest},
        {"a temporary address alone, IPv4 0.0.0.0", true,
         {{"2001:db8::5", IpSuffixOriginRandom}}, "2001:db8::5"},
        {"stable before temporary", false,
         {{"2001:db8::6", IpSuffixOriginRandom}, {"2001:db8::7"}}, "2001:db8::7"},
    };
    std::map<std::string, Ink> inks;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Adapter().inInfoList = c.inInfoList;
        Adapter().ipAddress = "0.0.0.0";
        Adapter().unicastAddresses = c.unicast;
        ServeCounters(0, 0, 0);
        // The address line alone on the icon, the address in the label.
        Icon& icon = CreateConfiguredIcon("DockletData=8\r\nLabelData=64\r\n");
        EXPECT_EQ(Record(icon).connected, 1);
        EXPECT_EQ(icon.imageFile, kImages + "background.png");
        EXPECT_EQ(icon.label, c.shown);
        int width = 0;
        const std::vector<uint32_t> pixels = dock->OverlayPixels(icon, &width);
        ASSERT_EQ(width, 256);
        inks[c.shown] = InkOf(pixels, width);
        if (c.shown == kLongest) {
            dock->SaveOverlay(icon, L"..\\build\\screenshots\\ipv6-only-icon.png");
        }
        dock->Destroy(icon);
    }
    const Ink longest = inks.at(kLongest);
    const Ink shorter = inks.at("2001:db8::7");
    std::printf("ipv6: the longest address drawn from x %d to %d, y %d to %d; a short one y %d to %d\n",
                longest.left, longest.right, longest.top, longest.bottom, shorter.top, shorter.bottom);
    EXPECT_GT(longest.left, 0) << "the whole address fits";
    EXPECT_LT(longest.right, 255);
    EXPECT_GT(longest.right - longest.left, 200) << "reduced only as far as needed";
    EXPECT_LE(longest.bottom, 40) << "on the address line, not wrapped below it";
    EXPECT_LT(longest.bottom - longest.top, shorter.bottom - shorter.top) << "a smaller font for the long one";
}

// With no IPv4 default route, an automatic icon asks for the IPv6 one and
// follows it; the watch it starts covers the routes of both families.
TEST_F(Ipv6Test, AnAutomaticIconFollowsAnIpv6OnlyRoute) {
    Hooks().routeNotifyAnswer = DWORD{NO_ERROR};
    AddWirelessAdapter();
    testdock::AdapterPlan& wifi = adapters.adapters.back();
    wifi.inInfoList = false;
    wifi.unicastAddresses = {{"2001:db8:77::1"}};
    adapters.ipv6RouteInterface = wifi.interfaceIndex;
    ServeTwo(L"Wireless Adapter", 0, 0, 0);
    const std::string ini = scratch->File("auto.ini");
    WriteFile(ini, "[Icon]\r\nAdapterChoice=1\r\nLabelData=64\r\n");
    Icon& icon = dock->CreateIcon(ini.c_str(), "Icon");
    const std::vector<std::string> asked = {"8.8.8.8", "2001:4860:4860::8888"};
    EXPECT_EQ(adapters.routeDestinations, asked);
    EXPECT_STREQ(Record(icon).interfaceDescription, L"Wireless Adapter");
    EXPECT_EQ(Record(icon).connected, 1);
    EXPECT_EQ(icon.label, "2001:db8:77::1");
    ASSERT_EQ(Hooks().routeNotifications.size(), 1u);
    EXPECT_EQ(Hooks().routeNotifications.front().family, AF_UNSPEC) << "both families' routes";

    // An IPv4 default route, once there, is the one followed.
    adapters.routeInterface = Adapter().interfaceIndex;
    dock->Tick(icon, kSlowTimer);
    EXPECT_STREQ(Record(icon).interfaceDescription, L"Test Ethernet Adapter");
    EXPECT_EQ(icon.label, "192.0.2.10");
}

}  // namespace
}  // namespace vantrel_test
