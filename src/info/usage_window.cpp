#include "info/usage_window.h"

#include "base/docklet_instance.h"
#include "base/picture_control.h"
#include "base/window_placement.h"
#include "cycle/usage_counting.h"
#include "info/usage_export_command.h"
#include "info/usage_window_ids.h"
#include "info/usage_window_text.h"
#include "render/color_argb.h"
#include "render/preview_picture.h"
#include "render/usage_chart.h"

#include <commctrl.h>

#include <cwchar>

namespace {

constexpr UINT_PTR kFollowTimer = 1;

// What one open window keeps: the icon, the summary as last read from the
// store, the write it was read after, and the usage window of the icon open
// before it (normally none).
struct UsageWindowState {
    DockletInstance* instance;
    UsageSummary stored;
    uint64_t readAfterWrite;
    HWND previousWindow;
};

UsageWindowState* StateOf(HWND dialog) noexcept {
    return reinterpret_cast<UsageWindowState*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

int32_t StartDay(const DockletInstance& instance) noexcept {
    return instance.usageStartDay >= 1 && instance.usageStartDay <= 31 ? instance.usageStartDay : 1;
}

void ReadStored(UsageWindowState& state) noexcept {
    DockletInstance& instance = *state.instance;
    ReadUsageSummary(instance.usage.guid, StartDay(instance), UsageClockNow(), &state.stored);
    state.readAfterWrite = instance.usage.lastWrite;
}

void ShowRow(HWND dialog, int row, UsagePair pair) noexcept {
    wchar_t texts[3][kAmountTextCapacity];
    FormatUsageRow(pair, texts);
    for (int column = 0; column < 3; ++column) {
        SetDlgItemTextW(dialog, IDC_USAGE_TOTALS + 3 * row + column, texts[column]);
    }
}

void ShowAllowance(HWND dialog, const DockletInstance& instance, const UsageSummary& summary) noexcept {
    const bool allowance = instance.usageAllowance > 0;
    const int ids[] = {IDC_USAGE_ALLOWANCE_LABEL, IDC_USAGE_PACE_LABEL, IDC_USAGE_TOTALS + 12, IDC_USAGE_TOTALS + 15,
                       IDC_USAGE_TOTALS + 16, IDC_USAGE_TOTALS + 17};
    for (int id : ids) {
        ShowWindow(GetDlgItem(dialog, id), allowance ? SW_SHOWNA : SW_HIDE);
    }
    if (!allowance) {
        return;
    }
    wchar_t share[64];
    FormatAllowanceShare(Counted(&instance, summary.month.received, summary.month.sent), instance.usageAllowance,
                         share, 64);
    SetDlgItemTextW(dialog, IDC_USAGE_TOTALS + 12, share);
    ShowRow(dialog, 5, ProjectMonth(summary.month, summary.monthPassed));
}

void SetListText(HWND list, int item, int column, const wchar_t* text) noexcept {
    LVITEMW entry{};
    entry.iSubItem = column;
    entry.pszText = const_cast<wchar_t*>(text);
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&entry));
}

void ShowMonths(HWND dialog, const UsageSummary& summary) noexcept {
    const HWND list = GetDlgItem(dialog, IDC_USAGE_MONTHS);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    const int shown = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = shown; i > summary.monthCount; --i) {
        SendMessageW(list, LVM_DELETEITEM, static_cast<WPARAM>(i - 1), 0);
    }
    for (int i = 0; i < summary.monthCount; ++i) {
        wchar_t date[16];
        FormatIsoDate(summary.monthStarts[i], date, 16);
        if (i >= shown) {
            LVITEMW entry{};
            entry.mask = LVIF_TEXT;
            entry.iItem = i;
            entry.pszText = date;
            SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&entry));
        }
        SetListText(list, i, 0, date);
        wchar_t texts[3][kAmountTextCapacity];
        FormatUsageRow(summary.months[i], texts);
        for (int column = 0; column < 3; ++column) {
            SetListText(list, i, column + 1, texts[column]);
        }
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
}

