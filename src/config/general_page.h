// The "General" page: title, command, adapter, what the icon and the label
// show, and the external address URL.
#pragma once

#include "base/docklet_instance.h"

#include <windows.h>

#include <cstdint>

constexpr int IDD_GENERAL_PAGE = 106;

INT_PTR CALLBACK GeneralPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Refills the list with the system's adapters in its order, selects the one of
// working.interfaceDescription (and shows and stores its name), and writes the count.
void FillAdapterList(HWND list, HWND guidText, HWND countText, DockletInstance& working) noexcept;

// Shows and stores the name of the first adapter described as working.interfaceDescription.
void ShowSelectedAdapterGuid(HWND guidText, DockletInstance& working) noexcept;

// "%ld Interface(s) found", or "No Interface(s) found" for 0.
void FormatAdapterCount(long count, wchar_t* text, size_t capacity) noexcept;

// labelData from the six label choices (upload, download, total, bandwidth,
// title, address; the first chosen wins) and Hide Label.
uint32_t LabelDataFromChoices(const bool (&choices)[6], bool hideLabel) noexcept;
