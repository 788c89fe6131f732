#include "measure/route_watch.h"

#include "base/module_hold.h"
#include "base/owners.h"

#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>
#include <netioapi.h>

#include <cstdlib>

struct RouteWatch {
    volatile LONG changed;
    HANDLE notification;
};

namespace {

VOID WINAPI OnRouteChange(PVOID context, PMIB_IPFORWARD_ROW2, MIB_NOTIFICATION_TYPE) {
    InterlockedExchange(&static_cast<RouteWatch*>(context)->changed, 1);
}

RouteWatch* StartRouteWatch() noexcept {
    MallocOwner<RouteWatch> watch(static_cast<RouteWatch*>(std::calloc(1, sizeof(RouteWatch))));
    if (!watch) {
        return nullptr;
    }
    RouteWatch* raw = watch.get();
    if (NotifyRouteChange2(AF_UNSPEC, &OnRouteChange, raw, FALSE, &raw->notification) != NO_ERROR) {
        return nullptr;
    }
    return watch.release();
}

}  // namespace

void MatchRouteWatch(DockletInstance* instance) noexcept {
    const bool follows = instance->adapterChoice == kAdapterAutomatic;
    if (follows && !instance->routeWatch) {
        instance->routeWatch = StartRouteWatch();
    } else if (!follows) {
        StopRouteWatch(instance);
    }
}

bool TakeRouteChange(DockletInstance* instance) noexcept {
    return instance->routeWatch && InterlockedExchange(&instance->routeWatch->changed, 0) != 0;
}

void StopRouteWatch(DockletInstance* instance) noexcept {
    if (RouteWatch* watch = instance->routeWatch) {
        instance->routeWatch = nullptr;
        // A notification the system would not cancel may still call back: its
        // flag stays allocated and the module loaded, or the call would land
        // in freed memory or in code a dock has unloaded.
        if (CancelMibChangeNotify2(watch->notification) != NO_ERROR) {
            AddModuleHold();
            return;
        }
        std::free(watch);
    }
}
