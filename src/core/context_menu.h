// The icon's right-click menu: what it shows for the instance's bits, and what
// each choice does.
#pragma once

#include "base/docklet_instance.h"

#include <array>

struct ContextMenuEntry {
    UINT id;
    const wchar_t* text;  // null for a separator
    bool checked;
};

constexpr size_t kContextMenuEntryCount = 17;
using ContextMenuEntries = std::array<ContextMenuEntry, kContextMenuEntryCount>;

// Command ids; not in menu order (the settings entry, id 1, is last).
constexpr UINT kMenuSettings = 1;
constexpr UINT kMenuUpdateNow = 2;
constexpr UINT kMenuDetailedInformation = 3;
constexpr UINT kMenuAbout = 4;
constexpr UINT kMenuShowUploadRate = 6;
constexpr UINT kMenuShowDownloadRate = 7;
constexpr UINT kMenuShowTotalRate = 8;
constexpr UINT kMenuShowIpAddress = 9;
constexpr UINT kMenuHideLabel = 11;
constexpr UINT kMenuShowGraphs = 12;
constexpr UINT kMenuHideIcons = 13;
constexpr UINT kMenuRemoveEntry = 14;
constexpr UINT kMenuDataUsage = 16;
constexpr UINT kMenuShowAllowanceBar = 17;

// The seventeen entries top to bottom, checked where their bit is set.
ContextMenuEntries BuildContextMenuEntries(uint32_t dockletData, uint32_t labelData) noexcept;

// Does what the chosen id stands for: toggles a bit and refreshes, opens a
// dialog (which runs to its end here) or asks the dock to remove the icon.
// Separators and unknown ids do nothing.
void ActOnMenuChoice(DockletInstance* instance, UINT id) noexcept;

// The right click: shows the menu at the cursor (without "Remove Entry" where
// the dock has no DockletRemoveSelf), with the dock's mouse effect locked while
// it is open, and acts on the choice.
void ShowContextMenu(DockletInstance* instance) noexcept;
