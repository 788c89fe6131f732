#include "base/module_hold.h"

#include <cstdint>

namespace {

// Holds come and go on any thread of the dock.
SRWLOCK holdLock = SRWLOCK_INIT;
long holds = 0;
HMODULE heldModule = nullptr;

// Per thread: how deep it is in entries from the dock, and the reference it
// gives back when the outermost one returns. Taken on first use, so a dock
// that loads the module only for its information never takes them.
INIT_ONCE slotsOnce = INIT_ONCE_STATIC_INIT;
DWORD depthSlot = TLS_OUT_OF_INDEXES;
DWORD releaseSlot = TLS_OUT_OF_INDEXES;

BOOL CALLBACK AllocateSlots(PINIT_ONCE, PVOID, PVOID*) {
    depthSlot = TlsAlloc();
    releaseSlot = TlsAlloc();
    return TRUE;
}

bool SlotsReady() noexcept {
    InitOnceExecuteOnce(&slotsOnce, &AllocateSlots, nullptr, nullptr);
    return depthSlot != TLS_OUT_OF_INDEXES && releaseSlot != TLS_OUT_OF_INDEXES;
}

uintptr_t Depth() noexcept { return reinterpret_cast<uintptr_t>(TlsGetValue(depthSlot)); }

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
    // Without the slots, or outside any entry, the reference stays: a module
    // left loaded is safe, one unloaded under its caller is not.
    if (!released || !SlotsReady() || Depth() == 0) {
        return;
    }
    if (TlsGetValue(releaseSlot)) {
        FreeLibrary(released);
    } else {
        TlsSetValue(releaseSlot, released);
    }
}

ModuleEntry::ModuleEntry() noexcept {
    if (SlotsReady()) {
        TlsSetValue(depthSlot, reinterpret_cast<void*>(Depth() + 1));
    }
}

ModuleEntry::~ModuleEntry() {
    if (SlotsReady()) {
        TlsSetValue(depthSlot, reinterpret_cast<void*>(Depth() - 1));
    }
}

HMODULE TakeModuleRelease() noexcept {
    if (!SlotsReady() || Depth() != 0) {
        return nullptr;
    }
    auto* module = static_cast<HMODULE>(TlsGetValue(releaseSlot));
    TlsSetValue(releaseSlot, nullptr);
    return module;
}

void EndModuleHolds() noexcept {
    if (depthSlot != TLS_OUT_OF_INDEXES) {
        TlsFree(depthSlot);
    }
    if (releaseSlot != TLS_OUT_OF_INDEXES) {
        TlsFree(releaseSlot);
    }
}
