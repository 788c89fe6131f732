// The Network Interface block of a busy machine, for the benchmarks.
#pragma once

#include "support/perf_block_builder.h"

// A block the size of a busy machine's: 64 Network Interface instances with 30
// counters each, the four the docklet reads among them.
constexpr size_t kRealisticInstances = 64;
constexpr size_t kRealisticCounters = 30;
PerfBlockPlan RealisticNetworkInterfaceBlock();
std::wstring RealisticAdapterName(size_t index);
