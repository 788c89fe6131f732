// Counting the adapter's traffic into the usage store from the byte counters
// the refresh samples anyway: no reading of its own.
#pragma once

#include "base/docklet_instance.h"
#include "usage/counter_growth.h"

// After a refresh sampled the counters: takes their values, writes when a
// minute has passed since the last write (or the local day changed), at once
// for an adapter it starts counting, and after writing the adapter it counted
// before when an automatic icon switched. Updates what the icon shows, and
// gives the allowance's warnings.
void CountUsage(DockletInstance* instance) noexcept;

// Writes what was counted and not yet written (OnSave, OnDestroy).
void WriteUsage(DockletInstance* instance) noexcept;

// The icon's last write, then it no longer counts (the icon goes).
void StopUsage(DockletInstance* instance) noexcept;

// What was counted since the last write, received and sent; nothing while
// the icon counts no adapter.
UsagePair PendingUsage(const DockletInstance* instance) noexcept;

// The label's text while an allowance warning shows, else null.
const char* AllowanceWarning(const DockletInstance* instance) noexcept;

// Of received and sent bytes, what the icon's UsageCount counts.
uint64_t Counted(const DockletInstance* instance, uint64_t received, uint64_t sent) noexcept;

// The shown totals again, after the settings of what they count changed.
void UpdateShownUsage(DockletInstance* instance) noexcept;
