// Scripted answers of the system, served to the module through the replaced
// imports: performance data blocks in sequence, and adapter lists built from
// plain descriptions, laid out in the caller's buffer as IP Helper lays them out.
#pragma once

#include "system_hooks.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace testdock {

// One answer of the registry to a performance data query.
struct PerfReply {
    std::vector<uint8_t> block;     // served when error is ERROR_SUCCESS
    LSTATUS error = ERROR_SUCCESS;  // any other code fails the query
};

// Answers queries of HKEY_PERFORMANCE_DATA from a sequence, one reply per
// query that gets an answer (ERROR_MORE_DATA for a small buffer does not use up
// the reply). After the last reply the last one repeats. Other keys pass through.
class PerfDataServer {
public:
    void Push(std::vector<uint8_t> block) { replies_.push_back({std::move(block), ERROR_SUCCESS}); }
    void PushError(LSTATUS error) { replies_.push_back({{}, error}); }
    // Serves this block from now on and drops the earlier replies, so that a
    // long soak holds one block instead of every block it served.
    void Serve(std::vector<uint8_t> block) {
        replies_.assign(1, {std::move(block), ERROR_SUCCESS});
        next_ = 0;
    }
    // Installs this server as the registry script (the server must outlive it).
    void Install(SystemHooks& hooks);

    int answered = 0;     // replies used up
    int moreDataReplies = 0;
    size_t lastBufferSize = 0;

private:
    LSTATUS Answer(BYTE* data, DWORD* size);
    std::vector<PerfReply> replies_;
    size_t next_ = 0;
};

// One unicast address of GetAdaptersAddresses' list.
struct UnicastPlan {
    std::string address;  // IPv4 or IPv6 text; "fe80::1%11" carries a zone
    IP_SUFFIX_ORIGIN suffixOrigin = IpSuffixOriginLinkLayerAddress;  // IpSuffixOriginRandom: temporary
    IP_DAD_STATE dadState = IpDadStatePreferred;  // IpDadStateDeprecated, IpDadStateTentative ...
    ULONG preferredLifetime = 0xFFFFFFFF;
    ULONG validLifetime = 0xFFFFFFFF;
};

// One adapter as both of IP Helper's lists describe it.
struct AdapterPlan {
    std::string guid = "{00000000-0000-0000-0000-000000000001}";
    std::string description = "Test Ethernet Adapter";
    std::wstring friendlyName = L"Ethernet";
    std::wstring dnsSuffix;
    std::vector<uint8_t> mac = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    std::string ipAddress = "192.0.2.10";
    std::string netMask = "255.255.255.0";
    std::string gateway = "192.0.2.1";
    bool dhcpEnabled = false;
    std::string dhcpServer;
    int64_t leaseObtained = 0;
    int64_t leaseExpires = 0;
    bool haveWins = false;
    std::string primaryWins;
    std::string secondaryWins;
    std::vector<std::string> dnsServers;  // IPv4 or IPv6 text, in list order
    std::vector<UnicastPlan> unicastAddresses;  // GetAdaptersAddresses' own, in list order
    std::vector<std::string> gateways;          // its gateway list: IPv4 or IPv6 text, zones allowed
    IF_OPER_STATUS operStatus = IfOperStatusUp;
    bool inInfoList = true;
    bool inAddressesList = true;
    DWORD interfaceIndex = 11;  // IP_ADAPTER_INFO.Index and IP_ADAPTER_ADDRESSES.IfIndex
};

// Serves GetAdaptersInfo and GetAdaptersAddresses from a list of adapters that
// a test may change between ticks. A buffer that is too small gets
// ERROR_BUFFER_OVERFLOW and the size needed, as the system answers.
class AdapterServer {
public:
    std::vector<AdapterPlan> adapters;
    ULONG infoError = ERROR_SUCCESS;       // a failure to report instead of the list
    ULONG addressesError = ERROR_SUCCESS;
    int overflowReplies = 0;
    // The interface of the IPv4 and of the IPv6 default route (GetBestInterfaceEx); none: no route.
    std::optional<DWORD> routeInterface;
    std::optional<DWORD> ipv6RouteInterface;
    std::vector<std::string> routeDestinations;  // the addresses asked about, as text
    void Install(SystemHooks& hooks);

private:
    ULONG AnswerInfo(IP_ADAPTER_INFO* buffer, ULONG* size);
    ULONG AnswerAddresses(IP_ADAPTER_ADDRESSES* buffer, ULONG* size);
};

}  // namespace testdock
