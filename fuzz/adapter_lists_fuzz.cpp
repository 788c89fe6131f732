// Hostile adapter lists for ApplyAdapterLists: IP_ADAPTER_INFO and
// IP_ADAPTER_ADDRESSES lists (and their DNS server, unicast and gateway
// lists, the last behind entries of any Length) that are cyclic, longer
// than any machine's, or end in null at a random place, with names and fixed
// texts that fill their fields without a terminator, wild hardware address
// lengths and short or foreign socket addresses. The entries end right at a
// guard page; the walk must end, stay in bounds, and find the configured
// adapter exactly when a plain walk of the same shape does.
#include "fuzz_driver.h"

#include "base/text.h"
#include "measure/adapter_discovery.h"

#include <ws2tcpip.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const kGuids[] = {"{6B29FC40-CA47-1067-B31D-00DD010662DA}", "{00000000-0000-0000-0000-000000000001}",
                              "{F0E1D2C3-B4A5-9687-7869-5A4B3C2D1E0F}"};

// Next of entry i: the following one, null, or a jump back (a cycle).
std::vector<int> Shape(FuzzRng& rng, size_t count) {
    std::vector<int> next(count);
    for (size_t i = 0; i < count; ++i) {
        next[i] = i + 1 < count ? static_cast<int>(i + 1) : -1;
    }
    if (count && rng.OneIn(2)) {
        next[count - 1] = static_cast<int>(rng.Below(count));  // cyclic
    }
    if (count && rng.OneIn(4)) {
        next[rng.Below(count)] = -1;
    }
    return next;
}

size_t EntryCount(FuzzRng& rng) { return rng.OneIn(300) ? 4000 + rng.Below(2000) : 1 + rng.Below(12); }

// Whether a walk of this shape meets a match: kYes, kNo, or kUnknown when the
// first match lies further than any sane bound on the walk need reach.
enum class Walk { kYes, kNo, kUnknown };
Walk FirstMatch(const std::vector<int>& next, const std::vector<bool>& matches) {
    std::vector<bool> seen(next.size());
    size_t steps = 0;
    for (int i = next.empty() ? -1 : 0; i >= 0 && !seen[i]; i = next[i], ++steps) {
        if (matches[i]) {
            return steps < 1000 ? Walk::kYes : Walk::kUnknown;
        }
        seen[i] = true;
    }
    return Walk::kNo;
}

template <size_t N>
bool Terminated(const wchar_t (&field)[N]) {
    return std::wmemchr(field, L'\0', N) != nullptr;
}

