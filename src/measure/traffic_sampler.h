// Turns the adapter's Network Interface counters into the four figures of an
// instance (total, download, upload, bandwidth) once per fast tick.
#pragma once

#include "base/docklet_instance.h"

#include <cstdint>

// Takes the older readings of the three byte counters. True only when all three
// were read; the caller keeps the result in samplerReady.
bool TakeInitialSamples(DockletInstance* instance) noexcept;

// One tick: new readings, the four figures, one value appended to each history.
// While the sampler is not ready, or the counter instance changed since the older
// readings were taken, the tick only takes fresh older readings.
void SampleTraffic(DockletInstance* instance) noexcept;

// The value of a counter from two readings, by the older reading's counter type.
// newer may be null: types that need it then give 0. Unknown types give -1.0.
double CalculateCounterValue(const RawCounterSample& older, const RawCounterSample* newer) noexcept;

// value x 10^(scale-1) for positive scales, x 10^(scale+1) for negative ones,
// unchanged for 0: the system's DefaultScale as the docklet has always read it.
double ApplyDefaultScale(double value, int32_t scale) noexcept;
