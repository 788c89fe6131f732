// Drives the windows a module opens (dialogs, its settings sheet, popup menus,
// the colour dialog) from inside their own modal loops, as a user would: a
// timer of the calling thread waits for the window to show, then runs a
// script on it, one step per tick. Each step is an action or a wait, so that
// between steps the loop that owns the window handles the input of the last
// one in its own way (dialog keys, menu tracking, sheet buttons) and can end.
// A nested message pump would dispatch that input past the loop's own
// handling, and would go on pumping after the loop ended.
#pragma once

#include "user_actions.h"  // what the steps of a script do

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testdock {

// A visible top-level window of this thread of the class for which
// matches() holds; a window of the class that does not match is a stray.
struct Target {
    std::wstring windowClass;
    std::function<bool(HWND)> matches;
};

Target DialogTitled(std::wstring caption);
Target PopupMenu();
// The settings sheet the icon's window owns through its hidden placeholder.
Target SettingsSheetOf(HWND dockletWindow);
// The common colour dialog the window owns.
Target ColourDialogOf(HWND owner);

using Condition = std::function<bool(HWND)>;
Condition TextIs(int controlId, std::wstring text);
Condition TextIsNot(int controlId, std::wstring text);

// Arms at construction; the script runs on the first window of the target
// that shows while this thread pumps messages (on every one, after
// EveryOpening). A window that does not show in time, or a wait that is not
// met in time, ends the driver's work and closes what is open (the window,
// else a stray), so that a wrong window or a stuck one fails a test instead
// of hanging it. Steps may open windows of their own with drivers of their own.
class DialogDriver {
public:
    using Action = std::function<void(HWND)>;
    static constexpr DWORD kPatience = 30000;

    explicit DialogDriver(Target target, DWORD showTimeoutMs = kPatience);
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    DialogDriver& Do(Action action);
    DialogDriver& WaitUntil(Condition condition, DWORD timeoutMs = kPatience);
    // Until the window is hidden or destroyed.
    DialogDriver& WaitGone(DWORD timeoutMs = kPatience);
    DialogDriver& EveryOpening();

    // Windows found so far.
    int Shown() const { return shown_; }
    // The last window found had its whole script run (a last wait for it to
    // go also counts when it went after the last tick).
    bool Done() const;
    // From arming (or the end of the previous script) until the last window showed.
    DWORD ShowMilliseconds() const { return showMilliseconds_; }

private:
    struct Step {
        Action action;
        Condition condition;  // a wait when set
        DWORD timeoutMs;
        bool untilGone;
    };

    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR timer, DWORD);
    void Tick();
    bool Late() const { return static_cast<LONG>(GetTickCount() - deadline_) >= 0; }
    DialogDriver& Add(Step step);
    void Arm();
    void Finish(bool done);
    void Stop();

    Target target_;
    DWORD showTimeoutMs_;
    std::vector<Step> steps_;
    bool everyOpening_ = false;
    UINT_PTR timer_ = 0;
    bool busy_ = false;
    HWND window_ = nullptr;     // the window the script runs on
    HWND answered_ = nullptr;   // the last one, not answered twice
    size_t next_ = 0;
    DWORD started_ = 0;
    DWORD deadline_ = 0;
    int shown_ = 0;
    bool done_ = false;
    DWORD showMilliseconds_ = 0;
};

}  // namespace testdock
