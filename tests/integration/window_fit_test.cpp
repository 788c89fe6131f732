// Every window of the module as it shows at the system's DPI (96, or 144 and
// 192 in prefixes of their own): no label, check box or radio button whose
// text is cut, and every picture made for its control's size. The checks walk
// every child window, so a control added later is checked too.
#include "sheet_fixture.h"

#include "base/docklet_instance.h"
#include "dialog_driver.h"

#include <commctrl.h>
#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

namespace vantrel_test {
namespace {

using namespace testdock;

SIZE ClientSize(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return SIZE{client.right, client.bottom};
}

// The class name without a version prefix ("6.0.0.0!Button").
std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    std::wstring shown(name);
    const size_t bang = shown.rfind(L'!');
    if (bang != std::wstring::npos) {
        shown.erase(0, bang + 1);
    }
    for (wchar_t& c : shown) {
        c = static_cast<wchar_t>(std::towlower(c));
    }
    return shown;
}

bool IsCheckOrRadio(LONG style) {
    switch (style & BS_TYPEMASK) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return (style & BS_PUSHLIKE) == 0;
        default:
            return false;
    }
}

// The width a check box or radio button gives its box and the gap after it:
// the theme's part where a theme draws the button, else the system's check mark.
int BoxAndGap(HWND button, HDC context, bool radio) {
    int box = GetSystemMetrics(SM_CXMENUCHECK);
    if (HTHEME theme = IsThemeActive() ? OpenThemeData(button, L"Button") : nullptr) {
        SIZE part{};
        if (SUCCEEDED(GetThemePartSize(theme, context, radio ? BP_RADIOBUTTON : BP_CHECKBOX, 1, nullptr, TS_DRAW,
                                       &part))) {
            box = std::max(box, static_cast<int>(part.cx));
        }
        CloseThemeData(theme);
    }
    INT zero = 0;
    GetCharWidth32W(context, L'0', L'0', &zero);
    return box + zero / 2;
}

