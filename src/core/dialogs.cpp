#include "core/dialogs.h"

#include "core/exports.h"

namespace {

INT_PTR OpenDialog(DockletInstance* instance, int templateId, DLGPROC procedure) noexcept {
    return DialogBoxParamW(instance->hInstance, MAKEINTRESOURCEW(templateId), instance->hwndDocklet, procedure,
                           reinterpret_cast<LPARAM>(instance));
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

namespace {

// The common part of every dialog here: it closes on OK or Cancel.
INT_PTR CloseOnOkOrCancel(HWND dialog, UINT message, WPARAM wParam) noexcept {
    if (message == WM_INITDIALOG) {
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

INT_PTR ConfigureDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) noexcept {
    return CloseOnOkOrCancel(dialog, message, wParam);
}

INT_PTR InfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) noexcept {
    return CloseOnOkOrCancel(dialog, message, wParam);
}

INT_PTR AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) noexcept {
    return CloseOnOkOrCancel(dialog, message, wParam);
}
