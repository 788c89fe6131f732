// The two refreshes the timers drive: the adapter's state with the base image
// (every 30 s and on request), and the sample with label and overlay (every
// second while the adapter is connected). Each hands the dock only a label,
// base image or overlay that differs from the last one it handed over.
#pragma once

#include "base/docklet_instance.h"

// Label bound, terminator included.
constexpr size_t kLabelCapacity = 500;

// What a refresh brings up to date.
enum class RefreshScope {
    Display,             // a fast tick: sample, label, overlay
    AdapterAndDisplay,   // a slow tick, the context menu, the settings sheet's OK
    Repair,              // "Update Now": as AdapterAndDisplay, handing everything over again
};

// The one refresh every caller goes through. With the adapter state first when
// asked; then, while connected, RefreshDisplay with the fast timer running
// (started if it was not); otherwise the fast timer stopped.
void Refresh(DockletInstance* instance, RefreshScope scope) noexcept;

// Names fileName of the image set to the dock as the icon's base image, or
// "empty.png" while Hide Icons is set, unless the dock has that path already.
// A path that cannot be formed is not sent and the dock keeps its current image.
void SetBaseImage(const DockletInstance* instance, const char* fileName) noexcept;

// Looks the adapter up, names the base image of its state to the dock, stops
// the fast timer when there is nothing to measure, and pushes a new overlay
// when it shows something else.
void RefreshAdapterState(DockletInstance* instance) noexcept;

// Only while connected: takes a sample, sets a changed label, pushes an
// overlay that shows something else (none while the label is hidden).
void RefreshDisplay(DockletInstance* instance) noexcept;

// The label text for the instance's labelData and current figures.
void FormatLabel(const DockletInstance* instance, char* label, size_t capacity) noexcept;
