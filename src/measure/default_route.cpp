#include "measure/default_route.h"

#include "base/rate_history.h"
#include "base/text.h"
#include "measure/counter_instance_name.h"

#include <ws2tcpip.h>

#include <cstdint>
#include <cstring>
#include <cwchar>

namespace {

// Lists are walked at most this far, whatever their links say.
constexpr size_t kMaxEntries = 256;

// The identity of the adapter the route goes through.
struct RoutedAdapter {
    wchar_t guid[260];
    wchar_t description[256];
};

template <size_t N>
bool WidenField(const char* text, size_t length, wchar_t (&out)[N]) noexcept {
    char terminated[N];
    const size_t used = length < N - 1 ? length : N - 1;
    std::memcpy(terminated, text, used);
    terminated[used] = '\0';
    return AnsiToWide(terminated, out, N);
}

bool FindInInfoList(DWORD index, const IP_ADAPTER_INFO* list, RoutedAdapter* found) noexcept {
    size_t steps = 0;
    for (const IP_ADAPTER_INFO* entry = list; entry && steps < kMaxEntries; entry = entry->Next, ++steps) {
        if (entry->Index == index) {
            return WidenField(entry->AdapterName, strnlen(entry->AdapterName, sizeof entry->AdapterName),
                              found->guid) &&
                   WidenField(entry->Description, strnlen(entry->Description, sizeof entry->Description),
                              found->description);
        }
    }
    return false;
}

bool FindInAddressList(DWORD index, const IP_ADAPTER_ADDRESSES* list, RoutedAdapter* found) noexcept {
    size_t steps = 0;
    for (const IP_ADAPTER_ADDRESSES* entry = list; entry && steps < kMaxEntries; entry = entry->Next, ++steps) {
        if ((entry->IfIndex == index || entry->Ipv6IfIndex == index) && entry->AdapterName) {
            CopyText(found->description, entry->Description ? entry->Description : L"");
            return WidenField(entry->AdapterName, strnlen(entry->AdapterName, sizeof found->guid), found->guid);
        }
    }
    return false;
}

void EmptyHistory(Warr<double>* history) noexcept {
    if (history) {
        history->Clear();
    }
}

}  // namespace

bool DefaultRouteInterface(DWORD* index) noexcept {
    // No packet is sent: the system only looks the address up in its routes,
    // and any address outside the local networks takes the default one.
    sockaddr_in outside{};
    outside.sin_family = AF_INET;
    outside.sin_addr.s_addr = htonl(0x08080808);
    if (GetBestInterfaceEx(reinterpret_cast<sockaddr*>(&outside), index) == NO_ERROR) {
        return true;
    }
    // A link with no IPv4 default route (many mobile networks) may still carry IPv6's.
    static const uint8_t kOutsideIpv6[16] = {0x20, 0x01, 0x48, 0x60, 0x48, 0x60, 0, 0, 0, 0, 0, 0, 0, 0, 0x88, 0x88};
    sockaddr_in6 outside6{};
    outside6.sin6_family = AF_INET6;
    std::memcpy(outside6.sin6_addr.s6_addr, kOutsideIpv6, sizeof kOutsideIpv6);
    return GetBestInterfaceEx(reinterpret_cast<sockaddr*>(&outside6), index) == NO_ERROR;
}

bool FollowRouteTo(DockletInstance* instance, DWORD index, const IP_ADAPTER_INFO* infoList,
                   const IP_ADAPTER_ADDRESSES* addressList) noexcept {
    RoutedAdapter routed{};
    if (!FindInInfoList(index, infoList, &routed) && !FindInAddressList(index, addressList, &routed)) {
        return false;
    }
    constexpr size_t guidCapacity = sizeof instance->adapterGuid / sizeof instance->adapterGuid[0];
    if (_wcsnicmp(routed.guid, instance->adapterGuid, guidCapacity) == 0) {
        return true;
    }
    CopyText(instance->adapterGuid, routed.guid);
    CopyText(instance->interfaceDescription, routed.description);
    CopyText(instance->counterInstanceName, instance->interfaceDescription);
    ToCounterInstanceName(instance->counterInstanceName);
    // Another adapter's counters have nothing to do with the old readings.
    instance->totalRate = 0.0;
    instance->uploadRate = 0.0;
    instance->downloadRate = 0.0;
    instance->bandwidth = 0.0;
    instance->bandwidthSample = RawCounterSample{};
    EmptyHistory(instance->totalHistory);
    EmptyHistory(instance->downloadHistory);
    EmptyHistory(instance->uploadHistory);
    EmptyHistory(instance->bandwidthHistory);
    instance->samplerReady = 0;
    return true;
}
