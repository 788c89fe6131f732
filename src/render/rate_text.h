// A rate as the icon and the graphs show it: one decimal and its unit.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kRateTextCapacity = 500;

void FormatRateText(double rate, int32_t unit, wchar_t (&text)[kRateTextCapacity]) noexcept;
