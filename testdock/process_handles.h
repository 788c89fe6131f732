// The number of kernel handles this process holds, for leak checks.
#pragma once

#include <cstddef>

namespace testdock {

// Counted in the system's handle table (GetProcessHandleCount reports 0 under
// Wine). 0 when the table cannot be read.
size_t CountProcessHandles();

}  // namespace testdock
