// Answers the modal dialogs that a call on this thread opens, as a user would:
// a thread of its own waits for each dialog with the given title to show,
// hands it to `answer` (which reads it and closes it) and waits for it to go.
// The modal loop of the blocked call keeps the dialog answering meanwhile.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace testdock {

// The ways a user closes a dialog.
enum class DialogClose { OkButton, EscapeKey, CloseBox };

void CloseDialog(HWND dialog, DialogClose how);

class ModalDialogDriver {
public:
    using Answer = std::function<void(HWND dialog)>;
    ModalDialogDriver(std::wstring title, Answer answer);
    ~ModalDialogDriver();
    ModalDialogDriver(const ModalDialogDriver&) = delete;
    ModalDialogDriver& operator=(const ModalDialogDriver&) = delete;

    int Answered() const { return answered_; }
    // Milliseconds from the driver's start (or the previous answer) until the
    // last dialog showed.
    DWORD LastWaitMilliseconds() const { return lastWait_; }

private:
    void Run();
    HWND FindShownDialog() const;

    std::wstring title_;
    Answer answer_;
    std::atomic<bool> stop_{false};
    std::atomic<int> answered_{0};
    std::atomic<DWORD> lastWait_{0};
    std::thread thread_;
};

}  // namespace testdock