void ShowChart(HWND dialog, const DockletInstance& instance, const UsageSummary& summary) noexcept {
    UsageChart chart{};
    chart.days = summary.days;
    chart.todayIndex = summary.todayIndex;
    for (int32_t i = 0; i < summary.days && i < 31; ++i) {
        chart.received[i] = summary.daily[i].received;
        chart.sent[i] = summary.daily[i].sent;
    }
    if (instance.usageAllowance > 0 && summary.days > 0) {
        chart.dailyShare = static_cast<uint64_t>(instance.usageAllowance) * 1000000ull /
                           static_cast<uint64_t>(summary.days);
    }
    chart.receivedArgb = ColorToArgb(instance.downloadColor, 255);
    chart.sentArgb = ColorToArgb(instance.uploadColor, 255);
    const SIZE room = PictureRoom(dialog, IDC_USAGE_CHART);
    const PreviewCanvas canvas = MakePreviewCanvas(room.cx, room.cy);
    if (!canvas.graphics) {
        return;
    }
    GdipGraphicsClear(canvas.graphics.get(), MenuBackground());
    DrawUsageChart(canvas.graphics.get(), chart, room.cx, room.cy);
    if (const HBITMAP picture = ToMenuBitmap(canvas.bitmap.get())) {
        SetPicture(dialog, IDC_USAGE_CHART, picture);
    }
}

// The stored summary with what memory counted since; the store is read again
// only after a write.
void ShowUsage(HWND dialog, UsageWindowState& state) noexcept {
    const DockletInstance& instance = *state.instance;
    if (instance.usage.lastWrite != state.readAfterWrite) {
        ReadStored(state);
    }
    UsageSummary shown = state.stored;
    AddPendingUsage(&shown, PendingUsage(&instance));
    ShowRow(dialog, 0, shown.today);
    ShowRow(dialog, 1, shown.yesterday);
    ShowRow(dialog, 2, shown.month);
    ShowRow(dialog, 3, shown.lastMonth);
    ShowAllowance(dialog, instance, shown);
    ShowMonths(dialog, shown);
    ShowChart(dialog, instance, shown);
    SetDlgItemTextW(dialog, IDC_USAGE_NOTICE,
                    instance.usage.notSaved ? L"Usage is not being saved: the folder cannot be written." : L"");
}

void AddColumns(HWND dialog) noexcept {
    const HWND list = GetDlgItem(dialog, IDC_USAGE_MONTHS);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    RECT client{};
    GetClientRect(list, &client);
    const int width = (client.right - client.left - GetSystemMetrics(SM_CXVSCROLL)) / 4;
    const wchar_t* titles[] = {L"Month", L"Downloaded", L"Uploaded", L"Total"};
    for (int i = 0; i < 4; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = i == 0 ? LVCFMT_LEFT : LVCFMT_RIGHT;
        column.cx = width;
        column.pszText = const_cast<wchar_t*>(titles[i]);
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
}

void FillWindow(HWND dialog, DockletInstance& instance) {
    auto* state = new UsageWindowState{&instance, UsageSummary{}, 0, instance.open.usageWindow};
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    instance.open.usageWindow = dialog;
    CenterWindowOnScreen(dialog);
    SetDlgItemTextW(dialog, IDC_USAGE_ADAPTER, instance.interfaceDescription);
    AddColumns(dialog);
    WriteUsage(&instance);
    ReadStored(*state);
    ShowUsage(dialog, *state);
    SetTimer(dialog, kFollowTimer, 1000, nullptr);
}

void ForgetWindow(HWND dialog) noexcept {
    UsageWindowState* state = StateOf(dialog);
    if (!state) {
        return;
    }
    SetWindowLongPtrW(dialog, DWLP_USER, 0);
    KillTimer(dialog, kFollowTimer);
    TakeBackPicture(dialog, IDC_USAGE_CHART);
    if (state->instance->open.usageWindow == dialog) {
        state->instance->open.usageWindow = state->previousWindow;
    }
    delete state;
}

}  // namespace

INT_PTR UsageWindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        if (message == WM_INITDIALOG) {
            if (auto* instance = reinterpret_cast<DockletInstance*>(lParam)) {
                FillWindow(dialog, *instance);
            }
            return TRUE;
        }
        if (message == WM_TIMER && wParam == kFollowTimer) {
            UsageWindowState* state = StateOf(dialog);
            if (state && !state->instance->destroyed) {
                ShowUsage(dialog, *state);
            }
            return TRUE;
        }
        if (message == WM_DESTROY) {
            ForgetWindow(dialog);
            return FALSE;
        }
        if (message == WM_COMMAND && LOWORD(wParam) == IDC_USAGE_EXPORT) {
            if (UsageWindowState* state = StateOf(dialog)) {
                ExportUsage(dialog, *state->instance);
            }
            return TRUE;
        }
        // Close, Escape and the close box: the window only shows.
        if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
            EndDialog(dialog, 0);
            return TRUE;
        }
    } catch (...) {
    }
    return FALSE;
}
