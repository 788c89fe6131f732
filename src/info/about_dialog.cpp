#include "info/about_dialog.h"

#include "base/picture_control.h"
#include "base/window_placement.h"

#include <cwchar>

INT_PTR AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: {
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
        case WM_DESTROY:
            // The picture control loaded the logo from the template but does not
            // free it on every system; taking it back frees it exactly once.
            TakeBackPicture(dialog, 1007);
            return FALSE;
        default:
            return FALSE;
    }
}
