// The month chart of the usage window: one bar per day, download under upload,
// on a scale of the 1, 2, 5 ladder in amounts, with the steady daily share of
// an allowance as a line across.
#pragma once

#include "base/gdiplus_api.h"

#include <cstdint>

struct UsageChart {
    int32_t days;        // 1..31
    int32_t todayIndex;  // the marked bar; later days are to come and stay empty
    uint64_t received[31];
    uint64_t sent[31];
    uint64_t dailyShare;  // bytes; 0: no allowance
    uint32_t receivedArgb;
    uint32_t sentArgb;
};

// The top of the scale in bytes: the smallest of 1K, 2K, 5K, 10K, ... at or
// above the highest day and the daily share.
uint64_t UsageChartTop(const UsageChart& chart) noexcept;

// Draws the chart over the whole width by height surface.
void DrawUsageChart(GpGraphics* graphics, const UsageChart& chart, int32_t width, int32_t height) noexcept;
