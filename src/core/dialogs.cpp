#include "core/dialogs.h"

#include "base/activation_context.h"
#include "core/exports.h"
#include "core/open_windows.h"
#include "info/usage_window.h"

namespace {

INT_PTR CALLBACK UsageWindowEntry(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return UsageWindowProc(dialog, message, wParam, lParam);
}

INT_PTR OpenDialog(DockletInstance* instance, int templateId, DLGPROC procedure) noexcept {
    return WithModuleControls([&] {
        return DialogBoxParamW(instance->hInstance, MAKEINTRESOURCEW(templateId), instance->hwndDocklet, procedure,
                               reinterpret_cast<LPARAM>(instance));
    });
}

}  // namespace

// A dock may ask again while the icon's window is up (its loop passes the
// dock's messages on): the open one comes to the front instead of a second.
INT_PTR OpenConfigureDialog(DockletInstance* instance) noexcept {
    if (instance->open.sheet) {
        RaiseIfOpen(instance->open.sheetWindow);
        return 0;
    }
    return OpenDialog(instance, IDD_PLACEHOLDER, &ConfigureDocklet);
}

INT_PTR OpenInfoDialog(DockletInstance* instance) noexcept {
    if (RaiseIfOpen(instance->open.infoDialog)) {
        return 0;
    }
    return OpenDialog(instance, IDD_NETWORK_INFO, &InfoDocklet);
}

INT_PTR OpenAboutDialog(DockletInstance* instance) noexcept {
    if (RaiseIfOpen(instance->open.aboutDialog)) {
        return 0;
    }
    return OpenDialog(instance, IDD_ABOUT, &AboutDocklet);
}

INT_PTR OpenUsageWindow(DockletInstance* instance) noexcept {
    if (RaiseIfOpen(instance->open.usageWindow)) {
        return 0;
    }
    return OpenDialog(instance, IDD_USAGE, &UsageWindowEntry);
}
