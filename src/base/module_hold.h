// Keeps the module loaded while the dock holds something that leads back into
// its code: an overlay, whose destructor is the module's, may be deleted after
// a dock unloaded the module inside the icon window's WM_DESTROY.
#pragma once

// One hold more. The first takes a reference to the module.
void AddModuleHold() noexcept;

// One hold less. The last gives the reference to a thread-pool callback,
// which drops it once the thread that let it go has had time to return out of
// the module: code cannot unload its own module and return into it.
void DropModuleHold() noexcept;
