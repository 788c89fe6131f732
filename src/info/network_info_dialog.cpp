#include "info/network_info_dialog.h"

#include "base/docklet_instance.h"
#include "base/text.h"
#include "base/window_placement.h"
#include "info/external_address.h"
#include "info/external_lookup.h"
#include "info/logo.h"
#include "info/network_info_ids.h"
#include "info/network_info_text.h"

namespace {

void ShowTexts(HWND dialog, const std::vector<ControlText>& texts) {
    for (const ControlText& text : texts) {
        SetDlgItemTextW(dialog, text.controlId, text.text.c_str());
    }
}

// What one open dialog keeps: the icon, the lookup it watches, and the
// information dialog of the icon that was open before it (normally none).
struct InfoDialogState {
    DockletInstance* instance;
    ExternalLookup* lookup;
    HWND previousDialog;
};

InfoDialogState* StateOf(HWND dialog) noexcept {
    return reinterpret_cast<InfoDialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

// An address that cannot be asked shows what the record holds; any other is
// looked up beside the dialog, which shows at once.
void StartExternalRow(HWND dialog, InfoDialogState& state) {
    DockletInstance& instance = *state.instance;
    const wchar_t* shown = instance.externalIpAddress;
    if (IsLookupUrl(instance.ipAddressUrl) && !instance.destroyed) {
        state.lookup = WatchLookup(instance, dialog);
        shown = state.lookup ? L"Looking up..." : L"Not found";
    }
    SetDlgItemTextW(dialog, IDC_INFO_EXTERNAL_ADDRESS, shown);
}

void FillDialog(HWND dialog, DockletInstance& instance) {
    auto* state = new InfoDialogState{&instance, nullptr, instance.open.infoDialog};
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    instance.open.infoDialog = dialog;
    CenterWindowOnScreen(dialog);
    ShowTexts(dialog, AdapterTexts(instance));
    ShowTexts(dialog, AddressDetailTexts(instance));
    StartExternalRow(dialog, *state);
}

void ShowLookupAnswer(HWND dialog, const InfoDialogState& state) noexcept {
    wchar_t answer[16];
    if (!state.lookup || !TakeLookupAnswer(*state.lookup, answer)) {
        return;
    }
    if (!state.instance->destroyed) {
        CopyText(state.instance->externalIpAddress, answer);
    }
    SetDlgItemTextW(dialog, IDC_INFO_EXTERNAL_ADDRESS, answer);
}

// Waits for nothing: a lookup still running ends by itself within its bound.
void ForgetDialog(HWND dialog) noexcept {
    InfoDialogState* state = StateOf(dialog);
    if (!state) {
        return;
    }
    SetWindowLongPtrW(dialog, DWLP_USER, 0);
    StopWatchingLookup(state->lookup, dialog);
    if (state->instance->open.infoDialog == dialog) {
        state->instance->open.infoDialog = state->previousDialog;
    }
    delete state;
}

}  // namespace

INT_PTR InfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        if (auto* instance = reinterpret_cast<DockletInstance*>(lParam)) {
            FillDialog(dialog, *instance);
            return FALSE;
        }
        return TRUE;
    }
    if (message == kLookupEndedMessage) {
        if (const InfoDialogState* state = StateOf(dialog)) {
            ShowLookupAnswer(dialog, *state);
        }
        return TRUE;
    }
    if (message == WM_DESTROY) {
        ForgetDialog(dialog);
        return FALSE;
    }
    if (message == WM_DRAWITEM && wParam == IDC_INFO_LOGO) {
        DrawLogo(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    }
    // OK, and also Escape and the close box (both arrive as IDCANCEL): the
    // dialog only shows, so every way out is the same.
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}
