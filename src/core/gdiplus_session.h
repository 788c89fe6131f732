// GDI+ start-up and shutdown, one pair per instance. The token is module-wide:
// each start-up overwrites it and each shutdown uses whatever it holds, which
// keeps GDI+ alive until the last instance is gone.
#pragma once

#include <windows.h>

// Returns the GDI+ status of the start-up (0 is Ok).
int StartGdiplus() noexcept;
void StopGdiplus() noexcept;
