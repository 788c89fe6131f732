#include "config/usage_page.h"

#include "config/page_contract.h"
#include "usage/usage_store.h"

#include <commctrl.h>

#include <climits>
#include <cwchar>

namespace {

constexpr int IDC_START_DAY = 1140;
constexpr int IDC_START_DAY_SPIN = 1141;
constexpr int IDC_ALLOWANCE = 1142;
constexpr int IDC_ALLOWANCE_UNIT = 1143;
constexpr int IDC_DATABASE_PATH = 1147;

// The count choices, in the order of their values.
constexpr int kCountChoices[] = {1144, 1145, 1146};

constexpr int kFieldCapacity = 16;

void ShowBalloon(HWND page, int id, const wchar_t* text) noexcept {
    const HWND field = GetDlgItem(page, id);
    EDITBALLOONTIP tip{sizeof tip, L"Vantrel Docklet", text, TTI_ERROR};
    SendMessageW(field, EM_SHOWBALLOONTIP, 0, reinterpret_cast<LPARAM>(&tip));
    SetFocus(field);
    SendMessageW(field, EM_SETSEL, 0, -1);
}

int SelectedUnit(HWND page) noexcept {
    return SendDlgItemMessageW(page, IDC_ALLOWANCE_UNIT, CB_GETCURSEL, 0, 0) == kAllowanceUnitMb ? kAllowanceUnitMb
                                                                                                : kAllowanceUnitGb;
}

bool ReadStartDay(HWND page, int32_t* day) noexcept {
    BOOL failed = FALSE;
    const LRESULT value = SendDlgItemMessageW(page, IDC_START_DAY_SPIN, UDM_GETPOS32, 0,
                                              reinterpret_cast<LPARAM>(&failed));
    if (failed || value < 1 || value > 31) {
        return false;
    }
    *day = static_cast<int32_t>(value);
    return true;
}

bool ReadAllowance(HWND page, int32_t* allowanceMb) noexcept {
    wchar_t text[kFieldCapacity] = {};
    GetDlgItemTextW(page, IDC_ALLOWANCE, text, kFieldCapacity);
    return ParseAllowanceField(text, SelectedUnit(page), allowanceMb);
}

void FillUsagePage(HWND page, ConfigExchange& exchange) {
    const DockletInstance& working = *exchange.working;
    SendDlgItemMessageW(page, IDC_START_DAY_SPIN, UDM_SETRANGE32, 1, 31);
    SendDlgItemMessageW(page, IDC_START_DAY_SPIN, UDM_SETPOS32, 0,
                        working.usageStartDay >= 1 && working.usageStartDay <= 31 ? working.usageStartDay : 1);
    const HWND units = GetDlgItem(page, IDC_ALLOWANCE_UNIT);
    if (SendMessageW(units, CB_GETCOUNT, 0, 0) == 0) {
        SendMessageW(units, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"MB"));
        SendMessageW(units, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"GB"));
    }
    wchar_t text[kFieldCapacity];
    int unit = kAllowanceUnitGb;
    AllowanceFieldText(working.usageAllowance, text, kFieldCapacity, &unit);
    SetDlgItemTextW(page, IDC_ALLOWANCE, text);
    SendMessageW(units, CB_SETCURSEL, static_cast<WPARAM>(unit), 0);
    for (int count = 0; count < 3; ++count) {
        SetCheck(page, kCountChoices[count], working.usageCount == count);
    }
    wchar_t path[MAX_PATH * 2] = {};
    UsageDatabasePath(path, MAX_PATH * 2);
    SetDlgItemTextW(page, IDC_DATABASE_PATH, path);
}

// Leaving the page with a value it cannot store keeps it open on that field.
bool CheckUsagePage(HWND page) noexcept {
    int32_t value = 0;
    if (!ReadStartDay(page, &value)) {
        ShowBalloon(page, IDC_START_DAY, L"Enter a day from 1 to 31.");
        return false;
    }
    if (!ReadAllowance(page, &value)) {
        ShowBalloon(page, IDC_ALLOWANCE, L"Enter a whole number, or leave it empty for no allowance.");
        return false;
    }
    return true;
}

void StoreUsagePage(HWND page, ConfigExchange& exchange) {
    DockletInstance& working = *exchange.working;
    ReadStartDay(page, &working.usageStartDay);
    ReadAllowance(page, &working.usageAllowance);
    for (int count = 0; count < 3; ++count) {
        if (IsChecked(page, kCountChoices[count])) {
            working.usageCount = count;
        }
    }
}

INT_PTR UsagePageBody(HWND page, UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return KeepPageRecord(page, lParam);
        case WM_NOTIFY:
            return HandlePageNotify(page, *reinterpret_cast<const NMHDR*>(lParam),
                                    PageHandlers{&FillUsagePage, &StoreUsagePage, &CheckUsagePage});
        default:
            return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK UsagePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    return GuardedPageProc<&UsagePageBody>(page, message, wParam, lParam);
}

void AllowanceFieldText(int32_t allowanceMb, wchar_t* text, size_t capacity, int* unit) noexcept {
    if (allowanceMb <= 0) {
        *unit = kAllowanceUnitGb;
        if (capacity > 0) {
            text[0] = L'\0';
        }
        return;
    }
    *unit = allowanceMb % 1000 == 0 ? kAllowanceUnitGb : kAllowanceUnitMb;
    std::swprintf(text, capacity, L"%d", *unit == kAllowanceUnitGb ? allowanceMb / 1000 : allowanceMb);
}

bool ParseAllowanceField(const wchar_t* text, int unit, int32_t* allowanceMb) noexcept {
    const int64_t factor = unit == kAllowanceUnitGb ? 1000 : 1;
    int64_t value = 0;
    for (const wchar_t* c = text; *c; ++c) {
        if (*c < L'0' || *c > L'9') {
            return false;
        }
        value = value * 10 + (*c - L'0');
        if (value * factor > INT32_MAX) {
            return false;
        }
    }
    *allowanceMb = static_cast<int32_t>(value * factor);
    return true;
}
