// Keeps the module loaded while something of it may still run: an overlay the
// dock holds (its destructor is the module's), or a call of the dock's still
// on the stack when the dock destroys its icon and unloads the module inside
// the icon window's WM_DESTROY.
//
// Code cannot unload its own module and then return through it. So the
// reference of the last hold is never given back from inside the module: the
// entry the dock called (base/tail_release.inc) hands it to FreeLibrary as its
// very last step, jumping there so that FreeLibrary returns straight to the
// dock.
#pragma once

#include <windows.h>

// One hold more; the first takes a reference to the module. Any thread.
void AddModuleHold() noexcept;

// One hold less. The last one's reference waits for the outermost entry of
// this thread to return; should a reference wait there already, this one goes
// at once (the waiting one keeps the module loaded).
void DropModuleHold() noexcept;

// Counts the entries from the dock on this thread while it lives.
class ModuleEntry {
public:
    ModuleEntry() noexcept;
    ~ModuleEntry();
    ModuleEntry(const ModuleEntry&) = delete;
    ModuleEntry& operator=(const ModuleEntry&) = delete;
};

extern "C" {
// For the releasing entries, after their body returned: the reference this
// thread must give back, null when none or when an entry of this thread is
// still under way.
HMODULE TakeModuleRelease() noexcept;
}

// When the module unloads: gives back the per-thread slots.
void EndModuleHolds() noexcept;
