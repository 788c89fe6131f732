#include "served_system.h"

#include <ws2tcpip.h>

#include <cstring>
#include <string>

namespace testdock {

void PerfDataServer::Install(SystemHooks& hooks) {
    hooks.regQueryValue = [this](HKEY key, const wchar_t*, DWORD*, BYTE* data, DWORD* size) -> LSTATUS {
        if (key != HKEY_PERFORMANCE_DATA) {
            return ERROR_FILE_NOT_FOUND;
        }
        return Answer(data, size);
    };
}

LSTATUS PerfDataServer::Answer(BYTE* data, DWORD* size) {
    if (replies_.empty()) {
        return ERROR_FILE_NOT_FOUND;
    }
    const size_t index = next_ < replies_.size() ? next_ : replies_.size() - 1;
    const PerfReply& reply = replies_[index];
    lastBufferSize = size ? *size : 0;
    if (reply.error != ERROR_SUCCESS) {
        ++next_;
        ++answered;
        return reply.error;
    }
    if (!size || *size < reply.block.size()) {
        ++moreDataReplies;
        return ERROR_MORE_DATA;
    }
    std::memcpy(data, reply.block.data(), reply.block.size());
    *size = static_cast<DWORD>(reply.block.size());
    ++next_;
    ++answered;
    return ERROR_SUCCESS;
}

namespace {

// Hands out aligned pieces of the caller's buffer, or only counts when the
// buffer is null.
class Arena {
public:
    Arena(unsigned char* base, size_t capacity) : base_(base), capacity_(capacity) {}
    void* Take(size_t bytes) {
        used_ = (used_ + 7) & ~static_cast<size_t>(7);
        void* piece = base_ ? base_ + used_ : nullptr;
        used_ += bytes;
        if (piece) {
            std::memset(piece, 0, bytes);
        }
        return piece;
    }
    size_t Used() const { return used_; }
    bool Writing() const { return base_ != nullptr; }
    size_t Capacity() const { return capacity_; }

private:
    unsigned char* base_;
    size_t capacity_;
    size_t used_ = 0;
};

void CopyAddress(IP_ADDR_STRING& target, const std::string& address, const std::string& mask = "") {
    lstrcpynA(target.IpAddress.String, address.c_str(), sizeof target.IpAddress.String);
    lstrcpynA(target.IpMask.String, mask.c_str(), sizeof target.IpMask.String);
}

void LayOutInfo(Arena& arena, const std::vector<AdapterPlan>& adapters) {
    IP_ADAPTER_INFO* previous = nullptr;
    for (const AdapterPlan& plan : adapters) {
        if (!plan.inInfoList) {
            continue;
        }
        auto* entry = static_cast<IP_ADAPTER_INFO*>(arena.Take(sizeof(IP_ADAPTER_INFO)));
        if (!arena.Writing()) {
            continue;
        }
        if (previous) {
            previous->Next = entry;
        }
        previous = entry;
        lstrcpynA(entry->AdapterName, plan.guid.c_str(), sizeof entry->AdapterName);
        lstrcpynA(entry->Description, plan.description.c_str(), sizeof entry->Description);
        entry->AddressLength = static_cast<UINT>(plan.mac.size());
        std::memcpy(entry->Address, plan.mac.data(), plan.mac.size() < MAX_ADAPTER_ADDRESS_LENGTH
                                                         ? plan.mac.size() : MAX_ADAPTER_ADDRESS_LENGTH);
        entry->Type = MIB_IF_TYPE_ETHERNET;
        entry->Index = plan.interfaceIndex;
        CopyAddress(entry->IpAddressList, plan.ipAddress, plan.netMask);
        CopyAddress(entry->GatewayList, plan.gateway);
        entry->DhcpEnabled = plan.dhcpEnabled;
        CopyAddress(entry->DhcpServer, plan.dhcpServer);
        entry->LeaseObtained = static_cast<time_t>(plan.leaseObtained);
        entry->LeaseExpires = static_cast<time_t>(plan.leaseExpires);
        entry->HaveWins = plan.haveWins;
        CopyAddress(entry->PrimaryWinsServer, plan.primaryWins);
        CopyAddress(entry->SecondaryWinsServer, plan.secondaryWins);
    }
}

wchar_t* PlaceWide(Arena& arena, const std::wstring& text) {
    auto* copy = static_cast<wchar_t*>(arena.Take((text.size() + 1) * sizeof(wchar_t)));
    if (copy) {
        std::memcpy(copy, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    }
    return copy;
}

char* PlaceNarrow(Arena& arena, const std::string& text) {
    auto* copy = static_cast<char*>(arena.Take(text.size() + 1));
    if (copy) {
        std::memcpy(copy, text.c_str(), text.size() + 1);
    }
    return copy;
}

// A socket address of either family from its text; an IPv6 text may end in
// "%zone", which becomes the scope id.
void PlaceSocketAddress(Arena& arena, SOCKET_ADDRESS* target, const std::string& text) {
    sockaddr_in v4{};
    sockaddr_in6 v6{};
    const bool isV4 = InetPtonA(AF_INET, text.c_str(), &v4.sin_addr) == 1;
    const size_t length = isV4 ? sizeof v4 : sizeof v6;
    auto* address = static_cast<unsigned char*>(arena.Take(length));
    if (!target) {
        return;
    }
    if (isV4) {
        v4.sin_family = AF_INET;
        std::memcpy(address, &v4, sizeof v4);
    } else {
        const size_t percent = text.find('%');
        v6.sin6_family = AF_INET6;
        InetPtonA(AF_INET6, text.substr(0, percent).c_str(), &v6.sin6_addr);
        v6.sin6_scope_id = percent == std::string::npos ? 0 : std::stoul(text.substr(percent + 1));
        std::memcpy(address, &v6, sizeof v6);
    }
    target->lpSockaddr = reinterpret_cast<sockaddr*>(address);
    target->iSockaddrLength = static_cast<INT>(length);
}

// Lays out a linked list of `Entry`, each with its Length set and its address
// from `texts`; returns its head (null while counting).
template <typename Entry, typename Fill>
Entry* LayOutList(Arena& arena, const std::vector<std::string>& texts, Fill fill) {
    Entry* head = nullptr;
    Entry* last = nullptr;
    for (size_t i = 0; i < texts.size(); ++i) {
        auto* entry = static_cast<Entry*>(arena.Take(sizeof(Entry)));
        PlaceSocketAddress(arena, entry ? &entry->Address : nullptr, texts[i]);
        if (entry) {
            entry->Length = sizeof *entry;
            fill(*entry, i);
            (last ? last->Next : head) = entry;
            last = entry;
        }
    }
    return head;
}

void LayOutAddresses(Arena& arena, const std::vector<AdapterPlan>& adapters) {
    IP_ADAPTER_ADDRESSES* previous = nullptr;
    for (const AdapterPlan& plan : adapters) {
        if (!plan.inAddressesList) {
            continue;
        }
        auto* entry = static_cast<IP_ADAPTER_ADDRESSES*>(arena.Take(sizeof(IP_ADAPTER_ADDRESSES)));
        if (entry) {
            entry->Length = sizeof *entry;
            if (previous) {
                previous->Next = entry;
            }
            previous = entry;
            entry->OperStatus = plan.operStatus;
            entry->IfIndex = plan.interfaceIndex;
            entry->PhysicalAddressLength = static_cast<DWORD>(plan.mac.size() < 8 ? plan.mac.size() : 8);
            std::memcpy(entry->PhysicalAddress, plan.mac.data(), entry->PhysicalAddressLength);
        }
        char* name = PlaceNarrow(arena, plan.guid);
        std::wstring wideDescription(plan.description.begin(), plan.description.end());
        wchar_t* description = PlaceWide(arena, wideDescription);
        wchar_t* friendly = PlaceWide(arena, plan.friendlyName);
        wchar_t* suffix = PlaceWide(arena, plan.dnsSuffix);
        auto* dns = LayOutList<IP_ADAPTER_DNS_SERVER_ADDRESS>(arena, plan.dnsServers, [](auto&, size_t) {});
        auto* gateways = LayOutList<IP_ADAPTER_GATEWAY_ADDRESS_LH>(arena, plan.gateways, [](auto&, size_t) {});
        std::vector<std::string> unicastTexts;
        for (const UnicastPlan& unicast : plan.unicastAddresses) {
            unicastTexts.push_back(unicast.address);
        }
        auto* unicast = LayOutList<IP_ADAPTER_UNICAST_ADDRESS>(arena, unicastTexts, [&](auto& made, size_t i) {
            const UnicastPlan& planned = plan.unicastAddresses[i];
            made.PrefixOrigin = planned.suffixOrigin == IpSuffixOriginRandom ? IpPrefixOriginRouterAdvertisement
                                                                             : IpPrefixOriginManual;
            made.SuffixOrigin = planned.suffixOrigin;
            made.DadState = planned.dadState;
            made.PreferredLifetime = planned.preferredLifetime;
            made.ValidLifetime = planned.validLifetime;
        });
        if (entry) {
            entry->Ipv6IfIndex = plan.interfaceIndex;
            entry->FirstDnsServerAddress = dns;
            entry->FirstGatewayAddress = gateways;
            entry->FirstUnicastAddress = unicast;
            entry->AdapterName = name;
            entry->Description = description;
            entry->FriendlyName = friendly;
            entry->DnsSuffix = suffix;
        }
    }
}

}  // namespace

void AdapterServer::Install(SystemHooks& hooks) {
    hooks.adaptersInfo = [this](IP_ADAPTER_INFO* buffer, ULONG* size) { return AnswerInfo(buffer, size); };
    hooks.adaptersAddresses = [this](ULONG, ULONG, IP_ADAPTER_ADDRESSES* buffer, ULONG* size) {
        return AnswerAddresses(buffer, size);
    };
    hooks.bestInterface = [this](const sockaddr* destination, DWORD* index) -> DWORD {
        if (!destination || (destination->sa_family != AF_INET && destination->sa_family != AF_INET6) || !index) {
            return ERROR_INVALID_PARAMETER;
        }
        const bool v6 = destination->sa_family == AF_INET6;
        char text[INET6_ADDRSTRLEN] = {};
        if (v6) {
            InetNtopA(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(destination)->sin6_addr, text, sizeof text);
        } else {
            InetNtopA(AF_INET, &reinterpret_cast<const sockaddr_in*>(destination)->sin_addr, text, sizeof text);
        }
        routeDestinations.emplace_back(text);
        const std::optional<DWORD>& route = v6 ? ipv6RouteInterface : routeInterface;
        if (!route) {
            return ERROR_NETWORK_UNREACHABLE;
        }
        *index = *route;
        return NO_ERROR;
    };
}

namespace {

// Lays a list out in the caller's buffer, or asks for more room as IP Helper does.
template <typename Entry, typename LayOut>
ULONG AnswerList(ULONG error, Entry* buffer, ULONG* size, int* overflowReplies, LayOut layOut) {
    if (error != ERROR_SUCCESS) {
        return error;
    }
    Arena counting(nullptr, 0);
    layOut(counting);
    if (counting.Used() == 0) {
        return ERROR_NO_DATA;
    }
    if (!buffer || *size < counting.Used()) {
        *size = static_cast<ULONG>(counting.Used());
        ++*overflowReplies;
        return ERROR_BUFFER_OVERFLOW;
    }
    Arena arena(reinterpret_cast<unsigned char*>(buffer), *size);
    layOut(arena);
    return ERROR_SUCCESS;
}

}  // namespace

ULONG AdapterServer::AnswerInfo(IP_ADAPTER_INFO* buffer, ULONG* size) {
    return AnswerList(infoError, buffer, size, &overflowReplies, [this](Arena& arena) { LayOutInfo(arena, adapters); });
}

ULONG AdapterServer::AnswerAddresses(IP_ADAPTER_ADDRESSES* buffer, ULONG* size) {
    return AnswerList(addressesError, buffer, size, &overflowReplies,
                      [this](Arena& arena) { LayOutAddresses(arena, adapters); });
}

}  // namespace testdock
