// The "Usage" page: the day the usage month starts, the monthly allowance in
// MB or GB, what the totals count, and where they are kept.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr int IDD_USAGE_PAGE = 112;

INT_PTR CALLBACK UsagePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The allowance field's unit choices, in list order.
constexpr int kAllowanceUnitMb = 0;
constexpr int kAllowanceUnitGb = 1;

// A stored allowance as the page shows it: in GB when it is a whole number of
// GB, else in MB; none as an empty field.
void AllowanceFieldText(int32_t allowanceMb, wchar_t* text, size_t capacity, int* unit) noexcept;

// The field's text in `unit` as MB: empty or 0 is none. False for anything
// but digits, or more than the setting holds.
bool ParseAllowanceField(const wchar_t* text, int unit, int32_t* allowanceMb) noexcept;
