#include "config/icon_page.h"

#include "base/host_api.h"
#include "base/image_set_path.h"
#include "base/owners.h"
#include "base/picture_control.h"
#include "base/text.h"
#include "config/image_preview.h"
#include "config/page_contract.h"

#include <cstdio>
#include <cwchar>

namespace {

constexpr int IDC_IMAGE_SET_LIST = 1008;
constexpr int IDC_BACKGROUND_PREVIEW = 1057;
constexpr size_t kPatternCapacity = 275;

void PreviewBackground(HWND page, const DockletInstance& working) noexcept {
    char path[kImagePathCapacity];
    if (BuildImageSetPath(&working, ImagePathBase::Root, "background.png", path, sizeof path)) {
        ShowImagePreview(page, IDC_BACKGROUND_PREVIEW, path);
    }
}

// The docklet's folder, root and relative folder joined; empty when it does not fit.
void DockletFolder(HWND docklet, wchar_t* folder, size_t capacity) noexcept {
    char root[kHostFolderCapacity];
    char relative[kHostFolderCapacity];
    host::DockletGetRootFolder(docklet, root);
    host::DockletGetRelativeFolder(docklet, relative);
    char joined[kImagePathCapacity];
    if (!FormatImageSetPath(root, relative, "", nullptr, joined, sizeof joined) ||
        !AnsiToWide(joined, folder, capacity)) {
        folder[0] = L'\0';
    }
}

void FillIconPage(HWND page, ConfigExchange& exchange) {
    const DockletInstance& working = *exchange.working;
    wchar_t folder[kImagePathCapacity];
    DockletFolder(working.hwndDocklet, folder, kImagePathCapacity);
    FillImageSetList(folder, GetDlgItem(page, IDC_IMAGE_SET_LIST), working.imagesFolder);
    PreviewBackground(page, working);
}

void StoreIconPage(HWND page, ConfigExchange& exchange) {
    wchar_t chosen[270];
    if (SelectedListText(page, IDC_IMAGE_SET_LIST, chosen, 270)) {
        CopyText(exchange.working->imagesFolder, chosen);
    }
}

INT_PTR IconPageBody(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return KeepPageRecord(page, lParam);
        case WM_NOTIFY:
            return HandlePageNotify(page, *reinterpret_cast<const NMHDR*>(lParam),
                                    PageHandlers{&FillIconPage, &StoreIconPage});
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_IMAGE_SET_LIST && HIWORD(wParam) == CBN_SELENDOK) {
                ConfigExchange* exchange = ExchangeOf(page);
                wchar_t chosen[270];
                if (exchange && exchange->working && SelectedListText(page, IDC_IMAGE_SET_LIST, chosen, 270)) {
                    CopyText(exchange->working->imagesFolder, chosen);
                    PreviewBackground(page, *exchange->working);
                }
            }
            return FALSE;
        case WM_DESTROY:
            TakeBackPicture(page, IDC_BACKGROUND_PREVIEW);
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK IconPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    return GuardedPageProc<&IconPageBody>(page, message, wParam, lParam);
}

void FillImageSetList(const wchar_t* folder, HWND list, const wchar_t* current) noexcept {
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    wchar_t pattern[kPatternCapacity];
    const int written = std::swprintf(pattern, kPatternCapacity, L"%ls*.*", folder);
    if (folder[0] == L'\0' || written < 0 || static_cast<size_t>(written) >= kPatternCapacity) {
        return;
    }
    WIN32_FIND_DATAW entry;
    const FindOwner search(FindFirstFileW(pattern, &entry));
    if (!search) {
        return;
    }
    WPARAM count = 0;
    do {
        const bool directory = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!directory || _wcsicmp(entry.cFileName, L".") == 0 || _wcsicmp(entry.cFileName, L"..") == 0) {
            continue;
        }
        SendMessageW(list, CB_INSERTSTRING, count, reinterpret_cast<LPARAM>(entry.cFileName));
        if (current && _wcsicmp(current, entry.cFileName) == 0) {
            SendMessageW(list, CB_SETCURSEL, count, 0);
        }
        ++count;
    } while (FindNextFileW(search.get(), &entry));
}
