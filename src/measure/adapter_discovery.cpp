#include "measure/adapter_discovery.h"

#include "base/ipv6_text.h"
#include "base/owners.h"
#include "base/text.h"
#include "measure/counter_instance_name.h"
#include "measure/default_route.h"

#include <objbase.h>
#include <ws2tcpip.h>

#include <climits>
#include <cstddef>
#include <cstring>
#include <cwchar>

namespace {

// First guesses for the two lists, about one entry each; when more adapters are
// present the system reports the size it needs and the call is made once more.
constexpr ULONG kInitialAdapterInfoSize = 648;
constexpr ULONG kInitialAdapterAddressesSize = 368;

// The system's lists hold a few dozen entries; a corrupt or cyclic list is
// walked no further than this instead of forever.
constexpr size_t kMaxListEntries = 4096;

// Six bytes, the only hardware addresses the macAddress field has room for.
constexpr size_t kMacBytes = 6;

using HeapBuffer = ProcessHeapOwner;
using CoTaskText = CoTaskTextOwner;

// inet_ntoa needs Winsock started in the process; a dock need not have done so.
class WinsockSession {
public:
    WinsockSession() noexcept {
        WSADATA data;
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WinsockSession() {
        if (started_) {
            WSACleanup();
        }
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;

private:
    bool started_ = false;
};

HeapBuffer HeapAllocate(ULONG size) noexcept { return HeapBuffer(HeapAlloc(GetProcessHeap(), 0, size)); }

// One list call with one retry at the size the system asked for. Null when the
// list could not be read; *result then says why.
template <typename ListCall>
HeapBuffer FetchList(ULONG initialSize, ListCall call, ULONG* result) noexcept {
    ULONG size = initialSize;
    *result = ERROR_NOT_ENOUGH_MEMORY;
    HeapBuffer buffer = HeapAllocate(size);
    if (!buffer) {
        return HeapBuffer();
    }
    *result = call(buffer.get(), &size);
    if (*result == ERROR_BUFFER_OVERFLOW) {
        buffer.reset();
        *result = ERROR_NOT_ENOUGH_MEMORY;
        buffer = HeapAllocate(size);
        if (!buffer) {
            return HeapBuffer();
        }
        *result = call(buffer.get(), &size);
    }
    if (*result != NO_ERROR) {
        return HeapBuffer();
    }
    return buffer;
}

CoTaskText Widen(const char* text) noexcept {
    wchar_t* wide = nullptr;
    AnsiToWideAlloc(text, &wide);
    return CoTaskText(wide);
}

// An empty adapterGuid means no adapter, even one whose name is empty.
bool IsConfiguredAdapter(const wchar_t* name, const DockletInstance* instance) noexcept {
    constexpr size_t capacity = sizeof instance->adapterGuid / sizeof instance->adapterGuid[0];
    return name && instance->adapterGuid[0] != 0 && _wcsnicmp(name, instance->adapterGuid, capacity) == 0;
}

bool InfoEntryMatches(const IP_ADAPTER_INFO* entry, const DockletInstance* instance) noexcept {
    char name[sizeof entry->AdapterName + 1];
    std::memcpy(name, entry->AdapterName, sizeof entry->AdapterName);
    name[sizeof entry->AdapterName] = '\0';
    wchar_t wideName[sizeof name];
    return AnsiToWide(name, wideName, sizeof name) && IsConfiguredAdapter(wideName, instance);
}

bool AddressesEntryMatches(const IP_ADAPTER_ADDRESSES* entry, const DockletInstance* instance) noexcept {
    const CoTaskText name = Widen(entry->AdapterName);
    return IsConfiguredAdapter(name.get(), instance);
}

// The fixed dotted-form field need not be terminated inside its bounds.
template <size_t N>
void CopyDotted(wchar_t (&field)[N], const IP_ADDRESS_STRING& address) noexcept {
    char dotted[sizeof address.String + 1];
    std::memcpy(dotted, address.String, sizeof address.String);
    dotted[sizeof address.String] = '\0';
    const CoTaskText wide = Widen(dotted);
    CopyText(field, wide.get());
}

void FormatMacAddress(const BYTE* address, size_t length, DockletInstance* instance) noexcept {
    static_assert(sizeof instance->macAddress / sizeof(wchar_t) >= kMacBytes * 3,
                  "six bytes as XX: pairs must fit the field");
    constexpr wchar_t kHexDigits[] = L"0123456789ABCDEF";
    if (length > kMacBytes) {
        length = kMacBytes;
    }
    wchar_t* out = instance->macAddress;
    for (size_t i = 0; i < length; ++i) {
        if (i > 0) {
            *out++ = L':';
        }
        const BYTE byte = address[i];
        *out++ = kHexDigits[byte >> 4];
        *out++ = kHexDigits[byte & 0x0F];
    }
    *out = L'\0';
}

// The 16 bytes of an IPv6 socket address; false for any other family or a
// length too short to hold one.
bool Ipv6Of(const SOCKET_ADDRESS& address, Ipv6Bytes& bytes) noexcept {
    if (!address.lpSockaddr || address.iSockaddrLength < static_cast<INT>(sizeof(sockaddr_in6)) ||
        address.lpSockaddr->sa_family != AF_INET6) {
        return false;
    }
    std::memcpy(bytes, reinterpret_cast<const sockaddr_in6*>(address.lpSockaddr)->sin6_addr.s6_addr, sizeof bytes);
    return true;
}

// The first two IPv4 servers of the list, in its order, and the first IPv6
// one (formatted from its bytes, so without a zone).
void CopyDnsServers(const IP_ADAPTER_ADDRESSES* entry, DockletInstance* instance) noexcept {
    if (!entry->FirstDnsServerAddress) {
        return;
    }
    const WinsockSession winsock;
    static_assert(sizeof instance->secondaryDnsServer == sizeof instance->dnsServer, "one bound for both");
    wchar_t* const fields[] = {instance->dnsServer, instance->secondaryDnsServer};
    size_t found = 0;
    size_t steps = 0;
    for (const IP_ADAPTER_DNS_SERVER_ADDRESS* server = entry->FirstDnsServerAddress;
         server && steps < kMaxListEntries; server = server->Next, ++steps) {
        const SOCKET_ADDRESS& address = server->Address;
        Ipv6Bytes ipv6;
        if (Ipv6Of(address, ipv6)) {
            if (instance->ipV6DnsServer[0] == L'\0') {
                FormatIpv6(ipv6, instance->ipV6DnsServer);
            }
            continue;
        }
        if (found == 2 || !address.lpSockaddr || address.iSockaddrLength < static_cast<INT>(sizeof(sockaddr_in)) ||
            address.lpSockaddr->sa_family != AF_INET) {
            continue;
        }
        const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(address.lpSockaddr);
        const CoTaskText wide = Widen(inet_ntoa(ipv4->sin_addr));
        CopyText(fields[found++], sizeof instance->dnsServer / sizeof instance->dnsServer[0], wide.get());
    }
}

// Only addresses the system has confirmed and prefers are shown: deprecated,
// tentative and duplicate ones are passed over. The stable global address is
// the first listed; of temporary ones (random suffix) the one preferred longest.
void CopyUnicastIpv6(const IP_ADAPTER_ADDRESSES* entry, DockletInstance* instance) noexcept {
    bool haveTemporary = false;
    ULONG temporaryLifetime = 0;
    size_t steps = 0;
    for (const IP_ADAPTER_UNICAST_ADDRESS* unicast = entry->FirstUnicastAddress; unicast && steps < kMaxListEntries;
         unicast = unicast->Next, ++steps) {
        Ipv6Bytes bytes;
        if (!Ipv6Of(unicast->Address, bytes) || unicast->DadState != IpDadStatePreferred) {
            continue;
        }
        if (IsLinkLocalIpv6(bytes)) {
            if (instance->ipV6LinkLocal[0] == L'\0') {
                FormatIpv6(bytes, instance->ipV6LinkLocal);
            }
        } else if (!IsOutsideIpv6(bytes)) {
            continue;
        } else if (unicast->SuffixOrigin == IpSuffixOriginRandom) {
            if (!haveTemporary || unicast->PreferredLifetime > temporaryLifetime) {
                FormatIpv6(bytes, instance->ipV6TemporaryAddress);
                haveTemporary = true;
                temporaryLifetime = unicast->PreferredLifetime;
            }
        } else if (instance->ipV6Address[0] == L'\0') {
            FormatIpv6(bytes, instance->ipV6Address);
        }
    }
}

// The gateway list is known from Windows Vista on; an older, shorter entry has none.
void CopyIpv6Gateway(const IP_ADAPTER_ADDRESSES* entry, DockletInstance* instance) noexcept {
    if (entry->Length < offsetof(IP_ADAPTER_ADDRESSES, FirstGatewayAddress) + sizeof entry->FirstGatewayAddress) {
        return;
    }
    size_t steps = 0;
    for (const IP_ADAPTER_GATEWAY_ADDRESS_LH* gateway = entry->FirstGatewayAddress;
         gateway && steps < kMaxListEntries; gateway = gateway->Next, ++steps) {
        Ipv6Bytes bytes;
        if (Ipv6Of(gateway->Address, bytes)) {
            FormatIpv6(bytes, instance->ipV6Gateway);
            return;
        }
    }
}

void CopyAdapterAddresses(const IP_ADAPTER_ADDRESSES* entry, DockletInstance* instance) noexcept {
    // An adapter without IPv4 has its hardware address from this list alone.
    if (instance->macAddress[0] == L'\0') {
        FormatMacAddress(entry->PhysicalAddress, entry->PhysicalAddressLength, instance);
    }
    CopyDnsServers(entry, instance);
    CopyUnicastIpv6(entry, instance);
    CopyIpv6Gateway(entry, instance);
    CopyText(instance->dnsSuffix, entry->DnsSuffix);
    CopyText(instance->connectionName, entry->FriendlyName);
    instance->operStatus = static_cast<int32_t>(entry->OperStatus);
}

}  // namespace

HRESULT AnsiToWideAlloc(const char* text, wchar_t** out) noexcept {
    if (!out) {
        return E_POINTER;
    }
    *out = nullptr;
    if (!text) {
        return S_OK;
    }
    const size_t length = std::strlen(text) + 1;
    if (length > static_cast<size_t>(INT_MAX) / sizeof(wchar_t)) {
        return E_OUTOFMEMORY;
    }
    const int count = static_cast<int>(length);
    CoTaskText wide(static_cast<wchar_t*>(CoTaskMemAlloc(length * sizeof(wchar_t))));
    if (!wide) {
        return E_OUTOFMEMORY;
    }
    if (MultiByteToWideChar(CP_ACP, 0, text, count, wide.get(), count) == 0) {
        const DWORD error = GetLastError();
        return error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : E_FAIL;
    }
    *out = wide.release();
    return S_OK;
}

void ResetAdapterState(DockletInstance* instance) noexcept {
    CopyText(instance->counterInstanceName, instance->interfaceDescription);
    ToCounterInstanceName(instance->counterInstanceName);

    instance->macAddress[0] = L'\0';
    instance->ipV4Address[0] = L'\0';
    instance->netMask[0] = L'\0';
    instance->ipV4Gateway[0] = L'\0';
    instance->dhcpServer[0] = L'\0';
    instance->primaryWinsServer[0] = L'\0';
    instance->secondaryWinsServer[0] = L'\0';
    instance->dnsServer[0] = L'\0';
    instance->secondaryDnsServer[0] = L'\0';
    instance->dnsSuffix[0] = L'\0';
    instance->connectionName[0] = L'\0';
    instance->externalIpAddress[0] = L'\0';
    instance->ipV6Address[0] = L'\0';
    instance->ipV6TemporaryAddress[0] = L'\0';
    instance->ipV6LinkLocal[0] = L'\0';
    instance->ipV6Gateway[0] = L'\0';
    instance->ipV6DnsServer[0] = L'\0';
    instance->externalIpV6Address[0] = L'\0';
    instance->dhcpEnabled = 0;
    instance->haveWins = 0;
    instance->leaseObtained = -1;
    instance->leaseExpires = -1;
    instance->operStatus = IfOperStatusUnknown;
    instance->connected = 0;
}

void CopyAdapterInfo(const IP_ADAPTER_INFO* adapterInfo, DockletInstance* instance) noexcept {
    FormatMacAddress(adapterInfo->Address, adapterInfo->AddressLength, instance);
    CopyDotted(instance->ipV4Address, adapterInfo->IpAddressList.IpAddress);
    CopyDotted(instance->netMask, adapterInfo->IpAddressList.IpMask);
    CopyDotted(instance->ipV4Gateway, adapterInfo->GatewayList.IpAddress);

    instance->dhcpEnabled = static_cast<int32_t>(adapterInfo->DhcpEnabled);
    if (instance->dhcpEnabled != 0) {
        instance->leaseObtained = static_cast<int64_t>(adapterInfo->LeaseObtained);
        instance->leaseExpires = static_cast<int64_t>(adapterInfo->LeaseExpires);
        CopyDotted(instance->dhcpServer, adapterInfo->DhcpServer.IpAddress);
    }

    instance->haveWins = adapterInfo->HaveWins;
    if (instance->haveWins != 0) {
        CopyDotted(instance->primaryWinsServer, adapterInfo->PrimaryWinsServer.IpAddress);
        CopyDotted(instance->secondaryWinsServer, adapterInfo->SecondaryWinsServer.IpAddress);
    }
}

void ApplyAdapterLists(DockletInstance* instance, const IP_ADAPTER_INFO* infoList,
                       const IP_ADAPTER_ADDRESSES* addressList) noexcept {
    size_t steps = 0;
    for (const IP_ADAPTER_INFO* entry = infoList; entry && steps < kMaxListEntries; entry = entry->Next, ++steps) {
        if (InfoEntryMatches(entry, instance)) {
            CopyAdapterInfo(entry, instance);
            break;
        }
    }
    // An adapter with no IPv4 binding is in this list alone, and counts as well.
    steps = 0;
    for (const IP_ADAPTER_ADDRESSES* entry = addressList; entry && steps < kMaxListEntries;
         entry = entry->Next, ++steps) {
        if (AddressesEntryMatches(entry, instance)) {
            CopyAdapterAddresses(entry, instance);
            instance->connected = 1;
            return;
        }
    }
}

void DiscoverAdapter(DockletInstance* instance) noexcept {
    ResetAdapterState(instance);
    // A machine without a single IPv4 binding has no IPv4 list (ERROR_NO_DATA):
    // its adapters are in the second list alone.
    ULONG infoResult = NO_ERROR;
    const HeapBuffer infoList = FetchList(kInitialAdapterInfoSize, [](void* buffer, ULONG* size) noexcept {
        return GetAdaptersInfo(static_cast<IP_ADAPTER_INFO*>(buffer), size);
    }, &infoResult);
    if (!infoList && infoResult != ERROR_NO_DATA) {
        return;
    }
    ULONG addressesResult = NO_ERROR;
    const HeapBuffer addressList = FetchList(kInitialAdapterAddressesSize, [](void* buffer, ULONG* size) noexcept {
        return GetAdaptersAddresses(AF_UNSPEC, GAA_FLAG_INCLUDE_PREFIX | GAA_FLAG_INCLUDE_GATEWAYS, nullptr,
                                    static_cast<IP_ADAPTER_ADDRESSES*>(buffer), size);
    }, &addressesResult);
    if (!addressList) {
        return;
    }
    const auto* info = static_cast<const IP_ADAPTER_INFO*>(infoList.get());
    const auto* addresses = static_cast<const IP_ADAPTER_ADDRESSES*>(addressList.get());
    if (instance->adapterChoice == kAdapterAutomatic) {
        // No route, or one through an unlisted interface: the last adapter stays, shown absent.
        DWORD index = 0;
        if (!DefaultRouteInterface(&index) || !FollowRouteTo(instance, index, info, addresses)) {
            return;
        }
        ResetAdapterState(instance);
    }
    ApplyAdapterLists(instance, info, addresses);
}
