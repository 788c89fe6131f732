// The module's one GDI+ session: started by the first icon that needs it and
// shut down when the last icon goes, so that GDI+ holds nothing of the module
// (its background thread included) once no icon is left. Icons may live on
// different threads of the dock: callers serialise these calls (lifecycle's lock).
#pragma once

#include <windows.h>

// Starts the session unless it runs; the GDI+ status of the start-up (0 is
// Ok, also when it ran already). A failed start-up is tried again next time.
int StartGdiplus() noexcept;
// Shuts the session down if it runs.
void StopGdiplus() noexcept;
