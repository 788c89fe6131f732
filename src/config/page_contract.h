// What every page of the settings sheet does with the sheet's notifications:
// refill its controls from the working copy when it becomes active, store them
// into it when it is left (or OK is pressed on it), and mark a cancel.
#pragma once

#include "config/config_exchange.h"

#include <windows.h>

struct PageHandlers {
    void (*fill)(HWND page, ConfigExchange& exchange);
    void (*store)(HWND page, ConfigExchange& exchange);
    // Optional: false keeps the page open (it has shown why).
    bool (*check)(HWND page) = nullptr;
};

// WM_INITDIALOG: keeps the page record, whose lParam is the sheet's exchange,
// and tells the icon which window its sheet is.
INT_PTR KeepPageRecord(HWND page, LPARAM pageRecord) noexcept;

// Where the icon notes that a page's colour dialog is up (null without an icon).
int32_t* ColorDialogSlot(ConfigExchange& exchange) noexcept;

// The exchange of the page's sheet; null before WM_INITDIALOG.
ConfigExchange* ExchangeOf(HWND page) noexcept;

// PSN_SETACTIVE, PSN_KILLACTIVE and PSN_RESET; other notifications return FALSE.
INT_PTR HandlePageNotify(HWND page, const NMHDR& header, const PageHandlers& handlers) noexcept;

// Runs a page procedure so that nothing escapes into the sheet's code.
template <INT_PTR (*Body)(HWND, UINT, WPARAM, LPARAM)>
INT_PTR CALLBACK GuardedPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return Body(page, message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

// Small helpers the pages share.
void SetCheck(HWND page, int id, bool checked) noexcept;
bool IsChecked(HWND page, int id) noexcept;
// The selected entry's text of a drop-down list; false (and empty) without a selection.
bool SelectedListText(HWND page, int id, wchar_t* text, int capacity) noexcept;
