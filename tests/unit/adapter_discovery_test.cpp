#include "measure/adapter_discovery.h"

#include "base/text.h"

#include <ws2tcpip.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace {

const char kGuidA[] = "{6B29FC40-CA47-1067-B31D-00DD010662DA}";
const char kGuidB[] = "{0F8FAD5B-D9CB-469F-A165-70867728950E}";

struct InstanceFree {
    void operator()(DockletInstance* instance) const { std::free(instance); }
};
using InstancePtr = std::unique_ptr<DockletInstance, InstanceFree>;

InstancePtr NewInstance(const wchar_t* adapterGuid, const wchar_t* description = L"Fast Ethernet (PCI/2) #2") {
    InstancePtr instance(static_cast<DockletInstance*>(std::calloc(1, sizeof(DockletInstance))));
    CopyText(instance->adapterGuid, adapterGuid);
    CopyText(instance->interfaceDescription, description);
    return instance;
}

void SetDotted(IP_ADDRESS_STRING& field, const char* dotted) {
    std::memset(field.String, 0, sizeof field.String);
    std::memcpy(field.String, dotted, std::min(std::strlen(dotted), sizeof field.String));
}

// IP_ADAPTER_INFO and IP_ADAPTER_ADDRESSES chains as the system hands them out,
// built in memory. Entries stay where they are while more are added.
class AdapterLists {
public:
    IP_ADAPTER_INFO& AddInfo(const char* name) {
        IP_ADAPTER_INFO& entry = infos_.emplace_back();
        std::memset(&entry, 0, sizeof entry);
        std::strncpy(entry.AdapterName, name, sizeof entry.AdapterName - 1);
        if (infos_.size() > 1) {
            infos_[infos_.size() - 2].Next = &entry;
        }
        return entry;
    }

    IP_ADAPTER_ADDRESSES& AddAddresses(const char* name, IF_OPER_STATUS status) {
        IP_ADAPTER_ADDRESSES& entry = addresses_.emplace_back();
        std::memset(&entry, 0, sizeof entry);
        entry.AdapterName = Keep(name);
        entry.FriendlyName = KeepWide(L"Local Area Connection");
        entry.DnsSuffix = KeepWide(L"example.test");
        entry.OperStatus = status;
        if (addresses_.size() > 1) {
            addresses_[addresses_.size() - 2].Next = &entry;
        }
        return entry;
    }

