#include "info/network_info_dialog.h"

#include "base/docklet_instance.h"
#include "base/window_placement.h"
#include "info/external_address.h"
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

void FillDialog(HWND dialog, DockletInstance& instance) {
    CenterWindowOnScreen(dialog);
    ShowTexts(dialog, AdapterTexts(instance));
    LookUpExternalAddress(instance.ipAddressUrl, instance.externalIpAddress);
    SetDlgItemTextW(dialog, IDC_INFO_EXTERNAL_ADDRESS, instance.externalIpAddress);
    ShowTexts(dialog, AddressDetailTexts(instance));
}

}  // namespace

INT_PTR InfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        if (auto* instance = reinterpret_cast<DockletInstance*>(lParam)) {
            // The icon knows its dialog while it is up, so that the dock can
            // destroy the icon from inside the dialog's loop.
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            instance->open.infoDialog = dialog;
            FillDialog(dialog, *instance);
            return FALSE;
        }
        return TRUE;
    }
    if (message == WM_DESTROY) {
        if (auto* instance = reinterpret_cast<DockletInstance*>(GetWindowLongPtrW(dialog, DWLP_USER))) {
            instance->open.infoDialog = nullptr;
        }
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
