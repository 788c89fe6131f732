// A rate as the icon and the graphs show it: one decimal and a K.
#pragma once

#include <cstddef>

constexpr size_t kRateTextCapacity = 500;

void FormatRateText(double rate, wchar_t (&text)[kRateTextCapacity]) noexcept;
