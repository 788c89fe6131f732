#include "info/network_info_dialog.h"

#include "base/docklet_instance.h"
#include "base/text.h"
#include "base/window_placement.h"
#include "info/external_address.h"
#include "info/external_lookup.h"
#include "info/network_info_ids.h"
#include "info/network_info_text.h"

namespace {

void ShowTexts(HWND dialog, const std::vector<ControlText>& texts) {
    for (const ControlText& text : texts) {
        SetDlgItemTextW(dialog, text.controlId, text.text.c_str());
    }
}

constexpr int kLogoBitmap = 1006;

// The logo is drawn straight from the module's resource at each paint, so
// the dialog makes and holds no bitmap for it.
void DrawLogo(const DRAWITEMSTRUCT& item) {
    const auto module = reinterpret_cast<HMODULE>(GetWindowLongPtrW(item.hwndItem, GWLP_HINSTANCE));
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(kLogoBitmap), MAKEINTRESOURCEW(2));  // RT_BITMAP
    const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const auto* info = static_cast<const BITMAPINFO*>(loaded ? LockResource(loaded) : nullptr);
    const size_t size = found ? SizeofResource(module, found) : 0;
    if (!info || size < sizeof(BITMAPINFOHEADER) || info->bmiHeader.biBitCount != 24 ||
        info->bmiHeader.biCompression != BI_RGB || info->bmiHeader.biWidth <= 0 || info->bmiHeader.biHeight <= 0) {
        return;
    }
    const BITMAPINFOHEADER& header = info->bmiHeader;
    const size_t stride = (static_cast<size_t>(header.biWidth) * 3 + 3) / 4 * 4;
    if (header.biSize > size || stride * static_cast<size_t>(header.biHeight) > size - header.biSize) {
        return;
    }
    SetDIBitsToDevice(item.hDC, item.rcItem.left, item.rcItem.top, header.biWidth, header.biHeight, 0, 0, 0,
                      header.biHeight, reinterpret_cast<const BYTE*>(info) + header.biSize, info, DIB_RGB_COLORS);
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
