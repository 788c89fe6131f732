// How figures are shown: the unit choice of a rate text, the full scale of a
// graph, and the adapter's link speed. Figures arrive in K (1000 bytes per
// second), as the sampler makes them.
#pragma once

#include "base/docklet_instance.h"

#include <cstddef>
#include <cstdint>

// The text of a rate in `unit` (kRateUnitK, kRateUnitBytes, kRateUnitBits):
// "%.1f" and its unit, moving up by 1000 while the rounded figure reaches
// 1000.0 and a larger unit remains. A negative figure reads as in unit K.
void FormatRate(double rateK, int32_t unit, char* text, size_t capacity) noexcept;
void FormatRate(double rateK, int32_t unit, wchar_t* text, size_t capacity) noexcept;

// An amount of bytes in K (1000 bytes) with one decimal, moving up through M,
// G and T by the rule of the rates: "0.0K", "812.4M", "1.2T".
void FormatAmount(uint64_t bytes, char* text, size_t capacity) noexcept;

// "<caption><rate>", as the label shows a rate.
void FormatCaptionedRate(const char* caption, double rateK, int32_t unit, char* text, size_t capacity) noexcept;

// The adapter's speed in K from the raw bandwidth reading (bits per second); 0
// while it is not read.
double LinkSpeedK(const DockletInstance& instance) noexcept;

// The bandwidth figure the label shows: the sampler's in unit K, the link
// speed in the scaled units.
double ShownBandwidthK(const DockletInstance& instance) noexcept;

// The smallest step of 1, 2, 5, 10, 20, 50, ... at or above `highestK`,
// counted in the unit shown (kb for kRateUnitBits, K otherwise), and at least
// the first step; returned in K.
double FittedScaleK(double highestK, int32_t unit) noexcept;
