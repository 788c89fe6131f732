#include "sheet_driver.h"

#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>
#include <prsht.h>

#include <algorithm>

using namespace Gdiplus::DllExports;

namespace testdock {
namespace {

struct PendingSheet {
    HWND dockletWindow;
    const SheetScript* script;
    UINT_PTR timer;
    bool ran;
};

std::vector<PendingSheet*> pending;

struct SheetSearch {
    HWND dockletWindow;
    HWND found;
};

BOOL CALLBACK MatchSheet(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<SheetSearch*>(lParam);
    wchar_t caption[64] = L"";
    GetWindowTextW(window, caption, 64);
    const HWND placeholder = GetWindow(window, GW_OWNER);
    if (IsWindowVisible(window) && std::wstring(caption) == L"Configure Vantrel Docklet" && placeholder &&
        GetWindow(placeholder, GW_OWNER) == search->dockletWindow) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindSheet(HWND dockletWindow) {
    SheetSearch search{dockletWindow, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &MatchSheet, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void CALLBACK PollForSheet(HWND, UINT, UINT_PTR timer, DWORD) {
    auto entry = std::find_if(pending.begin(), pending.end(), [&](PendingSheet* p) { return p->timer == timer; });
    if (entry == pending.end()) {
        return;
    }
    PendingSheet* drive = *entry;
    const HWND sheet = FindSheet(drive->dockletWindow);
    if (!sheet) {
        return;
    }
    KillTimer(nullptr, timer);
    pending.erase(entry);
    drive->ran = true;
    (*drive->script)(sheet);
}

HWND Item(HWND page, int id) { return GetDlgItem(page, id); }

void NotifyParent(HWND page, int id, WORD code) {
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(Item(page, id)));
}

}  // namespace

bool DriveSheet(HWND dockletWindow, const std::function<void()>& open, const SheetScript& script) {
    PendingSheet drive{dockletWindow, &script, SetTimer(nullptr, 0, 20, &PollForSheet), false};
    pending.push_back(&drive);
    open();
    auto left = std::find(pending.begin(), pending.end(), &drive);
    if (left != pending.end()) {
        KillTimer(nullptr, drive.timer);
        pending.erase(left);
    }
    return drive.ran;
}

HWND ShowSheetPage(HWND sheet, int index) {
    SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    return CurrentSheetPage(sheet);
}

HWND CurrentSheetPage(HWND sheet) {
    return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

// The sheet's loop looks at its end only after the next message; a user's
// click brings more, a message sent from a script does not.
void PressButton(HWND sheet, int button) {
    SendMessageW(sheet, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
    PostMessageW(sheet, WM_NULL, 0, 0);
}

void PressOk(HWND sheet) { PressButton(sheet, PSBTN_OK); }

void PressCancel(HWND sheet) { PressButton(sheet, PSBTN_CANCEL); }

void PressEscape(HWND sheet) {
    const HWND tabs = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0));
    PostMessageW(tabs ? tabs : sheet, WM_KEYDOWN, VK_ESCAPE, 0);
}

void TypeText(HWND page, int id, const std::wstring& text) {
    SetWindowTextW(Item(page, id), text.c_str());
}

void ClickButton(HWND page, int id) { SendMessageW(Item(page, id), BM_CLICK, 0, 0); }

void SetCheckBox(HWND page, int id, bool checked) {
    if (IsButtonChecked(page, id) != checked) {
        ClickButton(page, id);
    }
}

bool ChooseListEntry(HWND page, int id, const std::wstring& text) {
    const LRESULT index =
        SendMessageW(Item(page, id), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    if (index == CB_ERR) {
        return false;
    }
    SendMessageW(Item(page, id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    NotifyParent(page, id, CBN_SELCHANGE);
    NotifyParent(page, id, CBN_SELENDOK);
    return true;
}

void MoveSlider(HWND page, int id, int position) {
    SendMessageW(Item(page, id), TBM_SETPOS, TRUE, position);
    for (WORD code : {static_cast<WORD>(TB_THUMBTRACK), static_cast<WORD>(TB_ENDTRACK)}) {
        SendMessageW(page, WM_HSCROLL, MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(Item(page, id)));
    }
}

bool IsButtonChecked(HWND page, int id) {
    return SendMessageW(Item(page, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::vector<std::wstring> ListEntries(HWND page, int id) {
    std::vector<std::wstring> entries;
    const LRESULT count = SendMessageW(Item(page, id), CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring entry(static_cast<size_t>(SendMessageW(Item(page, id), CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
        SendMessageW(Item(page, id), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&entry[0]));
        entry.resize(entry.size() - 1);
        entries.push_back(entry);
    }
    return entries;
}

std::wstring ListSelection(HWND page, int id) {
    const LRESULT selected = SendMessageW(Item(page, id), CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) {
        return L"";
    }
    return ListEntries(page, id)[static_cast<size_t>(selected)];
}

SIZE PictureSize(HWND page, int id) {
    const auto bitmap = reinterpret_cast<HBITMAP>(SendMessageW(Item(page, id), STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP info{};
    if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) {
        return SIZE{0, 0};
    }
    return SIZE{info.bmWidth, info.bmHeight};
}

}  // namespace testdock
