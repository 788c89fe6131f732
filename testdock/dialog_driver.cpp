#include "dialog_driver.h"

#include <objidl.h>
#include <gdiplus.h>

#include <map>

using namespace Gdiplus::DllExports;

namespace testdock {
namespace {

// Timer procedures get no context; each thread maps its timers to drivers.
thread_local std::map<UINT_PTR, WindowDriver*> driversByTimer;

struct WindowQuery {
    const wchar_t* windowClass;
    const std::wstring* caption;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
    auto* query = reinterpret_cast<WindowQuery*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window) ||
        lstrcmpiW(className, query->windowClass) != 0 ||
        (!query->caption->empty() && WindowText(window) != *query->caption)) {
        return TRUE;
    }
    query->found = window;
    return FALSE;
}

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

}  // namespace

HWND FindOwnWindow(const wchar_t* windowClass, const std::wstring& caption) {
    WindowQuery query{windowClass, &caption, nullptr};
    EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

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

void TypeCharacter(HWND window, wchar_t character) { PostMessageW(window, WM_CHAR, character, 1); }

void ClickControl(HWND dialog, int controlId) {
    HWND control = GetDlgItem(dialog, controlId);
    RECT rect{};
    GetClientRect(control, &rect);
    const LPARAM middle = MAKELPARAM(rect.right / 2, rect.bottom / 2);
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    PostMessageW(control, WM_LBUTTONUP, 0, middle);
}

void PressCloseBox(HWND window) { PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

bool CaptureWindowPng(HWND window, const std::wstring& path) {
    RECT rect{};
    if (!GetWindowRect(window, &rect)) {
        return false;
    }
    // Everything painted now, children and frame included.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    // A picture of one colour shows nothing of the window.
    const bool blank = AllOneColour(static_cast<const uint32_t*>(bits), static_cast<size_t>(width) * height);
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
            saved = GdipSaveImageToFile(image, path.c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
            GdipDisposeImage(image);
        }
        Gdiplus::GdiplusShutdown(token);
    }
    DeleteObject(bitmap);
    return saved;
}

WindowDriver::WindowDriver(const wchar_t* windowClass, std::wstring caption, Step step, DWORD timeoutMs)
    : windowClass_(windowClass),
      caption_(std::move(caption)),
      step_(std::move(step)),
      deadline_(GetTickCount() + timeoutMs) {
    timer_ = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, &WindowDriver::OnTimer);
    driversByTimer[timer_] = this;
}

WindowDriver::~WindowDriver() {
    if (timer_) {
        KillTimer(nullptr, timer_);
        driversByTimer.erase(timer_);
    }
}

void CALLBACK WindowDriver::OnTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    auto found = driversByTimer.find(timer);
    if (found != driversByTimer.end()) {
        found->second->Check();
    }
}

void WindowDriver::Check() {
    HWND window = FindOwnWindow(windowClass_.c_str(), caption_);
    const bool late = static_cast<LONG>(GetTickCount() - deadline_) >= 0;
    if (!window && !late) {
        return;
    }
    KillTimer(nullptr, timer_);
    driversByTimer.erase(timer_);
    timer_ = 0;
    if (window) {
        ran_ = true;
        step_(window);
    } else if (HWND stray = FindOwnWindow(windowClass_.c_str())) {
        if (windowClass_ == kPopupMenuClass) {
            EndMenu();
        } else {
            EndDialog(stray, -1);
            PressCloseBox(stray);
        }
    }
}

}  // namespace testdock
