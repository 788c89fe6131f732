#include "core/context_menu.h"

#include "base/activation_context.h"
#include "base/host_api.h"
#include "base/owners.h"
#include "core/dialogs.h"
#include "core/exports.h"
#include "cycle/refresh.h"

namespace {

ContextMenuEntry Toggle(UINT id, const wchar_t* text, uint32_t bits, uint32_t bit) noexcept {
    return {id, text, (bits & bit) != 0};
}

// The separators carry ids of their own (5, 10, 15) that choose nothing.
ContextMenuEntry Separator(UINT id) noexcept { return {id, nullptr, false}; }

MenuOwner CreateMenuFrom(const ContextMenuEntries& entries, bool removable) noexcept {
    MenuOwner menu(CreatePopupMenu());
    if (!menu) {
        return menu;
    }
    for (const ContextMenuEntry& entry : entries) {
        if (entry.id == kMenuRemoveEntry && !removable) {
            continue;
        }
        const UINT flags = entry.text ? MF_STRING | (entry.checked ? MF_CHECKED : MF_UNCHECKED) : MF_SEPARATOR;
        AppendMenuW(menu.get(), flags, entry.id, entry.text);
    }
    return menu;
}

// The chosen id, or 0 when the menu was dismissed or the icon destroyed
// meanwhile. The menu is gone on return.
UINT TrackContextMenu(DockletInstance* instance) noexcept {
    // Only the dock can remove the icon, and not every dock offers to.
    const MenuOwner menu = CreateMenuFrom(BuildContextMenuEntries(instance->dockletData, instance->labelData),
                                          host::DockExports("DockletRemoveSelf"));
    if (!menu) {
        return 0;
    }
    POINT cursor{};
    GetCursorPos(&cursor);
    host::DockletLockMouseEffect(instance->hwndDocklet, TRUE);
    // Microsoft's rule for popup menus: the owner in the foreground before,
    // a message to it after, or a click elsewhere does not close the menu.
    SetForegroundWindow(instance->hwndDocklet);
    instance->open.menu = 1;
    const BOOL chosen = WithModuleControls([&] {
        return TrackPopupMenu(menu.get(), TPM_RETURNCMD, cursor.x, cursor.y, 0, instance->hwndDocklet, nullptr);
    });
    instance->open.menu = 0;
    // The dock has forgotten an icon it destroyed during the menu.
    if (instance->destroyed) {
        return 0;
    }
    host::DockletLockMouseEffect(instance->hwndDocklet, FALSE);
    PostMessageW(instance->hwndDocklet, WM_NULL, 0, 0);
    return chosen > 0 ? static_cast<UINT>(chosen) : 0;
}

}  // namespace

ContextMenuEntries BuildContextMenuEntries(uint32_t dockletData, uint32_t labelData) noexcept {
    return {{
        {kMenuUpdateNow, L"Update Now", false},
        {kMenuDetailedInformation, L"Detailed Information", false},
        {kMenuDataUsage, L"Data Usage...", false},
        Separator(5),
        Toggle(kMenuShowUploadRate, L"Show Upload Rate", dockletData, kShowUploadRate),
        Toggle(kMenuShowDownloadRate, L"Show Download Rate", dockletData, kShowDownloadRate),
        Toggle(kMenuShowTotalRate, L"Show Total Transfer Rate", dockletData, kShowTotalRate),
        Toggle(kMenuShowGraphs, L"Show Download/Upload Graphs", dockletData, kShowGraphs),
        Toggle(kMenuShowIpAddress, L"Show IP Address", dockletData, kShowIpAddress),
        Toggle(kMenuShowAllowanceBar, L"Show Allowance Bar", dockletData, kShowAllowanceBar),
        Separator(10),
        Toggle(kMenuHideLabel, L"Hide Label", labelData, kLabelHidden),
        Toggle(kMenuHideIcons, L"Hide Icons", dockletData, kHideIcons),
        Separator(15),
        {kMenuAbout, L"About Vantrel Docklet", false},
        {kMenuRemoveEntry, L"Remove Entry", false},
        {kMenuSettings, L"Vantrel Docklet Settings...", false},
    }};
}

void ActOnMenuChoice(DockletInstance* instance, UINT id) noexcept {
    uint32_t iconBit = 0;
    switch (id) {
        case kMenuUpdateNow: break;
        case kMenuShowUploadRate: iconBit = kShowUploadRate; break;
        case kMenuShowDownloadRate: iconBit = kShowDownloadRate; break;
        case kMenuShowTotalRate: iconBit = kShowTotalRate; break;
        case kMenuShowGraphs: iconBit = kShowGraphs; break;
        case kMenuShowIpAddress: iconBit = kShowIpAddress; break;
        case kMenuShowAllowanceBar: iconBit = kShowAllowanceBar; break;
        case kMenuHideIcons: iconBit = kHideIcons; break;
        case kMenuHideLabel:
            // The label follows at the next fast tick.
            instance->labelData ^= kLabelHidden;
            return;
        case kMenuDetailedInformation: OnInfo(instance); return;
        case kMenuAbout: OnAbout(instance); return;
        case kMenuDataUsage: OpenUsageWindow(instance); return;
        case kMenuRemoveEntry: host::DockletRemoveSelf(instance->hwndDocklet); return;
        // The sheet refreshes by itself when it ends with OK.
        case kMenuSettings: OnConfigure(instance); return;
        default: return;
    }
    instance->dockletData ^= iconBit;
    Refresh(instance, id == kMenuUpdateNow ? RefreshScope::Repair : RefreshScope::AdapterAndDisplay);
}

void ShowContextMenu(DockletInstance* instance) noexcept {
    if (instance->open.menu) {
        return;
    }
    if (const UINT chosen = TrackContextMenu(instance)) {
        ActOnMenuChoice(instance, chosen);
    }
}
