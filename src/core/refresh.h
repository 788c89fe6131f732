// The two refreshes the timers drive: the adapter's state with the base image
// (every 30 s and on request), and the sample with label and overlay (every
// second while the adapter is connected).
#pragma once

#include "core/docklet_instance.h"

// Base-image and label bounds, terminator included.
constexpr size_t kBaseImagePathCapacity = 270;
constexpr size_t kLabelCapacity = 500;

// Looks the adapter up, names the base image of its state to the dock, stops
// the fast timer when there is nothing to measure, and pushes a new overlay.
void RefreshAdapterState(DockletInstance* instance) noexcept;

// Only while connected: takes a sample, sets the label, pushes a new overlay
// (no overlay while the label is hidden).
void RefreshDisplay(DockletInstance* instance) noexcept;

// The label text for the instance's labelData and current figures.
void FormatLabel(const DockletInstance* instance, char* label, size_t capacity) noexcept;
