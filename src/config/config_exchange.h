// What one open settings sheet shares between its pages and the code that
// commits: the outcome, the working copy, and the edits the Font and Graph
// pages hold until they are left. One record per sheet, so sheets of two
// icons never see each other's state.
#pragma once

#include "base/docklet_instance.h"

#include <cstdint>

// result: no page has committed yet, a page committed its controls, or the sheet was cancelled.
constexpr int32_t kExchangeUntouched = 0;
constexpr int32_t kExchangeCancelled = 3;
constexpr int32_t kExchangeCommitted = 4;

struct FontPageState {
    wchar_t faceName[32];
    int32_t size;
    COLORREF color;
    uint8_t alpha;
};

// One row of the Graph page: a colour and its opacity.
struct GraphRowState {
    COLORREF color;
    uint8_t alpha;
};

constexpr int kGraphRows = 4;

struct ConfigExchange {
    int32_t result;
    DockletInstance* working;
    // The icon the sheet edits, told of the sheet's windows so that the dock
    // can destroy the icon while they are open; null for a sheet of no icon.
    DockletInstance* live;
    FontPageState font;
    GraphRowState graphRows[kGraphRows];
};
