#include "core/lifecycle.h"

#include "base/host_api.h"
#include "core/gdiplus_session.h"
#include "core/open_windows.h"
#include "core/settings.h"
#include "cycle/handed_over.h"
#include "cycle/refresh.h"
#include "cycle/timers.h"
#include "cycle/usage_counting.h"
#include "info/external_lookup.h"
#include "measure/perf_data_reader.h"
#include "measure/rate_histories.h"
#include "measure/route_watch.h"
#include "measure/traffic_sampler.h"
#include "render/icon_cache.h"
#include "render/image_set.h"

#include <cstdio>
#include <cstdlib>

namespace {
// Icons of this module alive in the dock; the performance key is shared by all.
int liveInstances = 0;
}  // namespace

DockletInstance* CreateInstance(HWND hwndDocklet, HINSTANCE hInstance, const char* iniFile,
                                const char* iniSection) noexcept {
    auto* instance = static_cast<DockletInstance*>(std::calloc(1, sizeof(DockletInstance)));
    if (!instance) {
        return nullptr;
    }
    ++liveInstances;
    instance->iconCache = CreateIconCache();
    instance->handedOver = CreateHandedOver();
    instance->hwndDocklet = hwndDocklet;
    instance->hInstance = hInstance;
    LoadSettings(instance, iniFile, iniSection);

    const int status = StartGdiplus();
    if (status != 0) {
        char label[300];
        std::snprintf(label, sizeof label, "Error: GdiplusStartup, %d", status);
        host::DockletSetLabel(hwndDocklet, label);
    }
    InitInstance(instance);
    return instance;
}

void InitInstance(DockletInstance* instance) noexcept {
    instance->samplerReady = TakeInitialSamples(instance) ? 1 : 0;
    CreateRateHistories(instance);
    LoadImageSet(instance);
    RefreshAdapterState(instance);
    StartSlowTimer(instance);
    if (instance->connected) {
        RefreshDisplay(instance);
        StartFastTimer(instance);
    }
}

void DispatchMessageToInstance(DockletInstance* instance, UINT message, WPARAM wParam) noexcept {
    if (message != WM_TIMER) {
        return;
    }
    if (wParam == SLOW_TIMER_ID) {
        Refresh(instance, RefreshScope::AdapterAndDisplay);
    } else if (wParam == FAST_TIMER_ID) {
        Refresh(instance, RefreshScope::Display);
    }
}

void DestroyInstance(DockletInstance* instance) noexcept {
    instance->destroyed = 1;
    // A timer message still queued for the window must find no timer to deliver.
    StopBothTimers(instance);
    CloseOpenWindows(instance);
    StopUsage(instance);
}

namespace {

void FreeInstance(DockletInstance* instance) noexcept {
    // No route callback runs once this returns, so the watch can go.
    StopRouteWatch(instance);
    DestroyRateHistories(instance);
    ReleaseImageSet(instance);
    DestroyIconCache(instance->iconCache);
    DestroyHandedOver(instance->handedOver);
    StopGdiplus();
    ReleaseInstanceLookup(instance);
    std::free(instance);
    // Closing the key unloads the counter providers, so it stays open (one
    // fetch per icon per second) until the last icon goes.
    if (--liveInstances == 0) {
        ClosePerformanceData();
    }
}

}  // namespace

void EnterCall(DockletInstance* instance) noexcept { ++instance->callDepth; }

void LeaveCall(DockletInstance* instance) noexcept {
    if (--instance->callDepth == 0 && instance->destroyed) {
        FreeInstance(instance);
    }
}
