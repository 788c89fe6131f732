/* Control ids of the network information dialog, shared by its template and
   its procedure (plain defines, so the resource compiler reads them too). */
#pragma once

#define IDC_INFO_LOGO 1009
#define IDC_INFO_ADAPTER 1010
#define IDC_INFO_GUID 1011
#define IDC_INFO_IPV4_ADDRESS 1021
#define IDC_INFO_MAC_ADDRESS 1023
#define IDC_INFO_NETMASK 1024
#define IDC_INFO_EXTERNAL_ADDRESS 1025
#define IDC_INFO_GATEWAY 1026
#define IDC_INFO_LEASE_OBTAINED 1027
#define IDC_INFO_STATUS 1028
#define IDC_INFO_DHCP_SERVER 1029
#define IDC_INFO_PRIMARY_WINS 1030
#define IDC_INFO_SECONDARY_DNS 1031
#define IDC_INFO_DNS_SUFFIX 1032
#define IDC_INFO_LEASE_EXPIRES 1033
#define IDC_INFO_DHCP_ENABLED 1034
#define IDC_INFO_HAS_WINS 1035
#define IDC_INFO_PRIMARY_DNS 1036
#define IDC_INFO_SECONDARY_WINS 1037
#define IDC_INFO_CONNECTION_NAME 1038
