#include "core/lifecycle.h"

#include "base/host_api.h"
#include "base/module_hold.h"
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

// A dock may run its icons on threads of their own. What all icons of the
// module share is guarded by this lock: the count of live icons, the GDI+
// session and the performance key, which close with the last icon.
SRWLOCK sharedLock = SRWLOCK_INIT;
int liveInstances = 0;

class SharedStateLock {
public:
    SharedStateLock() noexcept { AcquireSRWLockExclusive(&sharedLock); }
    ~SharedStateLock() { ReleaseSRWLockExclusive(&sharedLock); }
    SharedStateLock(const SharedStateLock&) = delete;
    SharedStateLock& operator=(const SharedStateLock&) = delete;
};

int JoinLiveInstances() noexcept {
    const SharedStateLock locked;
    ++liveInstances;
    return StartGdiplus();
}

// Closing the key unloads the counter providers, so it stays open (one fetch
// per icon per second) until the last icon goes; GDI+ goes with it.
void LeaveLiveInstances() noexcept {
    const SharedStateLock locked;
    if (--liveInstances == 0) {
        StopGdiplus();
        ClosePerformanceData();
    }
}

}  // namespace

DockletInstance* CreateInstance(HWND hwndDocklet, HINSTANCE hInstance, const char* iniFile,
                                const char* iniSection) noexcept {
    auto* instance = static_cast<DockletInstance*>(std::calloc(1, sizeof(DockletInstance)));
    if (!instance) {
        return nullptr;
    }
    // Each icon holds the module until its record is freed, which may come
    // after its OnDestroy returned: when the dock destroyed it inside another
    // call of ours still on the stack, and may unload the module right away.
    // So the module goes only when the last record does.
    AddModuleHold();
    const int status = JoinLiveInstances();
    instance->iconCache = CreateIconCache();
    instance->handedOver = CreateHandedOver();
    instance->hwndDocklet = hwndDocklet;
    instance->hInstance = hInstance;
    LoadSettings(instance, iniFile, iniSection);
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
    ReleaseInstanceLookup(instance);
    std::free(instance);
    LeaveLiveInstances();
    DropModuleHold();
}

}  // namespace

void EnterCall(DockletInstance* instance) noexcept { ++instance->callDepth; }

void LeaveCall(DockletInstance* instance) noexcept {
    if (--instance->callDepth == 0 && instance->destroyed) {
        FreeInstance(instance);
    }
}
