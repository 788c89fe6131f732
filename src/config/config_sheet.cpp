#include "config/config_sheet.h"

#include "base/activation_context.h"
#include "base/window_placement.h"
#include "config/font_page.h"
#include "config/general_page.h"
#include "config/graph_page.h"
#include "config/icon_page.h"
#include "config/usage_page.h"

#include <commctrl.h>
#include <prsht.h>

#include <cstring>

namespace {

struct PageDefinition {
    int templateId;
    const wchar_t* title;
    DLGPROC procedure;
};

const PageDefinition kPages[] = {
    {IDD_GENERAL_PAGE, L"General", &GeneralPageProc},
    {IDD_ICON_PAGE, L"Icon", &IconPageProc},
    {IDD_FONT_PAGE, L"Font", &FontPageProc},
    {IDD_GRAPH_PAGE, L"Graph", &GraphPageProc},
    {IDD_USAGE_PAGE, L"Usage", &UsagePageProc},
};
constexpr int kPageCount = sizeof kPages / sizeof kPages[0];

}  // namespace

void RemoveContextHelpStyle(void* dialogTemplate) noexcept {
    auto* words = static_cast<WORD*>(dialogTemplate);
    // An extended template starts with version 1 and 0xFFFF; its style follows
    // the help id and the extended style.
    DWORD* style = words[1] == 0xFFFF ? reinterpret_cast<DWORD*>(words + 6) : reinterpret_cast<DWORD*>(words);
    DWORD value;
    std::memcpy(&value, style, sizeof value);
    value &= ~static_cast<DWORD>(DS_CONTEXTHELP);
    std::memcpy(style, &value, sizeof value);
}

int CALLBACK ConfigSheetCallback(HWND sheet, UINT message, LPARAM lParam) {
    if (message == PSCB_PRECREATE && lParam != 0) {
        RemoveContextHelpStyle(reinterpret_cast<void*>(lParam));
    } else if (message == PSCB_INITIALIZED) {
        CenterWindowOnScreen(sheet);
    }
    return 1;
}

void ShowConfigSheet(HINSTANCE instance, HWND parent, ConfigExchange& exchange) noexcept {
    // The controls' classes register in the context that is active here.
    const ModuleControlsScope moduleControls;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);

    PROPSHEETPAGEW pages[kPageCount] = {};
    for (int i = 0; i < kPageCount; ++i) {
        pages[i].dwSize = sizeof pages[i];
        pages[i].dwFlags = PSP_USETITLE;
        pages[i].hInstance = instance;
        pages[i].pszTemplate = MAKEINTRESOURCEW(kPages[i].templateId);
        pages[i].pfnDlgProc = kPages[i].procedure;
        pages[i].pszTitle = kPages[i].title;
        pages[i].lParam = reinterpret_cast<LPARAM>(&exchange);
    }
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_USECALLBACK;
    header.hwndParent = parent;
    header.hInstance = instance;
    header.pszCaption = L"Configure Vantrel Docklet";
    header.nPages = kPageCount;
    header.nStartPage = 0;
    header.ppsp = pages;
    header.pfnCallback = &ConfigSheetCallback;
    PropertySheetW(&header);
}