// How the control lays out its text (DrawText flags), and the width it
// leaves for it; false for controls that show no label text.
bool TextLayout(HWND control, HDC context, UINT& format, int& width) {
    const std::wstring kind = ClassOf(control);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    width = ClientSize(control).cx;
    format = DT_EXPANDTABS;
    if (kind == L"static") {
        switch (style & SS_TYPEMASK) {
            case SS_LEFT:
            case SS_CENTER:
            case SS_RIGHT:
                format |= DT_WORDBREAK;
                break;
            case SS_LEFTNOWORDWRAP:
                break;
            case SS_SIMPLE:
                format |= DT_SINGLELINE;
                break;
            default:
                return false;
        }
        if (style & SS_NOPREFIX) {
            format |= DT_NOPREFIX;
        }
        return true;
    }
    if (kind == L"button" && IsCheckOrRadio(style)) {
        const UINT type = style & BS_TYPEMASK;
        width -= BoxAndGap(control, context, type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON);
        format |= (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
        return true;
    }
    return false;
}

BOOL CALLBACK AddChild(HWND child, LPARAM found) {
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
    return TRUE;
}

std::vector<HWND> ChildrenOf(HWND window) {
    std::vector<HWND> children;
    EnumChildWindows(window, &AddChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::string Describe(HWND control, const std::wstring& text) {
    return "control " + std::to_string(GetDlgCtrlID(control)) + " \"" + Narrow(text) + "\"";
}

struct Findings {
    int textsChecked = 0;
    int picturesChecked = 0;
    std::vector<std::string> cut;
    std::vector<std::string> misfit;
};

// The text, measured with the control's own font and wrapped as the control
// wraps it, fits the room the control gives it.
void CheckText(HWND control, Findings& findings) {
    const std::wstring text = WindowText(control);
    if (text.empty() || !(GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE)) {
        return;
    }
    const HDC context = GetDC(control);
    const HGDIOBJ previous = SelectObject(context, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    UINT format = 0;
    int width = 0;
    if (TextLayout(control, context, format, width)) {
        ++findings.textsChecked;
        RECT needed{0, 0, width, 0};
        DrawTextW(context, text.c_str(), -1, &needed, format | DT_CALCRECT);
        const SIZE room{width, ClientSize(control).cy};
        if (needed.right > room.cx || needed.bottom > room.cy) {
            findings.cut.push_back(Describe(control, text) + " needs " + std::to_string(needed.right) + "x" +
                                   std::to_string(needed.bottom) + ", has " + std::to_string(room.cx) + "x" +
                                   std::to_string(room.cy));
        }
    }
    SelectObject(context, previous);
    ReleaseDC(control, context);
}

// What an owner-drawn static draws into a picture of its client size
// (sentinel-filled): the bounds of the pixels it painted.
RECT OwnerDrawnBounds(HWND control) {
    const SIZE size = ClientSize(control);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HDC memory = CreateCompatibleDC(nullptr);
    const HBITMAP canvas = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = SelectObject(memory, canvas);
    auto* pixels = static_cast<uint32_t*>(bits);
    constexpr uint32_t kSentinel = 0x00FF00FF;
    std::fill(pixels, pixels + size.cx * size.cy, kSentinel);
    DRAWITEMSTRUCT item{ODT_STATIC, static_cast<UINT>(GetDlgCtrlID(control)), 0, ODA_DRAWENTIRE, 0, control, memory,
                        RECT{0, 0, size.cx, size.cy}, 0};
    SendMessageW(GetParent(control), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
    GdiFlush();
    RECT bounds{size.cx, size.cy, 0, 0};
    for (LONG y = 0; y < size.cy; ++y) {
        for (LONG x = 0; x < size.cx; ++x) {
            if ((pixels[y * size.cx + x] & 0x00FFFFFF) != kSentinel) {
                bounds = RECT{std::min(bounds.left, x), std::min(bounds.top, y), std::max(bounds.right, x + 1),
                              std::max(bounds.bottom, y + 1)};
            }
        }
    }
    SelectObject(memory, previous);
    DeleteObject(canvas);
    DeleteDC(memory);
    return bounds;
}

// A picture as large as its control allows: inside the client area and
// filling it on at least one axis (aspect kept).
void CheckPicture(HWND control, Findings& findings) {
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    if (ClassOf(control) != L"static") {
        return;
    }
    SIZE shown{};
    if ((style & SS_TYPEMASK) == SS_BITMAP) {
        shown = PictureSize(GetParent(control), GetDlgCtrlID(control));
    } else if ((style & SS_TYPEMASK) == SS_OWNERDRAW) {
        const RECT bounds = OwnerDrawnBounds(control);
        shown = SIZE{std::max(0L, bounds.right - bounds.left), std::max(0L, bounds.bottom - bounds.top)};
    } else {
        return;
    }
    ++findings.picturesChecked;
    const SIZE room = ClientSize(control);
    if (shown.cx > room.cx || shown.cy > room.cy || (shown.cx != room.cx && shown.cy != room.cy)) {
        findings.misfit.push_back(Describe(control, L"") + " shows " + std::to_string(shown.cx) + "x" +
                                  std::to_string(shown.cy) + " in " + std::to_string(room.cx) + "x" +
                                  std::to_string(room.cy));
    }
}

void Inspect(HWND window, Findings& findings) {
    for (HWND child : ChildrenOf(window)) {
        CheckText(child, findings);
        CheckPicture(child, findings);
    }
}

void ExpectNothingCutOrMisfit(const Findings& findings, int texts, int pictures) {
    for (const std::string& cut : findings.cut) {
        ADD_FAILURE() << "cut: " << cut;
    }
    for (const std::string& misfit : findings.misfit) {
        ADD_FAILURE() << "picture not made for its control: " << misfit;
    }
    // Every window has its texts and pictures found: the walk checked something.
    EXPECT_GE(findings.textsChecked, texts);
    EXPECT_EQ(findings.picturesChecked, pictures);
}

class WindowFitTest : public SheetTest {};

TEST_F(WindowFitTest, TheSystemReportsTheDpiOfTheDockMode) {
    const HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), dock->mode.dpi);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), dock->mode.dpi);
    ReleaseDC(nullptr, screen);
}

TEST_F(WindowFitTest, AboutBox) {
    Icon& icon = dock->CreateIcon();
    Findings findings;
    DialogDriver driver(DialogTitled(L"About Vantrel Docklet v0.1.0.5g"));
    driver.Do([&](HWND box) {
        Inspect(box, findings);
        CloseDialog(box, Closing::OkButton);
    });
    dock->About(icon);
    EXPECT_TRUE(driver.Done());
    ExpectNothingCutOrMisfit(findings, 1, 1);
}

TEST_F(WindowFitTest, InformationDialog) {
    Icon& icon = CreateConfiguredIcon();
    // No lookup: the external address row shows what the record holds.
    auto& record = *static_cast<DockletInstance*>(icon.instance);
    record.ipAddressUrl[0] = L'\0';
    wcscpy(record.externalIpAddress, L"203.0.113.255");
    Findings findings;
    DialogDriver driver(DialogTitled(L"Vantrel Docklet - Network Information"));
    driver.Do([&](HWND dialog) {
        Inspect(dialog, findings);
        CloseDialog(dialog, Closing::OkButton);
    });
    dock->Info(icon);
    EXPECT_TRUE(driver.Done());
    ExpectNothingCutOrMisfit(findings, 35, 1);
}

TEST_F(WindowFitTest, UsageWindowWithAnAllowance) {
    Icon& icon = CreateConfiguredIcon("UsageAllowance=100000\r\n");
    Findings findings;
    DialogDriver driver(DialogTitled(L"Vantrel Docklet - Data Usage"));
    driver.Do([&](HWND dialog) {
        Inspect(dialog, findings);
        CloseDialog(dialog, Closing::OkButton);
    });
    Hooks().trackPopupMenu = [](const testdock::MenuCall&) { return 16u; };
    EXPECT_TRUE(dock->RightClick(icon));
    Hooks().trackPopupMenu = nullptr;
    EXPECT_TRUE(driver.Done());
    ExpectNothingCutOrMisfit(findings, 27, 1);
}

TEST_F(WindowFitTest, EveryPageOfTheSettingsSheet) {
    Icon& icon = CreateConfiguredIcon("DockletData=31\r\nRateUnit=1\r\n");
    Findings findings;
    int pages = 0;
    Configure(icon, [&](HWND sheet) {
        const HWND tabs = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0));
        pages = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
        for (int index = 0; index < pages; ++index) {
            Inspect(ShowSheetPage(sheet, index), findings);
        }
        PressCancel(sheet);
    });
    EXPECT_EQ(pages, 5);
    ExpectNothingCutOrMisfit(findings, 30, 3);
}

}  // namespace
}  // namespace vantrel_test
