// The "Icon" page: the image set, from the sub-folders of the docklet's
// folder, with a picture of its background.png.
#pragma once

#include <windows.h>

constexpr int IDD_ICON_PAGE = 107;

INT_PTR CALLBACK IconPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Lists the sub-folders of `folder` (ending in a separator) in the order the
// file system gives them and selects `current` (letter case ignored).
void FillImageSetList(const wchar_t* folder, HWND list, const wchar_t* current) noexcept;
