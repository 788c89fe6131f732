// Finding the configured adapter in IP Helper's two lists, as the dock serves
// them, and what of it reaches the instance.
#include "refresh_fixture.h"

#include "base/docklet_instance.h"

#include <functional>

namespace vantrel_test {
namespace {

const std::string kImages = "Docklets\\Vantrel\\icons\\";

class AdapterDiscoveryTest : public RefreshTest {
protected:
    // An icon configured for the adapter with extra INI lines; its record.
    const DockletInstance& CreateIconFor(const std::string& description, const std::string& adapterGuid,
                                         const std::string& extraLines = "") {
        const std::string ini = scratch->File("adapter-" + std::to_string(++icons_) + ".ini");
        WriteFile(ini, "[A]\r\nInterfaceDescription=" + description + "\r\nGUID=" + adapterGuid + "\r\n" +
                           extraLines);
        icon_ = &dock->CreateIcon(ini.c_str(), "A");
        return *static_cast<const DockletInstance*>(icon_->instance);
    }

    Icon* icon_ = nullptr;

private:
    int icons_ = 0;
};

TEST_F(AdapterDiscoveryTest, EveryFieldOfTheAdapterInBothListsReachesTheInstance) {
    testdock::AdapterPlan& a = Adapter();
    a.guid = "{ABCDEF00-0000-0000-0000-00000000000A}";
    a.description = "Fast Ethernet (PCI/2) #2";
    a.friendlyName = L"Local Area Connection";
    a.dnsSuffix = L"example.test";
    a.mac = {0xFE, 0x80, 0x00, 0x01, 0xAB, 0xCD, 0xEF, 0x12};
    a.dhcpServer = "192.0.2.2";
    a.leaseObtained = 1700000000;
    a.leaseExpires = 1700086400;
    a.primaryWins = "10.1.1.1";
    a.secondaryWins = "10.1.1.2";
    // The first two IPv4 servers count, in order; other families are skipped.
    a.dnsServers = {"fe80::1", "10.0.0.1", "2001:db8::53", "10.0.0.2", "10.0.0.3"};
    // Another adapter listed first, with enough servers that both lists need more room.
    testdock::AdapterPlan other;
    other.guid = "{11111111-2222-3333-4444-555555555555}";
    other.dnsServers.assign(40, "10.9.9.9");
    adapters.adapters.insert(adapters.adapters.begin(), other);
    testdock::AdapterPlan& watched = adapters.adapters[1];

    // The counters are read from the instance named with brackets and underscores.
    auto serve = [&](double seconds, uint64_t received) {
        perf.Push(BuildPerfBlock(NetworkInterfaceBlock({{L"Fast Ethernet [PCI_2] _2", received, received, 0, 0}},
                                                       static_cast<int64_t>(seconds * kPerfFreq), kPerfFreq)));
    };
    for (const bool extras : {true, false}) {
        SCOPED_TRACE(extras ? "DHCP and WINS on" : "DHCP and WINS off");
        watched.dhcpEnabled = extras;
        watched.haveWins = extras;
        if (!extras) {
            watched.dnsServers = {"10.0.0.9"};
        }
        serve(0, 0);
        serve(1, 7000);
        // The system's GUID differs only in letter case.
        const DockletInstance& d =
            CreateIconFor(watched.description, "{abcdef00-0000-0000-0000-00000000000a}", "LabelData=4\r\n");
        EXPECT_EQ(icon_->label, "Download: 7.0K");
        EXPECT_EQ(icon_->imageFile, kImages + "background.png");
        EXPECT_GT(adapters.overflowReplies, 0);
        EXPECT_EQ(d.connected, 1);
        EXPECT_EQ(d.operStatus, 1);
        EXPECT_STREQ(d.macAddress, L"FE:80:00:01:AB:CD");
        EXPECT_STREQ(d.ipV4Address, L"192.0.2.10");
        EXPECT_STREQ(d.netMask, L"255.255.255.0");
        EXPECT_STREQ(d.ipV4Gateway, L"192.0.2.1");
        EXPECT_STREQ(d.dnsServer, extras ? L"10.0.0.1" : L"10.0.0.9");
        EXPECT_STREQ(d.secondaryDnsServer, extras ? L"10.0.0.2" : L"") << "one server leaves it empty";
        EXPECT_STREQ(d.dnsSuffix, L"example.test");
        EXPECT_STREQ(d.connectionName, L"Local Area Connection");
        EXPECT_EQ(d.dhcpEnabled, extras ? 1 : 0);
        EXPECT_STREQ(d.dhcpServer, extras ? L"192.0.2.2" : L"");
        EXPECT_EQ(d.leaseObtained, extras ? 1700000000 : -1);
        EXPECT_EQ(d.leaseExpires, extras ? 1700086400 : -1);
        EXPECT_EQ(d.haveWins, extras ? 1 : 0);
        EXPECT_STREQ(d.primaryWinsServer, extras ? L"10.1.1.1" : L"");
        EXPECT_STREQ(d.secondaryWinsServer, extras ? L"10.1.1.2" : L"");
        dock->Destroy(*icon_);
    }
    watched.mac.clear();
    EXPECT_STREQ(CreateIconFor(watched.description, watched.guid).macAddress, L"");
}

TEST_F(AdapterDiscoveryTest, FirstMatchingEntryOfEachListWins) {
    testdock::AdapterPlan second = Adapter();
    second.ipAddress = "172.16.0.1";
    second.operStatus = IfOperStatusDown;
    adapters.adapters.push_back(second);
    CreateIconFor(Adapter().description, Adapter().guid, "LabelData=64\r\n");
    EXPECT_EQ(icon_->label, "192.0.2.10");
    EXPECT_EQ(icon_->imageFile, kImages + "background.png");
}

// An adapter that is not found, or not up, shows na.png and nothing of itself.
// (One in the addresses list alone has no IPv4 binding and counts: ipv6_test.)
TEST_F(AdapterDiscoveryTest, AnAdapterThatIsMissingOrNotUpShowsNotConnected) {
    struct Case {
        const char* what;
        std::function<void(testdock::AdapterServer&)> change;
        std::string iniGuid = "{00000000-0000-0000-0000-000000000001}";
    };
    const Case cases[] = {
        {"down", [](testdock::AdapterServer& s) { s.adapters[0].operStatus = IfOperStatusDown; }},
        {"only in the info list", [](testdock::AdapterServer& s) { s.adapters[0].inAddressesList = false; }},
        {"info list unreadable", [](testdock::AdapterServer& s) { s.infoError = ERROR_NOT_SUPPORTED; }},
        {"addresses list unreadable", [](testdock::AdapterServer& s) { s.addressesError = ERROR_NOT_SUPPORTED; }},
        {"another GUID", [](testdock::AdapterServer&) {}, "{99999999-0000-0000-0000-000000000000}"},
        {"an empty GUID, even against an unnamed adapter",
         [](testdock::AdapterServer& s) { s.adapters[0].guid.clear(); }, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        adapters = testdock::AdapterServer{};
        adapters.adapters.push_back(testdock::AdapterPlan{});
        c.change(adapters);
        const DockletInstance& d = CreateIconFor(Adapter().description, c.iniGuid);
        EXPECT_EQ(icon_->imageFile, kImages + "na.png");
        EXPECT_FALSE(TimerRunning(*icon_, kFastTimer));
        EXPECT_EQ(d.connected, 0);
        EXPECT_EQ(d.operStatus, 4);
        EXPECT_STREQ(d.ipV4Address, L"");
        EXPECT_STREQ(d.macAddress, L"");
        EXPECT_STREQ(d.connectionName, L"");
        EXPECT_EQ(d.leaseObtained, -1);
        dock->Destroy(*icon_);
    }
    EXPECT_EQ(dock->CreateIcon().imageFile, kImages + "na.png") << "an icon not yet configured";
}

}  // namespace
}  // namespace vantrel_test
