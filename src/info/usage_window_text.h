// The texts of the usage window, from a summary and the icon's settings.
#pragma once

#include "usage/usage_summary.h"

#include <cstddef>
#include <cstdint>

constexpr size_t kAmountTextCapacity = 24;

// Downloaded, uploaded and total, each as FormatAmount writes it.
void FormatUsageRow(UsagePair pair, wchar_t (&texts)[3][kAmountTextCapacity]) noexcept;

// "41.7G of 100.0G (42 %)": the counted amount against an allowance in MB.
void FormatAllowanceShare(uint64_t counted, int32_t allowanceMb, wchar_t* text, size_t capacity) noexcept;

// The month's traffic carried on at its pace so far to the month's end;
// the month itself while none of it has passed.
UsagePair ProjectMonth(UsagePair month, double monthPassed) noexcept;

// "2026-11-15".
void FormatIsoDate(CivilDate date, wchar_t* text, size_t capacity) noexcept;
