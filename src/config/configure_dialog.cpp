#include "config/configure_dialog.h"

#include "base/owners.h"
#include "base/window_placement.h"
#include "config/config_sheet.h"
#include "config/working_copy.h"

#include <cstdlib>

namespace {

constexpr wchar_t kInstanceProperty[] = L"lpData";

template <typename T>
MallocOwner<T> AllocateZeroed() noexcept {
    return MallocOwner<T>(static_cast<T*>(std::calloc(1, sizeof(T))));
}

// Runs the sheet on a working copy and commits it when a page committed last,
// unless the dock destroyed the icon meanwhile: then the sheet ended as if
// cancelled, and a page that was never shown may not have heard of it.
void ConfigureInstance(HWND placeholder, DockletInstance* live) noexcept {
    CenterWindowOnScreen(placeholder);
    const MallocOwner<ConfigExchange> exchange = AllocateZeroed<ConfigExchange>();
    const MallocOwner<DockletInstance> working = AllocateZeroed<DockletInstance>();
    if (!exchange || !working) {
        return;
    }
    exchange.get()->working = working.get();
    exchange.get()->live = live;
    FillWorkingCopy(*live, *working.get());
    live->open.sheet = 1;
    ShowConfigSheet(live->hInstance, placeholder, *exchange.get());
    live->open.sheet = 0;
    live->open.sheetWindow = nullptr;
    if (exchange.get()->result == kExchangeCommitted && !live->destroyed) {
        CommitWorkingCopy(live, *working.get());
    }
}

}  // namespace

INT_PTR ConfigureDialogProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_DESTROY) {
        RemovePropW(dialog, kInstanceProperty);
    } else if (message == WM_INITDIALOG) {
        SetPropW(dialog, kInstanceProperty, reinterpret_cast<HANDLE>(lParam));
        if (auto* live = static_cast<DockletInstance*>(GetPropW(dialog, kInstanceProperty))) {
            ConfigureInstance(dialog, live);
        }
        EndDialog(dialog, 0);
    }
    return FALSE;
}
