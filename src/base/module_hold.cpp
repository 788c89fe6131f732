#include "base/module_hold.h"

#include <windows.h>

namespace {

// Holds come and go on any thread of the dock.
SRWLOCK holdLock = SRWLOCK_INIT;
long holds = 0;
HMODULE heldModule = nullptr;

// Long beyond the few instructions between the last drop and the return to
// the dock, even for a thread that is preempted on the way.
constexpr DWORD kReturnGraceMs = 200;

VOID CALLBACK ReleaseHeldModule(PTP_CALLBACK_INSTANCE callback, PVOID module) {
    Sleep(kReturnGraceMs);
    // The pool unloads the module only after this callback has returned.
    FreeLibraryWhenCallbackReturns(callback, static_cast<HMODULE>(module));
}

}  // namespace

void AddModuleHold() noexcept {
    AcquireSRWLockExclusive(&holdLock);
    if (holds++ == 0 &&
        !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&AddModuleHold),
                            &heldModule)) {
        heldModule = nullptr;
    }
    ReleaseSRWLockExclusive(&holdLock);
}

void DropModuleHold() noexcept {
    AcquireSRWLockExclusive(&holdLock);
    HMODULE released = nullptr;
    if (holds > 0 && --holds == 0) {
        released = heldModule;
        heldModule = nullptr;
    }
    ReleaseSRWLockExclusive(&holdLock);
    // Should the pool refuse, the reference stays: a module left loaded is
    // safe, one unloaded under its caller is not.
    if (released) {
        TrySubmitThreadpoolCallback(&ReleaseHeldModule, released, nullptr);
    }
}
