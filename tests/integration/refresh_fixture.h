// Icons watching a scripted adapter: the test dock serves the adapter lists
// and the Network Interface counters, and the test moves them tick by tick.
#pragma once

#include "dock_fixture.h"
#include "served_system.h"
#include "support/perf_block_builder.h"

namespace vantrel_test {

constexpr int64_t kPerfFreq = 10000000;  // ticks per second of the served blocks

class RefreshTest : public DockTest {
protected:
    void SetUp() override;

    // The adapter the icons are configured for (the first of adapters.adapters).
    testdock::AdapterPlan& Adapter() { return adapters.adapters.front(); }

    // Serves one block with the adapter's counters at `seconds`.
    void ServeCounters(double seconds, uint64_t received, uint64_t sent, uint64_t bandwidth = 100000000);
    // A second adapter, "Wireless Adapter" at interface 23, beside Adapter().
    void AddWirelessAdapter();
    // Serves one block with the configured adapter's counters and a second
    // adapter's, each moving `received` bytes in and out.
    void ServeTwo(const wchar_t* other, double seconds, uint64_t firstReceived, uint64_t otherReceived);
    // Creates an icon configured for Adapter(), with extra INI lines.
    Icon& CreateConfiguredIcon(const std::string& extraLines = "");

    testdock::PerfDataServer perf;
    testdock::AdapterServer adapters;
};

}  // namespace vantrel_test
