#include "config/page_contract.h"

#include <commctrl.h>
#include <prsht.h>

INT_PTR KeepPageRecord(HWND page, LPARAM pageRecord) noexcept {
    SetWindowLongPtrW(page, DWLP_USER, pageRecord);
    const ConfigExchange* exchange = ExchangeOf(page);
    if (exchange && exchange->live) {
        exchange->live->open.sheetWindow = GetParent(page);
    }
    return TRUE;
}

int32_t* ColorDialogSlot(ConfigExchange& exchange) noexcept {
    return exchange.live ? &exchange.live->open.colorDialog : nullptr;
}

ConfigExchange* ExchangeOf(HWND page) noexcept {
    const auto* record = reinterpret_cast<const PROPSHEETPAGEW*>(GetWindowLongPtrW(page, DWLP_USER));
    return record ? reinterpret_cast<ConfigExchange*>(record->lParam) : nullptr;
}

INT_PTR HandlePageNotify(HWND page, const NMHDR& header, const PageHandlers& handlers) noexcept {
    ConfigExchange* exchange = ExchangeOf(page);
    switch (header.code) {
        case PSN_SETACTIVE:
            if (exchange && exchange->working) {
                handlers.fill(page, *exchange);
            }
            return FALSE;
        case PSN_KILLACTIVE:
            if (handlers.check && !handlers.check(page)) {
                SetWindowLongPtrW(page, DWLP_MSGRESULT, TRUE);
                return TRUE;
            }
            if (exchange && exchange->working) {
                handlers.store(page, *exchange);
                exchange->result = kExchangeCommitted;
            }
            SetWindowLongPtrW(page, DWLP_MSGRESULT, FALSE);
            return TRUE;
        case PSN_RESET:
            if (exchange) {
                exchange->result = kExchangeCancelled;
            }
            SetWindowLongPtrW(page, DWLP_MSGRESULT, 0);
            return FALSE;
        default:
            return FALSE;
    }
}

void SetCheck(HWND page, int id, bool checked) noexcept {
    SendDlgItemMessageW(page, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool IsChecked(HWND page, int id) noexcept {
    return SendDlgItemMessageW(page, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool SelectedListText(HWND page, int id, wchar_t* text, int capacity) noexcept {
    text[0] = L'\0';
    const LRESULT selected = SendDlgItemMessageW(page, id, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) {
        return false;
    }
    const LRESULT length = SendDlgItemMessageW(page, id, CB_GETLBTEXTLEN, static_cast<WPARAM>(selected), 0);
    if (length == CB_ERR || length >= capacity) {
        return false;
    }
    SendDlgItemMessageW(page, id, CB_GETLBTEXT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(text));
    return text[0] != L'\0';
}
