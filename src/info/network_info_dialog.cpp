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
