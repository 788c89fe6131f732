#include "info/network_info_text.h"

#include "base/text.h"
#include "info/lease_time_text.h"
#include "info/network_info_ids.h"

namespace {

// Every shown field passes through a 500-character buffer, cut to fit.
constexpr size_t kShownCapacity = 500;

ControlText Field(int controlId, const wchar_t* value) {
    wchar_t shown[kShownCapacity];
    CopyText(shown, value);
    return {controlId, shown};
}

const wchar_t* YesNo(int32_t flag) noexcept { return flag ? L"Yes" : L"No"; }

void AddLeaseTime(std::vector<ControlText>& texts, int controlId, int64_t time) {
    std::wstring text;
    if (FormatLeaseTime(time, text)) {
        texts.push_back(Field(controlId, text.c_str()));
    }
}

}  // namespace

const wchar_t* OperStatusWord(int32_t operStatus) noexcept {
    static const wchar_t* const kWords[] = {L"Up",      L"Down",        L"Testing",         L"Unknown",
                                            L"Dormant", L"Not Present", L"Lower Layer Down"};
    if (operStatus < 1 || operStatus > 7) {
        return L"Undefined";
    }
    return kWords[operStatus - 1];
}

std::vector<ControlText> AdapterTexts(const DockletInstance& instance) {
    return {
        Field(IDC_INFO_ADAPTER, instance.interfaceDescription),
        Field(IDC_INFO_GUID, instance.adapterGuid),
        Field(IDC_INFO_MAC_ADDRESS, instance.macAddress),
        {IDC_INFO_STATUS, OperStatusWord(instance.operStatus)},
        Field(IDC_INFO_CONNECTION_NAME, instance.connectionName),
        Field(IDC_INFO_IPV4_ADDRESS, instance.ipV4Address),
        Field(IDC_INFO_NETMASK, instance.netMask),
        Field(IDC_INFO_GATEWAY, instance.ipV4Gateway),
        Field(IDC_INFO_IPV6_ADDRESS, instance.ipV6Address),
        Field(IDC_INFO_IPV6_TEMPORARY, instance.ipV6TemporaryAddress),
        Field(IDC_INFO_IPV6_LINK_LOCAL, instance.ipV6LinkLocal),
        Field(IDC_INFO_IPV6_GATEWAY, instance.ipV6Gateway),
    };
}

std::vector<ControlText> AddressDetailTexts(const DockletInstance& instance) {
    std::vector<ControlText> texts;
    texts.push_back({IDC_INFO_DHCP_ENABLED, YesNo(instance.dhcpEnabled)});
    if (instance.dhcpEnabled) {
        texts.push_back(Field(IDC_INFO_DHCP_SERVER, instance.dhcpServer));
        AddLeaseTime(texts, IDC_INFO_LEASE_OBTAINED, instance.leaseObtained);
        AddLeaseTime(texts, IDC_INFO_LEASE_EXPIRES, instance.leaseExpires);
    } else {
        texts.push_back({IDC_INFO_DHCP_SERVER, L""});
        texts.push_back({IDC_INFO_LEASE_OBTAINED, L""});
        texts.push_back({IDC_INFO_LEASE_EXPIRES, L""});
    }
    texts.push_back({IDC_INFO_HAS_WINS, YesNo(instance.haveWins)});
    texts.push_back(Field(IDC_INFO_PRIMARY_WINS, instance.haveWins ? instance.primaryWinsServer : L""));
    texts.push_back(Field(IDC_INFO_SECONDARY_WINS, instance.haveWins ? instance.secondaryWinsServer : L""));
    texts.push_back(Field(IDC_INFO_DNS_SUFFIX, instance.dnsSuffix));
    texts.push_back(Field(IDC_INFO_PRIMARY_DNS, instance.dnsServer));
    texts.push_back(Field(IDC_INFO_SECONDARY_DNS, instance.secondaryDnsServer));
    texts.push_back(Field(IDC_INFO_IPV6_DNS, instance.ipV6DnsServer));
    return texts;
}
