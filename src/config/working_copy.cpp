#include "config/working_copy.h"

#include "base/text.h"
#include "cycle/refresh.h"
#include "cycle/usage_counting.h"
#include "render/image_set.h"

#include <cwchar>

namespace {

void CopySettings(const DockletInstance& from, DockletInstance& to) noexcept {
    CopyText(to.title, from.title);
    CopyText(to.command, from.command);
    CopyText(to.parameters, from.parameters);
    CopyText(to.fontName, from.fontName);
    to.fontSize = from.fontSize;
    to.fontColor = from.fontColor;
    to.fontAlpha = from.fontAlpha;
    to.uploadColor = from.uploadColor;
    to.uploadAlpha = from.uploadAlpha;
    to.downloadColor = from.downloadColor;
    to.downloadAlpha = from.downloadAlpha;
    to.backgroundColor = from.backgroundColor;
    to.backgroundAlpha = from.backgroundAlpha;
    to.frameColor = from.frameColor;
    to.frameAlpha = from.frameAlpha;
    CopyText(to.counterInstanceName, from.counterInstanceName);
    CopyText(to.interfaceDescription, from.interfaceDescription);
    CopyText(to.adapterGuid, from.adapterGuid);
    to.labelData = from.labelData;
    to.dockletData = from.dockletData;
    CopyText(to.ipAddressUrl, from.ipAddressUrl);
    CopyText(to.ipV6AddressUrl, from.ipV6AddressUrl);
    to.rateUnit = from.rateUnit;
    to.graphScale = from.graphScale;
    to.adapterChoice = from.adapterChoice;
    to.usageStartDay = from.usageStartDay;
    to.usageAllowance = from.usageAllowance;
    to.usageCount = from.usageCount;
}

}  // namespace

void FillWorkingCopy(const DockletInstance& live, DockletInstance& working) noexcept {
    working.hwndDocklet = live.hwndDocklet;
    working.hInstance = live.hInstance;
    CopySettings(live, working);
    CopyText(working.imagesFolder, live.imagesFolder);
    working.uploadRate = live.uploadRate;
    working.downloadRate = live.downloadRate;
    working.uploadHistory = live.uploadHistory;
    working.downloadHistory = live.downloadHistory;
    // The preview's link-speed scale.
    working.bandwidthSample = live.bandwidthSample;
}

void CopyBackSettings(const DockletInstance& working, DockletInstance& live) noexcept {
    CopySettings(working, live);
}

bool ImageSetChanged(const DockletInstance& live, const DockletInstance& working) noexcept {
    return _wcsicmp(live.imagesFolder, working.imagesFolder) != 0;
}

void CommitWorkingCopy(DockletInstance* live, const DockletInstance& working) noexcept {
    // Another start day makes other periods: the totals are read for them at
    // once. What they count may have changed too.
    const bool periodsChanged = live->usageStartDay != working.usageStartDay;
    CopyBackSettings(working, *live);
    if (periodsChanged) {
        WriteUsage(live);
    } else {
        UpdateShownUsage(live);
    }
    if (ImageSetChanged(*live, working)) {
        CopyText(live->imagesFolder, working.imagesFolder);
        ReleaseImageSet(live);
        const bool up = live->connected != 0 && live->operStatus == 1;
        SetBaseImage(live, up ? "background.png" : "na.png");
        LoadImageSet(live);
    }
    Refresh(live, RefreshScope::AdapterAndDisplay);
}
