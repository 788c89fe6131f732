#include "core/dialogs.h"

#include "base/activation_context.h"
#include "core/exports.h"

namespace {

INT_PTR OpenDialog(DockletInstance* instance, int templateId, DLGPROC procedure) noexcept {
    return WithModuleControls([&] {
        return DialogBoxParamW(instance->hInstance, MAKEINTRESOURCEW(templateId), instance->hwndDocklet, procedure,
                               reinterpret_cast<LPARAM>(instance));
    });
}

}  // namespace

INT_PTR OpenConfigureDialog(DockletInstance* instance) noexcept {
    return OpenDialog(instance, IDD_PLACEHOLDER, &ConfigureDocklet);
}

INT_PTR OpenInfoDialog(DockletInstance* instance) noexcept {
    return OpenDialog(instance, IDD_NETWORK_INFO, &InfoDocklet);
}

INT_PTR OpenAboutDialog(DockletInstance* instance) noexcept {
    return OpenDialog(instance, IDD_ABOUT, &AboutDocklet);
}
