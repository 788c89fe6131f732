// An opacity slider with its percentage text, as the Font and Graph pages show them.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// "%d%%" of alpha * 100 / 255, remainder dropped: 255 -> "100%", 128 -> "50%".
void FormatOpacityPercent(uint8_t alpha, wchar_t* text, size_t capacity) noexcept;

// Range 0..255, page size and ticks every 15, position alpha; the percentage beside it.
void SetUpOpacitySlider(HWND page, int sliderId, int percentId, uint8_t alpha) noexcept;

uint8_t SliderOpacity(HWND page, int sliderId) noexcept;
void ShowOpacityPercent(HWND page, int percentId, uint8_t alpha) noexcept;

// The scroll codes after which a slider's position counts.
bool IsSliderSettled(WPARAM scrollCode) noexcept;
