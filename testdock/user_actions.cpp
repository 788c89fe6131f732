#include "user_actions.h"

#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>
#include <prsht.h>

using namespace Gdiplus::DllExports;

namespace testdock {
namespace {

void PostKey(HWND window, UINT message, WORD virtualKey, bool release) {
    const UINT scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    LPARAM lParam = 1 | static_cast<LPARAM>(scan) << 16;
    if (release) {
        lParam |= static_cast<LPARAM>(0xC0000000u);
    }
    PostMessageW(window, message, virtualKey, lParam);
}

bool AllOneColour(const uint32_t* pixels, size_t count) {
    for (size_t i = 1; i < count; ++i) {
        if ((pixels[i] & 0xFFFFFF) != (pixels[0] & 0xFFFFFF)) {
            return false;
        }
    }
    return true;
}

void NotifyParent(HWND page, int id, WORD code) {
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}

// The sheet's loop looks at its end only after the next message; a user's
// click brings more, a message sent from a script does not.
void PressButton(HWND sheet, int button) {
    SendMessageW(sheet, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
    PostMessageW(sheet, WM_NULL, 0, 0);
}

}  // namespace

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

std::wstring ControlText(HWND dialog, int controlId) { return WindowText(GetDlgItem(dialog, controlId)); }

void PressKey(HWND window, WORD virtualKey) {
    PostKey(window, WM_KEYDOWN, virtualKey, false);
    PostKey(window, WM_KEYUP, virtualKey, true);
}

void ClickControl(HWND dialog, int controlId) {
    HWND control = GetDlgItem(dialog, controlId);
    RECT rect{};
    GetClientRect(control, &rect);
    const LPARAM middle = MAKELPARAM(rect.right / 2, rect.bottom / 2);
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    PostMessageW(control, WM_LBUTTONUP, 0, middle);
}

void PressCloseBox(HWND window) { PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

namespace {

// Pictures taken at another system DPI go to a folder named after it beside
// the file, so that a run in a prefix of that DPI keeps those taken at 96.
std::wstring AtSystemDpi(const std::wstring& path) {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    if (dpi == 96) {
        return path;
    }
    const size_t slash = path.find_last_of(L"\\/");
    const size_t name = slash == std::wstring::npos ? 0 : slash + 1;
    const std::wstring folder = path.substr(0, name) + L"dpi" + std::to_wstring(dpi);
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"\\" + path.substr(name);
}

}  // namespace

bool CaptureWindowPng(HWND window, const std::wstring& path) {
    RECT rect{};
    if (!GetWindowRect(window, &rect)) {
        return false;
    }
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    // Everything painted now, children and frame included. A picture of one
    // colour shows nothing of the window: the first window in a fresh prefix
    // can reach the screen late, so it is taken again a few times.
    bool blank = true;
    for (int attempt = 0; blank && attempt < 10; ++attempt) {
        if (attempt > 0) {
            Sleep(200);
        }
        RedrawWindow(window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
        GdiFlush();
        blank = AllOneColour(static_cast<const uint32_t*>(bits), static_cast<size_t>(width) * height);
    }
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    bool saved = false;
    if (!blank && Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) {
        static const CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3,
                                          {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
        Gdiplus::GpBitmap* image = nullptr;
        if (GdipCreateBitmapFromHBITMAP(bitmap, nullptr, &image) == Gdiplus::Ok) {
            saved = GdipSaveImageToFile(image, AtSystemDpi(path).c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
            GdipDisposeImage(image);
        }
        Gdiplus::GdiplusShutdown(token);
    }
    DeleteObject(bitmap);
    return saved;
}

void CloseDialog(HWND dialog, Closing how) {
    switch (how) {
        case Closing::OkButton:
            ClickControl(dialog, IDOK);
            break;
        case Closing::EscapeKey:
            // Keys go to the control with the focus; the dialog's loop translates them.
            PressKey(GetFocus() ? GetFocus() : dialog, VK_ESCAPE);
            break;
        case Closing::CloseBox:
            PressCloseBox(dialog);
            break;
    }
}

HWND ShowSheetPage(HWND sheet, int index) {
    SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    return CurrentSheetPage(sheet);
}

HWND CurrentSheetPage(HWND sheet) {
    return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

void PressOk(HWND sheet) { PressButton(sheet, PSBTN_OK); }

void PressCancel(HWND sheet) { PressButton(sheet, PSBTN_CANCEL); }

void PressEscape(HWND sheet) {
    const HWND tabs = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0));
    PostMessageW(tabs ? tabs : sheet, WM_KEYDOWN, VK_ESCAPE, 0);
}

void TypeText(HWND page, int id, const std::wstring& text) {
    SetWindowTextW(GetDlgItem(page, id), text.c_str());
}

void ClickButton(HWND page, int id) { SendDlgItemMessageW(page, id, BM_CLICK, 0, 0); }

void SetCheckBox(HWND page, int id, bool checked) {
    if (IsButtonChecked(page, id) != checked) {
        ClickButton(page, id);
    }
}

bool ChooseListEntry(HWND page, int id, const std::wstring& text) {
    const LRESULT index = SendDlgItemMessageW(page, id, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                              reinterpret_cast<LPARAM>(text.c_str()));
    if (index == CB_ERR) {
        return false;
    }
    SendDlgItemMessageW(page, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    NotifyParent(page, id, CBN_SELCHANGE);
    NotifyParent(page, id, CBN_SELENDOK);
    return true;
}

void MoveSlider(HWND page, int id, int position) {
    SendDlgItemMessageW(page, id, TBM_SETPOS, TRUE, position);
    for (WORD code : {static_cast<WORD>(TB_THUMBTRACK), static_cast<WORD>(TB_ENDTRACK)}) {
        SendMessageW(page, WM_HSCROLL, MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    }
}

bool IsButtonChecked(HWND page, int id) {
    return SendDlgItemMessageW(page, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::vector<std::wstring> ListEntries(HWND page, int id) {
    std::vector<std::wstring> entries;
    const LRESULT count = SendDlgItemMessageW(page, id, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring entry(static_cast<size_t>(SendDlgItemMessageW(page, id, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
        SendDlgItemMessageW(page, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&entry[0]));
        entry.resize(entry.size() - 1);
        entries.push_back(entry);
    }
    return entries;
}

std::wstring ListSelection(HWND page, int id) {
    const LRESULT selected = SendDlgItemMessageW(page, id, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) {
        return L"";
    }
    return ListEntries(page, id)[static_cast<size_t>(selected)];
}

SIZE PictureSize(HWND page, int id) {
    const auto bitmap = reinterpret_cast<HBITMAP>(SendDlgItemMessageW(page, id, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP info{};
    if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) {
        return SIZE{0, 0};
    }
    return SIZE{info.bmWidth, info.bmHeight};
}

}  // namespace testdock