void Run(uint64_t seed, uint64_t first, uint64_t count) {
    GuardedArena infoArena(6000 * sizeof(IP_ADAPTER_INFO));
    GuardedArena addressArena(6000 * sizeof(IP_ADAPTER_ADDRESSES));
    GuardedArena nameArena(4096);
    GuardedArena textArena(4096);
    GuardedArena socketArena(4096);
    auto* instance = static_cast<DockletInstance*>(std::calloc(1, sizeof(DockletInstance)));
    for (uint64_t index = first; index < first + count; ++index) {
        FuzzRng rng = InputRng(seed, index);
        const char* wanted = rng.OneIn(8) ? "" : rng.Pick(kGuids);
        std::memset(instance, 0, sizeof *instance);
        AnsiToWide(wanted, instance->adapterGuid, 260);
        ResetAdapterState(instance);

        const size_t infoCount = EntryCount(rng);
        auto* infos = reinterpret_cast<IP_ADAPTER_INFO*>(infoArena.ReserveAtEnd(infoCount * sizeof(IP_ADAPTER_INFO)));
        const std::vector<int> infoNext = Shape(rng, infoCount);
        std::vector<bool> infoMatches(infoCount);
        for (size_t i = 0; i < infoCount; ++i) {
            IP_ADAPTER_INFO& info = infos[i];
            std::memset(&info, rng.OneIn(4) ? 0x37 : 0, sizeof info);
            info.Next = infoNext[i] < 0 ? nullptr : &infos[infoNext[i]];
            if (rng.OneIn(6)) {
                std::memset(info.AdapterName, 'A' + rng.Below(3), sizeof info.AdapterName);  // no terminator
            } else {
                std::strcpy(info.AdapterName, rng.Pick(kGuids));
                infoMatches[i] = *wanted && !std::strcmp(info.AdapterName, wanted);
            }
            info.AddressLength = rng.OneIn(2) ? rng.Below(10) : static_cast<UINT>(rng.Next());
            info.DhcpEnabled = rng.Below(3);
            info.HaveWins = rng.OneIn(2);
        }

        const size_t addressCount = EntryCount(rng);
        auto* addresses = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(
            addressArena.ReserveAtEnd(addressCount * sizeof(IP_ADAPTER_ADDRESSES)));
        const std::vector<int> addressNext = Shape(rng, addressCount);
        std::vector<bool> addressMatches(addressCount);
        // The texts and socket addresses the entries point at; one of them ends at a guard page.
        static const wchar_t kLongText[] = L"Local Area Connection with a name longer than any field would hold";
        static char names[3][64];
        static SOCKADDR_STORAGE sockets[3];
        static IP_ADAPTER_DNS_SERVER_ADDRESS servers[8];
        static IP_ADAPTER_UNICAST_ADDRESS unicasts[8];
        static IP_ADAPTER_GATEWAY_ADDRESS_LH gateways[8];
        for (int i = 0; i < 3; ++i) {
            std::strcpy(names[i], kGuids[i]);
        }
        const char* guardedName = reinterpret_cast<const char*>(
            nameArena.AtEnd(wanted, std::strlen(wanted) + 1));
        const auto* guardedText = reinterpret_cast<const wchar_t*>(textArena.AtEnd(kLongText, sizeof kLongText));
        sockaddr_in ipv4{};
        ipv4.sin_family = AF_INET;
        ipv4.sin_addr.s_addr = static_cast<ULONG>(rng.Next());
        const auto* guardedSocket = reinterpret_cast<const sockaddr*>(socketArena.AtEnd(&ipv4, sizeof ipv4));
        for (size_t s = 0; s < 8; ++s) {
            const unsigned kind = rng.Below(5);
            servers[s] = {};
            servers[s].Address.lpSockaddr = kind == 0 ? nullptr : kind == 1 ? const_cast<sockaddr*>(guardedSocket)
                                                                            : reinterpret_cast<sockaddr*>(&sockets[s % 3]);
            servers[s].Address.iSockaddrLength = kind == 2 ? 2 : kind == 4 ? -1 : sizeof(sockaddr_in);
            sockets[s % 3].ss_family = rng.OneIn(2) ? AF_INET : AF_INET6;
            servers[s].Next = rng.OneIn(3) ? nullptr : &servers[rng.Below(8)];
            // The IPv6 lists: the same kinds of address, IPv6 ones whole or cut short.
            unicasts[s] = {};
            gateways[s] = {};
            unicasts[s].Address = gateways[s].Address = servers[s].Address;
            if (kind == 3 && sockets[s % 3].ss_family == AF_INET6) {
                unicasts[s].Address.iSockaddrLength = gateways[s].Address.iSockaddrLength =
                    rng.OneIn(2) ? sizeof(sockaddr_in6) : sizeof(sockaddr_in6) - 1;
                unsigned char* bytes = reinterpret_cast<sockaddr_in6*>(&sockets[s % 3])->sin6_addr.s6_addr;
                const bool linkLocal = rng.OneIn(2);
                bytes[0] = linkLocal ? 0xFE : 0x20;
                bytes[1] = linkLocal ? 0x80 : 0x01;
            }
            unicasts[s].DadState = static_cast<IP_DAD_STATE>(rng.Below(6));
            unicasts[s].SuffixOrigin = static_cast<IP_SUFFIX_ORIGIN>(rng.Below(6));
            unicasts[s].PreferredLifetime = static_cast<ULONG>(rng.Next());
            unicasts[s].Next = rng.OneIn(3) ? nullptr : &unicasts[rng.Below(8)];
            gateways[s].Next = rng.OneIn(3) ? nullptr : &gateways[rng.Below(8)];
        }
        for (size_t i = 0; i < addressCount; ++i) {
            IP_ADAPTER_ADDRESSES& entry = addresses[i];
            std::memset(&entry, 0, sizeof entry);
            entry.Next = addressNext[i] < 0 ? nullptr : &addresses[addressNext[i]];
            const size_t name = rng.Below(5);
            entry.AdapterName = name < 3 ? names[name] : name == 3 ? const_cast<char*>(guardedName) : nullptr;
            const char* text = name < 3 ? names[name] : name == 3 ? guardedName : "";
            addressMatches[i] = *wanted && !std::strcmp(text, wanted);
            entry.FriendlyName = rng.OneIn(3) ? nullptr : const_cast<wchar_t*>(guardedText);
            entry.DnsSuffix = rng.OneIn(3) ? nullptr : const_cast<wchar_t*>(guardedText);
            entry.FirstDnsServerAddress = rng.OneIn(3) ? nullptr : &servers[rng.Below(8)];
            entry.OperStatus = static_cast<IF_OPER_STATUS>(rng.Below(8));
            entry.Length = rng.OneIn(3) ? static_cast<ULONG>(rng.Below(sizeof entry)) : sizeof entry;
            entry.FirstUnicastAddress = rng.OneIn(3) ? nullptr : &unicasts[rng.Below(8)];
            entry.FirstGatewayAddress = rng.OneIn(3) ? nullptr : &gateways[rng.Below(8)];
        }
        BeginInput(index, infos, infoCount * sizeof(IP_ADAPTER_INFO));

        const bool noInfo = rng.OneIn(20);
        const bool noAddresses = rng.OneIn(20);
        ApplyAdapterLists(instance, noInfo ? nullptr : infos, noAddresses ? nullptr : addresses);

        const Walk inInfo = noInfo ? Walk::kNo : FirstMatch(infoNext, infoMatches);
        const Walk inAddresses = noAddresses ? Walk::kNo : FirstMatch(addressNext, addressMatches);
        // An adapter in the addresses list alone (no IPv4 binding) counts too.
        const bool known = inInfo != Walk::kUnknown && inAddresses != Walk::kUnknown;
        const bool expected = inAddresses == Walk::kYes;
        if (known && instance->connected != (expected ? 1 : 0)) {
            Finding("connected differs from a plain walk of the same lists");
        }
        if (!Terminated(instance->macAddress) || !Terminated(instance->ipV4Address) ||
            !Terminated(instance->dnsServer) || !Terminated(instance->secondaryDnsServer) ||
            !Terminated(instance->dhcpServer) ||
            !Terminated(instance->primaryWinsServer) || !Terminated(instance->dnsSuffix) ||
            !Terminated(instance->connectionName) || !Terminated(instance->ipV6Address) ||
            !Terminated(instance->ipV6TemporaryAddress) || !Terminated(instance->ipV6LinkLocal) ||
            !Terminated(instance->ipV6Gateway) || !Terminated(instance->ipV6DnsServer)) {
            Finding("an adapter field has no terminator inside its bounds");
        }
    }
    std::free(instance);
}

}  // namespace

const FuzzTarget kAdapterListsTarget{"adapter_lists", Run};
