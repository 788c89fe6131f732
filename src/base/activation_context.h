// The module's own Common Controls 6. A docklet has no say in what the dock's
// process activated, so every window the module creates (dialogs, the settings
// sheet and its pages, the popup menu, the colour dialog) is created inside
// the activation context of the module's manifest.
#pragma once

#include "base/owners.h"

#include <windows.h>

// Activates the manifest of the module that holds this code for as long as it
// lives, on this thread. The context is made per scope and released with it:
// a docklet may be unloaded while the dock runs, and a context kept for the
// module's life would need module-wide state released at the right moment.
// Without the manifest (or when the system refuses) nothing is activated and
// windows get what the process has.
class ModuleControlsScope {
public:
    ModuleControlsScope() noexcept;
    ~ModuleControlsScope();
    ModuleControlsScope(const ModuleControlsScope&) = delete;
    ModuleControlsScope& operator=(const ModuleControlsScope&) = delete;

private:
    ActivationContextOwner context_;
    ULONG_PTR cookie_ = 0;
    bool active_ = false;
};

// Runs create() (a call that makes windows) inside the module's context and
// returns what it returns.
template <typename Create>
auto WithModuleControls(Create create) noexcept -> decltype(create()) {
    const ModuleControlsScope controls;
    return create();
}
