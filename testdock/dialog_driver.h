// Driving the dialogs and popup menus a module opens, as a user would, from
// inside their own modal loops: a timer of the calling thread waits for the
// window to show, then runs a step on it (read texts, press keys, click,
// take a picture). Every step runs on the thread that owns the window.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace testdock {

constexpr wchar_t kDialogClass[] = L"#32770";
constexpr wchar_t kPopupMenuClass[] = L"#32768";

// A visible top-level window of this process of the class, with the caption
// (any caption when empty); null when there is none.
HWND FindOwnWindow(const wchar_t* windowClass, const std::wstring& caption = L"");

std::wstring WindowText(HWND window);
std::wstring ControlText(HWND dialog, int controlId);

// Input, posted to the window's queue as the system posts it for a user.
void PressKey(HWND window, WORD virtualKey);      // key down and up
void TypeCharacter(HWND window, wchar_t character);
void ClickControl(HWND dialog, int controlId);     // left button down and up in its middle
void PressCloseBox(HWND window);                   // the caption's close box

// The window as it shows on screen, written as PNG; false for a blank picture.
bool CaptureWindowPng(HWND window, const std::wstring& path);

// Runs step once on the first window of the class and caption that shows
// while the calling thread pumps messages. A window that does not show in
// time is not waited for; one of the class that shows under another caption
// is closed then, so that a wrong caption fails a test instead of hanging it.
class WindowDriver {
public:
    using Step = std::function<void(HWND)>;
    WindowDriver(const wchar_t* windowClass, std::wstring caption, Step step, DWORD timeoutMs = 10000);
    ~WindowDriver();
    WindowDriver(const WindowDriver&) = delete;
    WindowDriver& operator=(const WindowDriver&) = delete;

    bool Ran() const { return ran_; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR timer, DWORD);
    void Check();

    std::wstring windowClass_;
    std::wstring caption_;
    Step step_;
    DWORD deadline_;
    UINT_PTR timer_ = 0;
    bool ran_ = false;
};

}  // namespace testdock
