// The machine's real network, as the standalone dock shows it: Network
// Interface blocks built from the interface counters that IP Helper reports
// (Wine's registry performance data holds no objects), and the choice of the
// adapter an icon watches.
#pragma once

#include "system_hooks.h"

#include <cstdint>
#include <string>
#include <vector>

namespace testdock {

// A performance data block with one Network Interface instance per interface,
// named from its description the way the system names them.
std::vector<uint8_t> BuildLiveNetworkInterfaceBlock();

// Serves the module's performance data queries with live blocks.
void ServeLiveCounters(SystemHooks& hooks);

struct LiveAdapter {
    std::wstring description;
    std::string guid;
    std::wstring friendlyName;
    bool up;
    bool loopback;
};

std::vector<LiveAdapter> ListLiveAdapters();

// "auto": the first adapter that is up and not loopback; a number: that
// adapter of the list (1-based); else an adapter whose description or
// friendly name matches. False when there is none.
bool ChooseLiveAdapter(const std::wstring& choice, LiveAdapter* chosen);

}  // namespace testdock
