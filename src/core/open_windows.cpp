#include "core/open_windows.h"

#include <commctrl.h>
#include <prsht.h>

namespace {

// A modal loop looks at its end mark only after its next message.
void EndModalDialog(HWND dialog) noexcept {
    if (dialog && IsWindow(dialog)) {
        EndDialog(dialog, 0);
        PostMessageW(dialog, WM_NULL, 0, 0);
    }
}

struct ColorDialogSearch {
    const DockletInstance* instance;
    HWND found;
};

// The system's colour dialog is a dialog of this thread owned by the docklet
// window (or, for a child window, by its top-level window), shown, and none of
// the icon's own dialogs; the sheet's placeholder owned by it is hidden.
BOOL CALLBACK MatchColorDialog(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<ColorDialogSearch*>(lParam);
    const HWND docklet = search->instance->hwndDocklet;
    const HWND owner = GetWindow(window, GW_OWNER);
    wchar_t className[8] = {};
    GetClassNameW(window, className, 8);
    if (owner && (owner == docklet || owner == GetAncestor(docklet, GA_ROOT)) && IsWindowVisible(window) &&
        lstrcmpW(className, L"#32770") == 0 && window != search->instance->open.infoDialog &&
        window != search->instance->open.aboutDialog && window != search->instance->open.usageWindow) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindColorDialog(const DockletInstance* instance) noexcept {
    ColorDialogSearch search{instance, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &MatchColorDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

void CloseOpenWindows(DockletInstance* instance) noexcept {
    OpenWindows& open = instance->open;
    if (open.colorDialog) {
        EndModalDialog(FindColorDialog(instance));
    }
    if (open.sheetWindow && IsWindow(open.sheetWindow)) {
        // Cancel, not OK: nothing of the sheet is committed for an icon that is gone.
        PropSheet_PressButton(open.sheetWindow, PSBTN_CANCEL);
        PostMessageW(open.sheetWindow, WM_NULL, 0, 0);
    }
    if (open.menu) {
        EndMenu();
    }
    EndModalDialog(open.infoDialog);
    EndModalDialog(open.aboutDialog);
    EndModalDialog(open.usageWindow);
}

bool RaiseIfOpen(HWND window) noexcept {
    if (!window || !IsWindow(window)) {
        return false;
    }
    SetForegroundWindow(window);
    return true;
}
