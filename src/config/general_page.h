// The "General" page: title, command, adapter, what the icon and the label
// show, and the external address URLs.
#pragma once

#include "base/docklet_instance.h"

#include <windows.h>

#include <cstdint>

constexpr int IDD_GENERAL_PAGE = 106;

INT_PTR CALLBACK GeneralPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Refills the list with the automatic entry, then the system's adapters in its
// order; selects the automatic entry for an automatic icon or one without an
// adapter, else the one of working.interfaceDescription (and shows and stores
// its name); and writes the count of adapters.
void FillAdapterList(HWND list, HWND guidText, HWND countText, DockletInstance& working) noexcept;

// Shows and stores the name of the first adapter described as
// working.interfaceDescription; for an automatic icon, the name of the adapter in use.
void ShowSelectedAdapterGuid(HWND guidText, DockletInstance& working) noexcept;

// "%ld Interface(s) found", or "No Interface(s) found" for 0.
void FormatAdapterCount(long count, wchar_t* text, size_t capacity) noexcept;

// labelData from the eight label choices (upload, download, total, bandwidth,
// title, address, today's usage, month's usage; the first chosen wins) and Hide Label.
constexpr size_t kLabelChoiceCount = 8;
uint32_t LabelDataFromChoices(const bool (&choices)[kLabelChoiceCount], bool hideLabel) noexcept;
