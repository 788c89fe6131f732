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

// What one open dialog keeps: the icon, the lookups it watches (IPv4, IPv6),
// and the information dialog of the icon that was open before it (normally none).
struct InfoDialogState {
    DockletInstance* instance;
    ExternalLookup* lookups[2];
    HWND previousDialog;
};

InfoDialogState* StateOf(HWND dialog) noexcept {
    return reinterpret_cast<InfoDialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

// One external address row: the family, its control, and the record's URL and answer.
struct ExternalRow {
    AddressFamily family;
    int controlId;
    wchar_t (DockletInstance::*url)[2048];
    wchar_t (DockletInstance::*answer)[kAddressTextCapacity];
};

constexpr ExternalRow kExternalRows[] = {
    {AddressFamily::Ipv4, IDC_INFO_EXTERNAL_ADDRESS, &DockletInstance::ipAddressUrl,
     &DockletInstance::externalIpAddress},
    {AddressFamily::Ipv6, IDC_INFO_EXTERNAL_IPV6, &DockletInstance::ipV6AddressUrl,
     &DockletInstance::externalIpV6Address},
};

// An address that cannot be asked shows what the record holds (an IPv6 row
// without a URL nothing); any other is looked up beside the dialog, which
// shows at once. Both lookups run at the same time.
void StartExternalRows(HWND dialog, InfoDialogState& state) {
    DockletInstance& instance = *state.instance;
    for (size_t i = 0; i < 2; ++i) {
        const ExternalRow& row = kExternalRows[i];
        const wchar_t* url = instance.*row.url;
        const wchar_t* shown = instance.*row.answer;
        if (row.family == AddressFamily::Ipv6 && url[0] == L'\0') {
            shown = L"";
        } else if (IsLookupUrl(url) && !instance.destroyed) {
            state.lookups[i] = WatchLookup(instance, row.family, dialog);
            shown = state.lookups[i] ? L"Looking up..." : L"Not found";
        }
        SetDlgItemTextW(dialog, row.controlId, shown);
    }
}

void FillDialog(HWND dialog, DockletInstance& instance) {
    auto* state = new InfoDialogState{&instance, {nullptr, nullptr}, instance.open.infoDialog};
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    instance.open.infoDialog = dialog;
    CenterWindowOnScreen(dialog);
    ShowTexts(dialog, AdapterTexts(instance));
    ShowTexts(dialog, AddressDetailTexts(instance));
    StartExternalRows(dialog, *state);
}

// Either lookup may have ended; a row already filled in is written again with
// the same answer.
void ShowLookupAnswers(HWND dialog, const InfoDialogState& state) noexcept {
    for (size_t i = 0; i < 2; ++i) {
        wchar_t answer[kAddressTextCapacity];
        if (!state.lookups[i] || !TakeLookupAnswer(*state.lookups[i], answer)) {
            continue;
        }
        if (!state.instance->destroyed) {
            CopyText(state.instance->*kExternalRows[i].answer, answer);
        }
        SetDlgItemTextW(dialog, kExternalRows[i].controlId, answer);
    }
}

// Waits for nothing: a lookup still running ends by itself within its bound.
void ForgetDialog(HWND dialog) noexcept {
    InfoDialogState* state = StateOf(dialog);
    if (!state) {
        return;
    }
    SetWindowLongPtrW(dialog, DWLP_USER, 0);
    for (ExternalLookup* lookup : state->lookups) {
        StopWatchingLookup(lookup, dialog);
    }
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
            ShowLookupAnswers(dialog, *state);
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
