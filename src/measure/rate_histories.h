// The four rate histories that an instance owns.
#pragma once

#include "base/docklet_instance.h"

// Creates, in the order total, download, upload, bandwidth, each history that
// does not exist yet, empty with room for kHistoryCapacity values. A history
// that cannot be allocated stays null (the sampler then skips it). True when all
// four exist afterwards.
bool CreateRateHistories(DockletInstance* instance) noexcept;

// Destroys each history that exists, in the order of creation, and nulls it.
void DestroyRateHistories(DockletInstance* instance) noexcept;
