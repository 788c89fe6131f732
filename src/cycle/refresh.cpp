#include "cycle/refresh.h"

#include "base/host_api.h"
#include "base/image_set_path.h"
#include "base/rate_units.h"
#include "base/shown_address.h"
#include "base/text.h"
#include "cycle/handed_over.h"
#include "cycle/timers.h"
#include "cycle/usage_counting.h"
#include "measure/adapter_discovery.h"
#include "measure/route_watch.h"
#include "measure/traffic_sampler.h"
#include "render/icon_composer.h"
#include "render/image_set.h"

#include <cstdio>

namespace {

bool AdapterUp(const DockletInstance* instance) noexcept {
    return instance->connected != 0 && instance->operStatus == 1;
}

void PushOverlay(const DockletInstance* instance) noexcept {
    OverlayInputs inputs;
    ReadOverlayInputs(*instance, inputs);
    if (!OverlayDiffers(instance->handedOver, inputs)) {
        return;
    }
    // The overlay goes over in the dock's image family, once it can be known.
    LearnDockImageFamily(instance);
    if (GpBitmap* overlay = ComposeIcon(instance, instance->iconCache)) {
        host::DockletSetImageOverlay(instance->hwndDocklet, overlay);
        RememberOverlay(instance->handedOver, inputs);
    }
}

// "Today: 812.4M", "Month: 41.7G", or with an allowance "Month: 41.7G of 100.0G".
void FormatUsageLabel(const DockletInstance* instance, bool today, char* label, size_t capacity) noexcept {
    char amount[32];
    FormatAmount(today ? instance->usage.shownToday : instance->usage.shownMonth, amount, sizeof amount);
    if (today || instance->usageAllowance <= 0) {
        std::snprintf(label, capacity, "%s: %s", today ? "Today" : "Month", amount);
        return;
    }
    char allowance[32];
    FormatAmount(static_cast<uint64_t>(instance->usageAllowance) * 1000000u, allowance, sizeof allowance);
    std::snprintf(label, capacity, "Month: %s of %s", amount, allowance);
}

}  // namespace

void SetBaseImage(const DockletInstance* instance, const char* fileName) noexcept {
    const char* shown = (instance->dockletData & kHideIcons) ? "empty.png" : fileName;
    char path[kImagePathCapacity];
    if (BuildImageSetPath(instance, ImagePathBase::Relative, shown, path, sizeof path) &&
        TakeNewBaseImage(instance->handedOver, path)) {
        host::DockletSetImageFile(instance->hwndDocklet, path);
    }
}

void RefreshAdapterState(DockletInstance* instance) noexcept {
    MatchRouteWatch(instance);
    if (instance->interfaceDescription[0] != L'\0' || instance->adapterChoice == kAdapterAutomatic) {
        DiscoverAdapter(instance);
    }
    if (instance->interfaceDescription[0] != L'\0' && AdapterUp(instance)) {
        SetBaseImage(instance, "background.png");
    } else {
        // Present but not up counts as missing.
        StopFastTimer(instance);
        SetBaseImage(instance, "na.png");
        ResetAdapterState(instance);
    }
    PushOverlay(instance);
}

void FormatLabel(const DockletInstance* instance, char* label, size_t capacity) noexcept {
    const uint32_t bits = instance->labelData;
    if (bits & kLabelHidden) {
        CopyText(label, capacity, "");
    } else if (const char* warning = AllowanceWarning(instance)) {
        CopyText(label, capacity, warning);
    } else if (bits & kLabelUpload) {
        FormatCaptionedRate("Upload: ", instance->uploadRate, instance->rateUnit, label, capacity);
    } else if (bits & kLabelDownload) {
        FormatCaptionedRate("Download: ", instance->downloadRate, instance->rateUnit, label, capacity);
    } else if (bits & kLabelTotal) {
        FormatCaptionedRate("Total Transfer: ", instance->totalRate, instance->rateUnit, label, capacity);
    } else if (bits & kLabelBandwidth) {
        FormatCaptionedRate("Bandwidth: ", ShownBandwidthK(*instance), instance->rateUnit, label, capacity);
    } else if (bits & kLabelTitle) {
        WideToAnsiCut(instance->title, label, capacity);
    } else if (bits & kLabelIpAddress) {
        WideToAnsiCut(ShownAddress(*instance), label, capacity);
    } else if (bits & (kLabelTodayUsage | kLabelMonthUsage)) {
        FormatUsageLabel(instance, (bits & kLabelTodayUsage) != 0, label, capacity);
    } else {
        CopyText(label, capacity, "Unknown Label Type");
    }
}

void RefreshDisplay(DockletInstance* instance) noexcept {
    if (instance->interfaceDescription[0] == L'\0') {
        return;
    }
    SampleTraffic(instance);
    CountUsage(instance);

    char label[kLabelCapacity];
    FormatLabel(instance, label, sizeof label);
    if (TakeNewLabel(instance->handedOver, label)) {
        host::DockletSetLabel(instance->hwndDocklet, label);
    }
    // A hidden label hides only the label: the icon goes on showing the figures.
    PushOverlay(instance);
}

void Refresh(DockletInstance* instance, RefreshScope scope) noexcept {
    // Nothing more reaches the dock, nor the icon's window, once it destroyed the icon.
    if (instance->destroyed) {
        return;
    }
    if (scope == RefreshScope::Repair) {
        ForgetHandedOver(instance->handedOver);
    }
    // A route change reported since the last tick is followed at once.
    if (TakeRouteChange(instance) || scope != RefreshScope::Display) {
        RefreshAdapterState(instance);
    }
    if (instance->connected) {
        RefreshDisplay(instance);
        if (!instance->fastTimerRunning) {
            StartFastTimer(instance);
        }
    } else {
        StopFastTimer(instance);
    }
}
