#include "dialog_driver.h"

#include <colordlg.h>

#include <map>
#include <mutex>
#include <utility>

namespace testdock {
namespace {

// Timer procedures get no context: drivers are found by their thread and
// timer. One map for the process: a thread_local one would be torn down at
// each icon thread's exit through MinGW's emulated TLS, which the tests of
// icons on threads should not depend on.
using DriverKey = std::pair<DWORD, UINT_PTR>;
std::mutex driversLock;
std::map<DriverKey, DialogDriver*>& DriversByTimer() {
    static std::map<DriverKey, DialogDriver*> drivers;
    return drivers;
}

DialogDriver* DriverOf(UINT_PTR timer) {
    const std::lock_guard<std::mutex> lock(driversLock);
    const auto found = DriversByTimer().find({GetCurrentThreadId(), timer});
    return found != DriversByTimer().end() ? found->second : nullptr;
}

constexpr wchar_t kDialogClass[] = L"#32770";
constexpr wchar_t kPopupMenuClass[] = L"#32768";

struct Search {
    const Target* target;
    HWND skipped;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    // The modal loops that show the module's windows run on the thread that
    // armed the driver; icons on other threads have drivers of their own.
    DWORD process = 0;
    const DWORD thread = GetWindowThreadProcessId(window, &process);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (process != GetCurrentProcessId() || thread != GetCurrentThreadId() || !IsWindowVisible(window) || window == search->skipped ||
        lstrcmpiW(className, search->target->windowClass.c_str()) != 0 || !search->target->matches(window)) {
        return TRUE;
    }
    search->found = window;
    return FALSE;
}

HWND Find(const Target& target, HWND skipped = nullptr) {
    Search search{&target, skipped, nullptr};
    EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool AnyWindow(HWND) { return true; }

bool Gone(HWND window) { return !IsWindow(window) || !IsWindowVisible(window); }

void Close(const Target& target, HWND window) {
    if (target.windowClass == kPopupMenuClass) {
        EndMenu();
    } else if (window) {
        EndDialog(window, -1);
        PressCloseBox(window);
    }
}

}  // namespace

Target DialogTitled(std::wstring caption) {
    return {kDialogClass, [caption = std::move(caption)](HWND window) { return WindowText(window) == caption; }};
}

Target PopupMenu() { return {kPopupMenuClass, &AnyWindow}; }

Target SettingsSheetOf(HWND dockletWindow) {
    return {kDialogClass, [dockletWindow](HWND window) {
                const HWND placeholder = GetWindow(window, GW_OWNER);
                return WindowText(window) == L"Configure Vantrel Docklet" && placeholder &&
                       GetWindow(placeholder, GW_OWNER) == dockletWindow;
            }};
}

Target ColourDialogOf(HWND owner) {
    return {kDialogClass, [owner](HWND window) {
                return GetWindow(window, GW_OWNER) == owner && GetDlgItem(window, COLOR_RAINBOW);
            }};
}

Condition TextIs(int controlId, std::wstring text) {
    return [controlId, text = std::move(text)](HWND window) { return ControlText(window, controlId) == text; };
}

Condition TextIsNot(int controlId, std::wstring text) {
    return [controlId, text = std::move(text)](HWND window) { return ControlText(window, controlId) != text; };
}

DialogDriver::DialogDriver(Target target, DWORD showTimeoutMs)
    : target_(std::move(target)), showTimeoutMs_(showTimeoutMs) {
    Arm();
    timer_ = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, &DialogDriver::OnTimer);
    const std::lock_guard<std::mutex> lock(driversLock);
    DriversByTimer()[{GetCurrentThreadId(), timer_}] = this;
}

DialogDriver::~DialogDriver() { Stop(); }

DialogDriver& DialogDriver::Add(Step step) {
    steps_.push_back(std::move(step));
    return *this;
}

DialogDriver& DialogDriver::Do(Action action) { return Add({std::move(action), nullptr, 0, false}); }

DialogDriver& DialogDriver::WaitUntil(Condition condition, DWORD timeoutMs) {
    return Add({nullptr, std::move(condition), timeoutMs, false});
}

DialogDriver& DialogDriver::WaitGone(DWORD timeoutMs) { return Add({nullptr, &Gone, timeoutMs, true}); }

DialogDriver& DialogDriver::EveryOpening() {
    everyOpening_ = true;
    return *this;
}

bool DialogDriver::Done() const {
    // The loop that owned the window may have ended before the last wait saw it go.
    return done_ || (window_ && next_ + 1 == steps_.size() && steps_[next_].untilGone && Gone(window_));
}

void CALLBACK DialogDriver::OnTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    // Outside the lock: a step may run a modal loop with drivers of its own.
    // A driver goes only on its own thread, so it outlives this call.
    if (DialogDriver* driver = DriverOf(timer)) {
        driver->Tick();
    }
}

void DialogDriver::Tick() {
    if (busy_) {
        return;  // a step is running a modal loop of its own
    }
    if (!window_) {
        window_ = Find(target_, IsWindowVisible(answered_) ? answered_ : nullptr);
        if (!window_) {
            if (Late()) {
                Close(target_, Find({target_.windowClass, &AnyWindow}));
                Stop();
            }
            return;
        }
        ++shown_;
        showMilliseconds_ = GetTickCount() - started_;
        done_ = false;
        next_ = 0;
        deadline_ = GetTickCount() + (steps_.empty() ? 0 : steps_[0].timeoutMs);
    }
    while (next_ < steps_.size()) {
        const Step& step = steps_[next_];
        if (step.condition) {
            if (!step.condition(window_)) {
                if (Late()) {
                    Close(target_, window_);
                    Finish(false);
                }
                return;
            }
        } else if (!IsWindow(window_)) {
            Finish(false);
            return;
        } else {
            busy_ = true;
            step.action(window_);
            busy_ = false;
        }
        if (++next_ < steps_.size()) {
            deadline_ = GetTickCount() + steps_[next_].timeoutMs;
        }
        if (!step.condition && next_ < steps_.size()) {
            return;  // the loop handles what the action did before the next step looks
        }
    }
    Finish(true);
}

void DialogDriver::Arm() {
    started_ = GetTickCount();
    deadline_ = started_ + showTimeoutMs_;
}

void DialogDriver::Finish(bool done) {
    done_ = done;
    answered_ = window_;
    window_ = nullptr;
    if (done && everyOpening_) {
        Arm();
    } else {
        Stop();
    }
}

void DialogDriver::Stop() {
    if (timer_) {
        KillTimer(nullptr, timer_);
        const std::lock_guard<std::mutex> lock(driversLock);
        DriversByTimer().erase({GetCurrentThreadId(), timer_});
        timer_ = 0;
    }
}

}  // namespace testdock
