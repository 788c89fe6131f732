#include "modal_dialog_driver.h"

#include <utility>

namespace testdock {

void CloseDialog(HWND dialog, DialogClose how) {
    switch (how) {
        case DialogClose::OkButton:
            PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
            break;
        case DialogClose::EscapeKey: {
            // Keys go to the control with the focus; the dialog's loop translates them.
            HWND focus = GetDlgItem(dialog, IDOK);
            PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            PostMessageW(focus, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001u));
            break;
        }
        case DialogClose::CloseBox:
            // What a click on the caption's close box turns into.
            PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
    }
}

namespace {
constexpr const wchar_t* kAnswered = L"VantrelDriverAnswered";
}  // namespace

ModalDialogDriver::ModalDialogDriver(std::wstring title, Answer answer)
    : title_(std::move(title)), answer_(std::move(answer)), thread_([this] { Run(); }) {}

ModalDialogDriver::~ModalDialogDriver() {
    stop_ = true;
    thread_.join();
}

HWND ModalDialogDriver::FindShownDialog() const {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, L"#32770", title_.c_str())) != nullptr) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == GetCurrentProcessId() && IsWindowVisible(window) && !GetPropW(window, kAnswered)) {
            return window;
        }
    }
    return nullptr;
}

void ModalDialogDriver::Run() {
    DWORD waitStart = GetTickCount();
    while (!stop_) {
        HWND dialog = FindShownDialog();
        if (!dialog) {
            Sleep(2);
            continue;
        }
        lastWait_ = GetTickCount() - waitStart;
        ++answered_;
        // Marked, not waited for: the next dialog may come back under the same
        // handle before this thread sees the old one go.
        SetPropW(dialog, kAnswered, reinterpret_cast<HANDLE>(1));
        answer_(dialog);
        waitStart = GetTickCount();
    }
}

}  // namespace testdock
