// Adapter lists a dock cannot serve (see integration/adapter_discovery_test):
// system texts without terminators, and the machine's own adapters.
#include "measure/adapter_discovery.h"

#include "base/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

namespace {

struct InstanceFree {
    void operator()(DockletInstance* instance) const { std::free(instance); }
};
using InstancePtr = std::unique_ptr<DockletInstance, InstanceFree>;

InstancePtr NewInstance(const wchar_t* adapterGuid) {
    InstancePtr instance(static_cast<DockletInstance*>(std::calloc(1, sizeof(DockletInstance))));
    CopyText(instance->adapterGuid, adapterGuid);
    CopyText(instance->interfaceDescription, L"Fast Ethernet (PCI/2) #2");
    return instance;
}

TEST(AdapterDiscovery, FieldsWithoutTerminatorOrWithWildLengthsStayInBounds) {
    const char guid[] = "{6B29FC40-CA47-1067-B31D-00DD010662DA}";
    IP_ADAPTER_INFO info{};
    std::strcpy(info.AdapterName, guid);
    std::memset(info.IpAddressList.IpAddress.String, '7', sizeof info.IpAddressList.IpAddress.String);
    const BYTE mac[] = {0xFE, 0x80, 0x00, 0x01, 0xAB, 0xCD, 0xEF, 0x12};
    std::memcpy(info.Address, mac, sizeof mac);
    info.AddressLength = 0xFFFFFFFF;
    IP_ADAPTER_ADDRESSES addresses{};
    addresses.AdapterName = info.AdapterName;
    addresses.OperStatus = IfOperStatusUp;

    InstancePtr instance = NewInstance(L"{6B29FC40-CA47-1067-B31D-00DD010662DA}");
    ResetAdapterState(instance.get());
    ApplyAdapterLists(instance.get(), &info, &addresses);
    EXPECT_EQ(instance->connected, 1);
    // The whole unterminated 16-character field, and nothing past it.
    EXPECT_STREQ(instance->ipV4Address, L"7777777777777777");
    EXPECT_STREQ(instance->macAddress, L"FE:80:00:01:AB:CD");

    // A name that fills the whole field does not run into the next one.
    std::memset(info.AdapterName, 'A', sizeof info.AdapterName);
    char shortName[] = "x";
    addresses.AdapterName = shortName;
    CopyText(instance->adapterGuid, std::wstring(259, L'a').c_str());
    ResetAdapterState(instance.get());
    ApplyAdapterLists(instance.get(), &info, &addresses);
    EXPECT_EQ(instance->connected, 0);
}

// A list whose last entry points back into it (adapters or DNS servers) ends the walk.
TEST(AdapterDiscovery, CyclicListsEnd) {
    IP_ADAPTER_INFO info{};
    std::strcpy(info.AdapterName, "{6B29FC40-CA47-1067-B31D-00DD010662DA}");
    info.Next = &info;
    IP_ADAPTER_ADDRESSES addresses{};
    addresses.AdapterName = info.AdapterName;
    addresses.Next = &addresses;
    sockaddr_in ipv4{};
    ipv4.sin_family = AF_INET;
    ipv4.sin_addr.S_un.S_un_b = {192, 0, 2, 53};
    IP_ADAPTER_DNS_SERVER_ADDRESS server{};
    server.Address = {reinterpret_cast<sockaddr*>(&ipv4), sizeof ipv4};
    server.Next = &server;
    addresses.FirstDnsServerAddress = &server;

    for (const wchar_t* guid : {L"{00000000-0000-0000-0000-000000000001}", L"{6B29FC40-CA47-1067-B31D-00DD010662DA}"}) {
        InstancePtr instance = NewInstance(guid);
        ResetAdapterState(instance.get());
        ApplyAdapterLists(instance.get(), &info, &addresses);
        EXPECT_EQ(instance->connected, guid[1] == L'6' ? 1 : 0);
        EXPECT_STREQ(instance->dnsServer, guid[1] == L'6' ? L"192.0.2.53" : L"");
    }
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
