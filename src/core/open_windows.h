// The modal windows an icon may have open when the dock destroys it.
#pragma once

#include "base/docklet_instance.h"

// Ends every modal window the icon has open, innermost first: a colour dialog
// before its sheet (as if cancelled), then the menu and the dialogs. Each
// modal loop leaves on its own once the calls on the stack unwind.
void CloseOpenWindows(DockletInstance* instance) noexcept;

// When the window a second request would open is already up for this icon,
// brings it to the front and returns true.
bool RaiseIfOpen(HWND window) noexcept;
