#include "info/about_dialog.h"

#include "base/docklet_instance.h"
#include "base/window_placement.h"
#include "info/logo.h"

#include <cwchar>

namespace {

constexpr int kLogoControl = 1007;

// The icon knows its About box while it is up, so that the dock can destroy
// the icon from inside the box's loop.
void NoteOpenBox(HWND dialog, HWND shown) noexcept {
    if (auto* instance = reinterpret_cast<DockletInstance*>(GetWindowLongPtrW(dialog, DWLP_USER))) {
        instance->open.aboutDialog = shown;
    }
}

}  // namespace

INT_PTR AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            NoteOpenBox(dialog, dialog);
            CenterWindowOnScreen(dialog);
            wchar_t title[500];
            std::swprintf(title, sizeof title / sizeof title[0], L"About %ls v%ls", L"Vantrel Docklet", L"0.1.0.5g");
            SetWindowTextW(dialog, title);
            return FALSE;
        }
        case WM_COMMAND:
            // Escape and the close box (the dialog manager turns both into
            // IDCANCEL) close the box as OK does.
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, 0);
                return TRUE;
            }
            return FALSE;
        case WM_DRAWITEM:
            if (wParam == kLogoControl) {
                DrawLogo(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
                return TRUE;
            }
            return FALSE;
        case WM_DESTROY:
            NoteOpenBox(dialog, nullptr);
            return FALSE;
        default:
            return FALSE;
    }
}
