#include "measure/adapter_discovery.h"

#include "base/owners.h"
#include "base/text.h"
#include "measure/counter_instance_name.h"
#include "measure/default_route.h"

#include <objbase.h>

#include <climits>
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
// list could not be read.
template <typename ListCall>
HeapBuffer FetchList(ULONG initialSize, ListCall call) noexcept {
    ULONG size = initialSize;
    HeapBuffer buffer = HeapAllocate(size);
    if (!buffer) {
        return HeapBuffer();
    }
    ULONG result = call(buffer.get(), &size);
    if (result == ERROR_BUFFER_OVERFLOW) {
        buffer.reset();
        buffer = HeapAllocate(size);
        if (!buffer) {
            return HeapBuffer();
        }
        result = call(buffer.get(), &size);
    }
    if (result != NO_ERROR) {
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

void FormatMacAddress(const IP_ADAPTER_INFO* adapterInfo, DockletInstance* instance) noexcept {
    static_assert(sizeof instance->macAddress / sizeof(wchar_t) >= kMacBytes * 3,
                  "six bytes as XX: pairs must fit the field");
    constexpr wchar_t kHexDigits[] = L"0123456789ABCDEF";
    size_t length = adapterInfo->AddressLength;
    if (length > kMacBytes) {
        length = kMacBytes;
    }
    wchar_t* out = instance->macAddress;
    for (size_t i = 0; i < length; ++i) {
        if (i > 0) {
            *out++ = L':';
        }
        const BYTE byte = adapterInfo->Address[i];
        *out++ = kHexDigits[byte >> 4];
        *out++ = kHexDigits[byte & 0x0F];
    }
    *out = L'\0';
}

// The first two IPv4 servers of the list, in its order; entries of other
// families carry no dotted form and are passed over.
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
         server && steps < kMaxListEntries && found < 2; server = server->Next, ++steps) {
        const SOCKET_ADDRESS& address = server->Address;
        if (!address.lpSockaddr || address.iSockaddrLength < static_cast<INT>(sizeof(sockaddr_in)) ||
            address.lpSockaddr->sa_family != AF_INET) {
            continue;
        }
        const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(address.lpSockaddr);
        const CoTaskText wide = Widen(inet_ntoa(ipv4->sin_addr));
        CopyText(fields[found++], sizeof instance->dnsServer / sizeof instance->dnsServer[0], wide.get());
    }
}

void CopyAdapterAddresses(const IP_ADAPTER_ADDRESSES* entry, DockletInstance* instance) noexcept {
    CopyDnsServers(entry, instance);
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
    instance->dhcpEnabled = 0;
    instance->haveWins = 0;
    instance->leaseObtained = -1;
    instance->leaseExpires = -1;
    instance->operStatus = IfOperStatusUnknown;
    instance->connected = 0;
}

void CopyAdapterInfo(const IP_ADAPTER_INFO* adapterInfo, DockletInstance* instance) noexcept {
    FormatMacAddress(adapterInfo, instance);
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
    if (!infoList) {
        return;
    }
    bool inInfoList = false;
    size_t steps = 0;
    for (const IP_ADAPTER_INFO* entry = infoList; entry && steps < kMaxListEntries; entry = entry->Next, ++steps) {
        if (InfoEntryMatches(entry, instance)) {
            CopyAdapterInfo(entry, instance);
            inInfoList = true;
            break;
        }
    }

    if (!addressList) {
        return;
    }
    bool inAddressList = false;
    steps = 0;
    for (const IP_ADAPTER_ADDRESSES* entry = addressList; entry && steps < kMaxListEntries;
         entry = entry->Next, ++steps) {
        if (AddressesEntryMatches(entry, instance)) {
            CopyAdapterAddresses(entry, instance);
            inAddressList = true;
            break;
        }
    }
    instance->connected = inInfoList && inAddressList ? 1 : 0;
}

void DiscoverAdapter(DockletInstance* instance) noexcept {
    ResetAdapterState(instance);
    const HeapBuffer infoList = FetchList(kInitialAdapterInfoSize, [](void* buffer, ULONG* size) noexcept {
        return GetAdaptersInfo(static_cast<IP_ADAPTER_INFO*>(buffer), size);
    });
    if (!infoList) {
        return;
    }
    const HeapBuffer addressList = FetchList(kInitialAdapterAddressesSize, [](void* buffer, ULONG* size) noexcept {
        return GetAdaptersAddresses(AF_UNSPEC, GAA_FLAG_INCLUDE_PREFIX, nullptr,
                                    static_cast<IP_ADAPTER_ADDRESSES*>(buffer), size);
    });
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
