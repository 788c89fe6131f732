// The adapter that carries the default route, for icons that follow it.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include "base/docklet_instance.h"

// The interface index of the system's best route to an outside IPv4 address,
// else to an outside IPv6 address; false when it knows neither.
bool DefaultRouteInterface(DWORD* index) noexcept;

// Points the instance at the adapter with interface `index` in either list, as
// if the user had chosen it: GUID, description and counter instance name. A
// move to another adapter zeroes the rates, empties the histories and starts
// the sampler over. False when neither list has the interface; the instance
// then keeps its adapter.
bool FollowRouteTo(DockletInstance* instance, DWORD index, const IP_ADAPTER_INFO* infoList,
                   const IP_ADAPTER_ADDRESSES* addressList) noexcept;
