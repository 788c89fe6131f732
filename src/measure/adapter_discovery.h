// Finding the configured adapter (by adapterGuid) in the system's two adapter
// lists and copying its state and addresses into the instance.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include "base/docklet_instance.h"

// Empties the adapter fields, re-derives counterInstanceName from
// interfaceDescription, and leaves connected 0 and operStatus 4 (unknown).
void ResetAdapterState(DockletInstance* instance) noexcept;

// Resets, then reads both adapter lists from the system. connected ends 1 when
// the adapter is in GetAdaptersAddresses' list (an adapter without IPv4 is in
// that one alone). An automatic icon first follows the default route to its
// adapter; with no such adapter listed, connected stays 0.
void DiscoverAdapter(DockletInstance* instance) noexcept;

// The walk over both lists once they are read; a null list holds nothing.
// Expects the reset values.
void ApplyAdapterLists(DockletInstance* instance, const IP_ADAPTER_INFO* infoList,
                       const IP_ADAPTER_ADDRESSES* addressList) noexcept;

// Copies one IP_ADAPTER_INFO entry: hardware address, IPv4 address, mask and
// gateway, DHCP and WINS details.
void CopyAdapterInfo(const IP_ADAPTER_INFO* adapterInfo, DockletInstance* instance) noexcept;

// A new UTF-16 copy of ANSI text, allocated with CoTaskMemAlloc and released by
// the caller with CoTaskMemFree. A null text gives a null copy and S_OK.
HRESULT AnsiToWideAlloc(const char* text, wchar_t** out) noexcept;
