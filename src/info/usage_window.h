// Dialog procedure of the usage window (template 111): the icon's adapter, the
// chart of its usage month, its totals and its months, following the live
// count once a second.
#pragma once

#include <windows.h>

INT_PTR UsageWindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
