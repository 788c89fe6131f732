#include "config/general_page.h"

#include "base/owners.h"
#include "base/text.h"
#include "config/page_contract.h"
#include "measure/counter_instance_name.h"

#include <iphlpapi.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <iterator>

namespace {

constexpr int IDC_TITLE = 1025;
constexpr int IDC_COMMAND = 1028;
constexpr int IDC_PARAMETERS = 1030;
constexpr int IDC_ADAPTER_COUNT = 1003;
constexpr int IDC_ADAPTER_LIST = 1002;
constexpr int IDC_ADAPTER_GUID = 1011;
constexpr int IDC_HIDE_LABEL = 1023;
constexpr int IDC_ADDRESS_URL = 1027;
constexpr int IDC_IPV6_ADDRESS_URL = 1050;

// The list's first entry follows the default route; the adapters come after it.
constexpr WPARAM kAutomaticEntry = 0;
constexpr wchar_t kAutomaticText[] = L"Automatic (the adapter with the default route)";

// The rate unit choices, in the order of their values.
constexpr int kRateUnitChoices[] = {1036, 1037, 1038};

struct BitControl {
    int id;
    uint32_t bit;
};

constexpr BitControl kLabelChoices[] = {
    {1026, kLabelUpload}, {1029, kLabelDownload}, {1031, kLabelTotal},
    {1032, kLabelBandwidth}, {1033, kLabelTitle}, {1034, kLabelIpAddress},
    {1039, kLabelTodayUsage}, {1040, kLabelMonthUsage},
};
static_assert(std::size(kLabelChoices) == kLabelChoiceCount, "one radio button per label choice");

constexpr BitControl kIconChecks[] = {
    {1019, kShowUploadRate}, {1020, kShowDownloadRate}, {1021, kShowTotalRate},
    {1022, kShowIpAddress}, {1024, kShowGraphs}, {1035, kHideIcons}, {1041, kShowAllowanceBar},
};

// The system's adapter list in a buffer of the process heap; empty when it cannot be read.
ProcessHeapOwner ReadAdapters() noexcept {
    ULONG size = sizeof(IP_ADAPTER_INFO);
    ProcessHeapOwner buffer(HeapAlloc(GetProcessHeap(), 0, size));
    if (!buffer) {
        return buffer;
    }
    ULONG error = GetAdaptersInfo(static_cast<IP_ADAPTER_INFO*>(buffer.get()), &size);
    if (error == ERROR_BUFFER_OVERFLOW) {
        buffer.reset(HeapAlloc(GetProcessHeap(), 0, size));
        if (!buffer) {
            return buffer;
        }
        error = GetAdaptersInfo(static_cast<IP_ADAPTER_INFO*>(buffer.get()), &size);
    }
    if (error != ERROR_SUCCESS) {
        buffer.reset();
    }
    return buffer;
}

struct AdapterText {
    wchar_t description[132];
    wchar_t name[260];
};

// The system's fixed fields need not be terminated.
template <size_t N>
void CopyField(char (&dst)[N + 1], const char (&src)[N]) noexcept {
    const size_t length = strnlen(src, N);
    std::memcpy(dst, src, length);
    dst[length] = '\0';
}

AdapterText TextOf(const IP_ADAPTER_INFO& adapter) noexcept {
    AdapterText text;
    char description[sizeof adapter.Description + 1];
    char name[sizeof adapter.AdapterName + 1];
    CopyField(description, adapter.Description);
    CopyField(name, adapter.AdapterName);
    if (!AnsiToWide(description, text.description, 132)) {
        text.description[0] = L'\0';
    }
    if (!AnsiToWide(name, text.name, 260)) {
        text.name[0] = L'\0';
    }
    return text;
}

void TakeAdapterName(HWND guidText, DockletInstance& working, const AdapterText& adapter) noexcept {
    CopyText(working.adapterGuid, adapter.name);
    SetWindowTextW(guidText, working.adapterGuid);
}

void FillGeneralPage(HWND page, ConfigExchange& exchange) {
    DockletInstance& working = *exchange.working;
    SetDlgItemTextW(page, IDC_TITLE, working.title);
    SetDlgItemTextW(page, IDC_COMMAND, working.command);
    SetDlgItemTextW(page, IDC_PARAMETERS, working.parameters);
    FillAdapterList(GetDlgItem(page, IDC_ADAPTER_LIST), GetDlgItem(page, IDC_ADAPTER_GUID),
                    GetDlgItem(page, IDC_ADAPTER_COUNT), working);
    // Last to first: a version 6 automatic radio button that is checked clears
    // the others of its group, so of several label bits the first in the
    // page's order stays checked, the one storing the page would choose.
    for (size_t i = std::size(kLabelChoices); i-- > 0;) {
        SetCheck(page, kLabelChoices[i].id, (working.labelData & kLabelChoices[i].bit) != 0);
    }
    SetCheck(page, IDC_HIDE_LABEL, (working.labelData & kLabelHidden) != 0);
    for (const BitControl& check : kIconChecks) {
        SetCheck(page, check.id, (working.dockletData & check.bit) != 0);
    }
    for (int unit = 0; unit < 3; ++unit) {
        SetCheck(page, kRateUnitChoices[unit], working.rateUnit == unit);
    }
    SetDlgItemTextW(page, IDC_ADDRESS_URL, working.ipAddressUrl);
    SetDlgItemTextW(page, IDC_IPV6_ADDRESS_URL, working.ipV6AddressUrl);
}

// A list without a selection (the configured adapter is gone) keeps the adapter setting.
void StoreChosenAdapter(HWND page, DockletInstance& working) noexcept {
    if (SendDlgItemMessageW(page, IDC_ADAPTER_LIST, CB_GETCURSEL, 0, 0) == static_cast<LRESULT>(kAutomaticEntry)) {
        // The refresh that follows the commit asks the route for the adapter.
        working.adapterChoice = kAdapterAutomatic;
        return;
    }
    wchar_t description[256];
    if (!SelectedListText(page, IDC_ADAPTER_LIST, description, 256)) {
        return;
    }
    working.adapterChoice = kAdapterConfigured;
    CopyText(working.interfaceDescription, description);
    CopyText(working.counterInstanceName, description);
    ToCounterInstanceName(working.counterInstanceName);
}

void StoreGeneralPage(HWND page, ConfigExchange& exchange) {
    DockletInstance& working = *exchange.working;
    GetDlgItemTextW(page, IDC_TITLE, working.title, 500);
    GetDlgItemTextW(page, IDC_COMMAND, working.command, 260);
    GetDlgItemTextW(page, IDC_PARAMETERS, working.parameters, 260);
    StoreChosenAdapter(page, working);

    bool choices[kLabelChoiceCount];
    for (size_t i = 0; i < kLabelChoiceCount; ++i) {
        choices[i] = IsChecked(page, kLabelChoices[i].id);
    }
    working.labelData = LabelDataFromChoices(choices, IsChecked(page, IDC_HIDE_LABEL));
    working.dockletData = 0;
    for (const BitControl& check : kIconChecks) {
        if (IsChecked(page, check.id)) {
            working.dockletData |= check.bit;
        }
    }
    for (int unit = 0; unit < 3; ++unit) {
        if (IsChecked(page, kRateUnitChoices[unit])) {
            working.rateUnit = unit;
        }
    }
    GetDlgItemTextW(page, IDC_ADDRESS_URL, working.ipAddressUrl, 2048);
    GetDlgItemTextW(page, IDC_IPV6_ADDRESS_URL, working.ipV6AddressUrl, 2048);
}

INT_PTR GeneralPageBody(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return KeepPageRecord(page, lParam);
        case WM_NOTIFY:
            return HandlePageNotify(page, *reinterpret_cast<const NMHDR*>(lParam),
                                    PageHandlers{&FillGeneralPage, &StoreGeneralPage});
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_ADAPTER_LIST) {
                ConfigExchange* exchange = ExchangeOf(page);
                if (exchange && exchange->working) {
                    StoreChosenAdapter(page, *exchange->working);
                    ShowSelectedAdapterGuid(GetDlgItem(page, IDC_ADAPTER_GUID), *exchange->working);
                }
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK GeneralPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    return GuardedPageProc<&GeneralPageBody>(page, message, wParam, lParam);
}

void FormatAdapterCount(long count, wchar_t* text, size_t capacity) noexcept {
    if (count == 0) {
        CopyText(text, capacity, L"No Interface(s) found");
    } else {
        std::swprintf(text, capacity, L"%ld Interface(s) found", count);
    }
}

uint32_t LabelDataFromChoices(const bool (&choices)[kLabelChoiceCount], bool hideLabel) noexcept {
    uint32_t labelData = 0;
    for (size_t i = 0; i < kLabelChoiceCount; ++i) {
        if (choices[i]) {
            labelData = kLabelChoices[i].bit;
            break;
        }
    }
    return hideLabel ? labelData | kLabelHidden : labelData;
}

void FillAdapterList(HWND list, HWND guidText, HWND countText, DockletInstance& working) noexcept {
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    SendMessageW(list, CB_INSERTSTRING, kAutomaticEntry, reinterpret_cast<LPARAM>(kAutomaticText));
    // An automatic icon, and one with no adapter yet, open on the automatic entry.
    const bool automatic = working.adapterChoice == kAdapterAutomatic || working.interfaceDescription[0] == L'\0';
    if (automatic) {
        SendMessageW(list, CB_SETCURSEL, kAutomaticEntry, 0);
        SetWindowTextW(guidText, working.adapterChoice == kAdapterAutomatic ? working.adapterGuid : L"");
    }
    long count = 0;
    const ProcessHeapOwner adapters = ReadAdapters();
    for (auto* adapter = static_cast<const IP_ADAPTER_INFO*>(adapters.get()); adapter; adapter = adapter->Next) {
        const AdapterText text = TextOf(*adapter);
        const WPARAM entry = kAutomaticEntry + 1 + static_cast<WPARAM>(count);
        SendMessageW(list, CB_INSERTSTRING, entry, reinterpret_cast<LPARAM>(text.description));
        // Several adapters may share a description: the last one stays selected.
        if (!automatic && _wcsicmp(text.description, working.interfaceDescription) == 0) {
            SendMessageW(list, CB_SETCURSEL, entry, 0);
            TakeAdapterName(guidText, working, text);
        }
        ++count;
    }
    wchar_t countLine[64];
    FormatAdapterCount(count, countLine, 64);
    SetWindowTextW(countText, countLine);
}

void ShowSelectedAdapterGuid(HWND guidText, DockletInstance& working) noexcept {
    if (working.adapterChoice == kAdapterAutomatic) {
        // The adapter in use until the route is asked again on OK.
        SetWindowTextW(guidText, working.interfaceDescription[0] != L'\0' ? working.adapterGuid : L"");
        return;
    }
    const ProcessHeapOwner adapters = ReadAdapters();
    for (auto* adapter = static_cast<const IP_ADAPTER_INFO*>(adapters.get()); adapter; adapter = adapter->Next) {
        const AdapterText text = TextOf(*adapter);
        if (_wcsicmp(text.description, working.interfaceDescription) == 0) {
            TakeAdapterName(guidText, working, text);
            return;
        }
    }
}