    void AddDnsV4(IP_ADAPTER_ADDRESSES& adapter, const char* dotted) {
        auto& address = v4_.emplace_back();
        std::memset(&address, 0, sizeof address);
        address.sin_family = AF_INET;
        inet_pton(AF_INET, dotted, &address.sin_addr);
        Link(adapter, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }

    void AddDnsV6(IP_ADAPTER_ADDRESSES& adapter, const char* text) {
        auto& address = v6_.emplace_back();
        std::memset(&address, 0, sizeof address);
        address.sin6_family = AF_INET6;
        inet_pton(AF_INET6, text, &address.sin6_addr);
        Link(adapter, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }

    void AddDnsWithoutAddress(IP_ADAPTER_ADDRESSES& adapter) { Link(adapter, nullptr, 0); }

    const IP_ADAPTER_INFO* Infos() const { return infos_.empty() ? nullptr : &infos_.front(); }
    const IP_ADAPTER_ADDRESSES* Addresses() const { return addresses_.empty() ? nullptr : &addresses_.front(); }

private:
    char* Keep(const char* text) { return texts_.emplace_back(text).data(); }
    wchar_t* KeepWide(const wchar_t* text) { return wideTexts_.emplace_back(text).data(); }

    void Link(IP_ADAPTER_ADDRESSES& adapter, sockaddr* address, int length) {
        auto& server = servers_.emplace_back();
        std::memset(&server, 0, sizeof server);
        server.Address.lpSockaddr = address;
        server.Address.iSockaddrLength = length;
        IP_ADAPTER_DNS_SERVER_ADDRESS** tail = &adapter.FirstDnsServerAddress;
        while (*tail) {
            tail = &(*tail)->Next;
        }
        *tail = &server;
    }

    std::deque<IP_ADAPTER_INFO> infos_;
    std::deque<IP_ADAPTER_ADDRESSES> addresses_;
    std::deque<IP_ADAPTER_DNS_SERVER_ADDRESS> servers_;
    std::deque<sockaddr_in> v4_;
    std::deque<sockaddr_in6> v6_;
    std::deque<std::string> texts_;
    std::deque<std::wstring> wideTexts_;
};

IP_ADAPTER_INFO& AddFullInfo(AdapterLists& lists, const char* name) {
    IP_ADAPTER_INFO& info = lists.AddInfo(name);
    const BYTE mac[] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    std::memcpy(info.Address, mac, sizeof mac);
    info.AddressLength = sizeof mac;
    SetDotted(info.IpAddressList.IpAddress, "192.168.1.20");
    SetDotted(info.IpAddressList.IpMask, "255.255.255.0");
    SetDotted(info.GatewayList.IpAddress, "192.168.1.1");
    info.DhcpEnabled = 1;
    SetDotted(info.DhcpServer.IpAddress, "192.168.1.2");
    info.LeaseObtained = 1700000000;
    info.LeaseExpires = 1700086400;
    info.HaveWins = TRUE;
    SetDotted(info.PrimaryWinsServer.IpAddress, "10.1.1.1");
    SetDotted(info.SecondaryWinsServer.IpAddress, "10.1.1.2");
    return info;
}

void Discover(DockletInstance* instance, const AdapterLists& lists) {
    ResetAdapterState(instance);
    ApplyAdapterLists(instance, lists.Infos(), lists.Addresses());
}

void ExpectResetAddressFields(const DockletInstance& instance) {
    EXPECT_STREQ(instance.macAddress, L"");
    EXPECT_STREQ(instance.ipV4Address, L"");
    EXPECT_STREQ(instance.netMask, L"");
    EXPECT_STREQ(instance.ipV4Gateway, L"");
    EXPECT_STREQ(instance.dhcpServer, L"");
    EXPECT_STREQ(instance.primaryWinsServer, L"");
    EXPECT_STREQ(instance.secondaryWinsServer, L"");
    EXPECT_EQ(instance.dhcpEnabled, 0);
    EXPECT_EQ(instance.haveWins, 0);
    EXPECT_EQ(instance.leaseObtained, -1);
    EXPECT_EQ(instance.leaseExpires, -1);
}

TEST(AdapterDiscovery, CopiesEveryFieldOfAnAdapterInBothLists) {
    AdapterLists lists;
    lists.AddInfo(kGuidB);
    AddFullInfo(lists, kGuidA);
    lists.AddAddresses(kGuidB, IfOperStatusDown);
    IP_ADAPTER_ADDRESSES& addresses = lists.AddAddresses(kGuidA, IfOperStatusUp);
    lists.AddDnsV4(addresses, "10.0.0.1");

    // The system's name differs only in letter case.
    InstancePtr instance = NewInstance(L"{6b29fc40-ca47-1067-b31d-00dd010662da}");
    Discover(instance.get(), lists);

    EXPECT_EQ(instance->connected, 1);
    EXPECT_EQ(instance->operStatus, 1);
    EXPECT_STREQ(instance->macAddress, L"00:1A:2B:3C:4D:5E");
    EXPECT_STREQ(instance->ipV4Address, L"192.168.1.20");
    EXPECT_STREQ(instance->netMask, L"255.255.255.0");
    EXPECT_STREQ(instance->ipV4Gateway, L"192.168.1.1");
    EXPECT_EQ(instance->dhcpEnabled, 1);
    EXPECT_STREQ(instance->dhcpServer, L"192.168.1.2");
    EXPECT_EQ(instance->leaseObtained, 1700000000);
    EXPECT_EQ(instance->leaseExpires, 1700086400);
    EXPECT_EQ(instance->haveWins, 1);
    EXPECT_STREQ(instance->primaryWinsServer, L"10.1.1.1");
    EXPECT_STREQ(instance->secondaryWinsServer, L"10.1.1.2");
    EXPECT_STREQ(instance->dnsServer, L"10.0.0.1");
    EXPECT_STREQ(instance->dnsSuffix, L"example.test");
    EXPECT_STREQ(instance->connectionName, L"Local Area Connection");
}

TEST(AdapterDiscovery, LastIpv4DnsServerWinsAndOtherFamiliesAreSkipped) {
    AdapterLists lists;
    lists.AddInfo(kGuidA);
    IP_ADAPTER_ADDRESSES& addresses = lists.AddAddresses(kGuidA, IfOperStatusUp);
    lists.AddDnsV6(addresses, "fe80::1");
    lists.AddDnsV4(addresses, "10.0.0.1");
    lists.AddDnsV4(addresses, "10.0.0.2");
    lists.AddDnsWithoutAddress(addresses);
    lists.AddDnsV6(addresses, "2001:db8::53");

    InstancePtr instance = NewInstance(L"{6B29FC40-CA47-1067-B31D-00DD010662DA}");
    Discover(instance.get(), lists);
    EXPECT_STREQ(instance->dnsServer, L"10.0.0.2");

    AdapterLists onlyV6;
    onlyV6.AddInfo(kGuidA);
    onlyV6.AddDnsV6(onlyV6.AddAddresses(kGuidA, IfOperStatusUp), "fe80::1");
    Discover(instance.get(), onlyV6);
    EXPECT_EQ(instance->connected, 1);
    EXPECT_STREQ(instance->dnsServer, L"");
}

TEST(AdapterDiscovery, DhcpAndWinsOffLeaveTheirResetValues) {
    AdapterLists lists;
    IP_ADAPTER_INFO& info = AddFullInfo(lists, kGuidA);
    info.DhcpEnabled = 0;
    info.HaveWins = FALSE;
    lists.AddAddresses(kGuidA, IfOperStatusUp);

    InstancePtr instance = NewInstance(L"{6B29FC40-CA47-1067-B31D-00DD010662DA}");
    Discover(instance.get(), lists);
    EXPECT_EQ(instance->connected, 1);
    EXPECT_STREQ(instance->ipV4Address, L"192.168.1.20");
    EXPECT_EQ(instance->dhcpEnabled, 0);
    EXPECT_EQ(instance->leaseObtained, -1);
    EXPECT_EQ(instance->leaseExpires, -1);
    EXPECT_STREQ(instance->dhcpServer, L"");
    EXPECT_EQ(instance->haveWins, 0);
    EXPECT_STREQ(instance->primaryWinsServer, L"");
    EXPECT_STREQ(instance->secondaryWinsServer, L"");
}

TEST(AdapterDiscovery, HardwareAddressIsCutToSixBytes) {
    AdapterLists lists;
    IP_ADAPTER_INFO& info = lists.AddInfo(kGuidA);
    const BYTE eight[] = {0xFE, 0x80, 0x00, 0x01, 0xAB, 0xCD, 0xEF, 0x12};
    std::memcpy(info.Address, eight, sizeof eight);
    info.AddressLength = sizeof eight;
    lists.AddAddresses(kGuidA, IfOperStatusUp);

    InstancePtr instance = NewInstance(L"{6B29FC40-CA47-1067-B31D-00DD010662DA}");
    Discover(instance.get(), lists);
    EXPECT_STREQ(instance->macAddress, L"FE:80:00:01:AB:CD");

    info.AddressLength = 0;
    Discover(instance.get(), lists);
    EXPECT_STREQ(instance->macAddress, L"");

    // A length beyond the address array itself still reads only six bytes.
    info.AddressLength = 0xFFFFFFFF;
    Discover(instance.get(), lists);
    EXPECT_STREQ(instance->macAddress, L"FE:80:00:01:AB:CD");
}

TEST(AdapterDiscovery, AdapterThatIsNotUpIsStillConnected) {
    AdapterLists lists;
    lists.AddInfo(kGuidA);
    lists.AddAddresses(kGuidA, IfOperStatusDown);
    InstancePtr instance = NewInstance(L"{6B29FC40-CA47-1067-B31D-00DD010662DA}");
    Discover(instance.get(), lists);
    EXPECT_EQ(instance->connected, 1);
    EXPECT_EQ(instance->operStatus, 2);
}

TEST(AdapterDiscovery, EmptyGuidMatchesNoAdapterNotEvenAnUnnamedOne) {
    AdapterLists lists;
    AddFullInfo(lists, "");
    lists.AddAddresses("", IfOperStatusUp);
    InstancePtr instance = NewInstance(L"");
    Discover(instance.get(), lists);
    EXPECT_EQ(instance->connected, 0);
    EXPECT_EQ(instance->operStatus, 4);
    ExpectResetAddressFields(*instance);
}

TEST(AdapterDiscovery, AdapterInOneListOnlyIsNotConnected) {
    AdapterLists infoOnly;
    AddFullInfo(infoOnly, kGuidA);
    infoOnly.AddAddresses(kGuidB, IfOperStatusUp);
    InstancePtr instance = NewInstance(L"{6B29FC40-CA47-1067-B31D-00DD010662DA}");
    Discover(instance.get(), infoOnly);
    EXPECT_EQ(instance->connected, 0);
    EXPECT_STREQ(instance->ipV4Address, L"192.168.1.20");
    EXPECT_EQ(instance->operStatus, 4);
    EXPECT_STREQ(instance->connectionName, L"");

    AdapterLists addressesOnly;
    addressesOnly.AddInfo(kGuidB);
    IP_ADAPTER_ADDRESSES& addresses = addressesOnly.AddAddresses(kGuidA, IfOperStatusUp);
    addressesOnly.AddDnsV4(addresses, "10.0.0.9");
    Discover(instance.get(), addressesOnly);
    EXPECT_EQ(instance->connected, 0);
    EXPECT_EQ(instance->operStatus, 1);
    EXPECT_STREQ(instance->dnsServer, L"10.0.0.9");
    EXPECT_STREQ(instance->dnsSuffix, L"example.test");
    EXPECT_STREQ(instance->connectionName, L"Local Area Connection");
    ExpectResetAddressFields(*instance);
}

TEST(AdapterDiscovery, UnreadableListsStopTheWalkWhereTheyFail) {
    AdapterLists lists;
    AddFullInfo(lists, kGuidA);
    lists.AddAddresses(kGuidA, IfOperStatusUp);
    InstancePtr instance = NewInstance(L"{6B29FC40-CA47-1067-B31D-00DD010662DA}");

    ResetAdapterState(instance.get());
    ApplyAdapterLists(instance.get(), nullptr, lists.Addresses());
    EXPECT_EQ(instance->connected, 0);
    EXPECT_EQ(instance->operStatus, 4);
    EXPECT_STREQ(instance->connectionName, L"");
    ExpectResetAddressFields(*instance);

    ResetAdapterState(instance.get());
    ApplyAdapterLists(instance.get(), lists.Infos(), nullptr);
    EXPECT_EQ(instance->connected, 0);
    EXPECT_STREQ(instance->ipV4Address, L"192.168.1.20");
    EXPECT_EQ(instance->operStatus, 4);
}

TEST(AdapterDiscovery, FirstMatchingEntryWins) {
    AdapterLists lists;
    AddFullInfo(lists, kGuidA);
    SetDotted(lists.AddInfo(kGuidA).IpAddressList.IpAddress, "172.16.0.1");
    lists.AddAddresses(kGuidA, IfOperStatusUp);
    lists.AddAddresses(kGuidA, IfOperStatusDown);
    InstancePtr instance = NewInstance(L"{6B29FC40-CA47-1067-B31D-00DD010662DA}");
    Discover(instance.get(), lists);
    EXPECT_STREQ(instance->ipV4Address, L"192.168.1.20");
    EXPECT_EQ(instance->operStatus, 1);
}

TEST(AdapterDiscovery, UnterminatedSystemTextsStayInBounds) {
    AdapterLists lists;
    IP_ADAPTER_INFO& info = lists.AddInfo(kGuidA);
    std::memset(info.IpAddressList.IpAddress.String, '7', sizeof info.IpAddressList.IpAddress.String);
    lists.AddAddresses(kGuidA, IfOperStatusUp);
    InstancePtr instance = NewInstance(L"{6B29FC40-CA47-1067-B31D-00DD010662DA}");
    Discover(instance.get(), lists);
    EXPECT_STREQ(instance->ipV4Address, L"777777777777777");

    // A name that fills the whole field does not run into the next one.
    AdapterLists longName;
    IP_ADAPTER_INFO& named = longName.AddInfo("");
    std::memset(named.AdapterName, 'A', sizeof named.AdapterName);
    longName.AddAddresses("x", IfOperStatusUp);
    CopyText(instance->adapterGuid, std::wstring(259, L'a').c_str());
    Discover(instance.get(), longName);
    EXPECT_EQ(instance->connected, 0);
}

TEST(AdapterDiscovery, ResetDerivesCounterNameAndEmptiesEverything) {
    AdapterLists lists;
    AddFullInfo(lists, kGuidA);
    lists.AddDnsV4(lists.AddAddresses(kGuidA, IfOperStatusUp), "10.0.0.1");
    InstancePtr instance = NewInstance(L"{6B29FC40-CA47-1067-B31D-00DD010662DA}");
    Discover(instance.get(), lists);
    ASSERT_EQ(instance->connected, 1);
    CopyText(instance->externalIpAddress, L"203.0.113.9");

    ResetAdapterState(instance.get());
    EXPECT_STREQ(instance->counterInstanceName, L"Fast Ethernet [PCI_2] _2");
    EXPECT_EQ(instance->connected, 0);
    EXPECT_EQ(instance->operStatus, 4);
    ExpectResetAddressFields(*instance);
    EXPECT_STREQ(instance->dnsServer, L"");
    EXPECT_STREQ(instance->dnsSuffix, L"");
    EXPECT_STREQ(instance->connectionName, L"");
    EXPECT_STREQ(instance->externalIpAddress, L"");
}

TEST(AdapterDiscovery, AnsiToWideAllocCopiesAndOwns) {
    wchar_t* wide = reinterpret_cast<wchar_t*>(1);
    EXPECT_EQ(AnsiToWideAlloc(nullptr, &wide), S_OK);
    EXPECT_EQ(wide, nullptr);

    EXPECT_EQ(AnsiToWideAlloc("10.0.0.1", &wide), S_OK);
    ASSERT_NE(wide, nullptr);
    EXPECT_STREQ(wide, L"10.0.0.1");
    CoTaskMemFree(wide);

    EXPECT_EQ(AnsiToWideAlloc("", &wide), S_OK);
    ASSERT_NE(wide, nullptr);
    EXPECT_STREQ(wide, L"");
    CoTaskMemFree(wide);

    EXPECT_EQ(AnsiToWideAlloc("x", nullptr), E_POINTER);
}

// Wine reports the machine's real interfaces; the module must find the first of
// them exactly as the system lists it.
TEST(AdapterDiscovery, FindsTheSystemsFirstAdapter) {
    ULONG size = 0;
    ASSERT_EQ(GetAdaptersInfo(nullptr, &size), static_cast<ULONG>(ERROR_BUFFER_OVERFLOW));
    std::vector<unsigned char> buffer(size);
    auto* first = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
    ASSERT_EQ(GetAdaptersInfo(first, &size), static_cast<ULONG>(NO_ERROR));

    wchar_t guid[260];
    ASSERT_TRUE(AnsiToWide(first->AdapterName, guid, 260));
    wchar_t expectedAddress[16];
    ASSERT_TRUE(AnsiToWide(first->IpAddressList.IpAddress.String, expectedAddress, 16));

    InstancePtr instance = NewInstance(guid);
    DiscoverAdapter(instance.get());
    EXPECT_EQ(instance->connected, 1);
    EXPECT_STREQ(instance->ipV4Address, expectedAddress);
    EXPECT_NE(instance->operStatus, 0);
    const size_t macBytes = std::min<size_t>(first->AddressLength, 6);
    EXPECT_EQ(std::wcslen(instance->macAddress), macBytes > 0 ? macBytes * 3 - 1 : 0);

    CopyText(instance->adapterGuid, L"{00000000-0000-0000-0000-000000000000}");
    DiscoverAdapter(instance.get());
    EXPECT_EQ(instance->connected, 0);
    EXPECT_STREQ(instance->ipV4Address, L"");
}

}  // namespace
