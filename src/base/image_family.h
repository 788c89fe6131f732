// Which of the two kinds of GDI+ image the dock exchanges. Docks built with
// Microsoft's compiler hand Gdiplus::Image objects (base/host_image.h); others
// hand the flat GpImage* handles that GdipCreateBitmapFromFile returns and
// release them with GdipDisposeImage. The dock never says which, so the module
// learns it from the first picture the dock loads for it, and keeps it for the
// process: one dock loads the module.
#pragma once

#include "base/gdiplus_api.h"
#include "base/host_image.h"

enum class DockImageFamily { Unknown = 0, Msvc = 1, Flat = 2 };

// What is known so far; Unknown until a picture was examined. Any thread.
DockImageFamily KnownDockImageFamily() noexcept;

// The family of a picture the dock returned, found without calling into it: an
// object whose first field points into a module other than gdiplus.dll (its
// vtable) and whose second field GDI+ accepts as an image is Microsoft's kind;
// anything else is a flat handle, which GDI+ itself made. Null: Unknown.
DockImageFamily ExamineDockPicture(const void* picture) noexcept;

// Takes a picture the dock returned into the module's keeping, learning the
// family from it while it is unknown. The result is released with
// DeleteHostImage by the rule of its family: the dock's object through its own
// destructor; a flat handle, wrapped in an object of the module's, with
// GdipDisposeImage. Null when picture is null or cannot be wrapped (then it is
// released already).
HostImage* AdoptDockPicture(void* picture) noexcept;
