#include "render/usage_chart.h"

#include "base/owners.h"
#include "base/rate_units.h"
#include "render/outlined_text.h"

#include <cwchar>

namespace {

constexpr uint32_t kAxisArgb = 0xFF808080u;
constexpr uint32_t kShareArgb = 0xFFC00000u;
constexpr uint32_t kTodayArgb = 0xFF000000u;

void Fill(GpGraphics* graphics, uint32_t argb, float x, float y, float width, float height) noexcept {
    if (const SolidBrushOwner brush = MakeSolidBrush(argb)) {
        GdipFillRectangle(graphics, brush.get(), x, y, width, height);
    }
}

void Line(GpGraphics* graphics, uint32_t argb, float x1, float y1, float x2, float y2) noexcept {
    if (const PenOwner pen = MakePen(argb, 1.0f)) {
        GdipDrawLine(graphics, pen.get(), x1, y1, x2, y2);
    }
}

void DrawTopValue(GpGraphics* graphics, uint64_t top, int32_t width, int32_t textHeight) noexcept {
    char amount[32];
    FormatAmount(top, amount, sizeof amount);
    wchar_t text[32];
    std::swprintf(text, 32, L"%hs", amount);
    const TextStyle style{L"Tahoma", 0, RGB(0, 0, 0), 255, static_cast<float>(textHeight) * 0.8f,
                          Gdiplus::StringAlignmentNear, Gdiplus::StringAlignmentCenter, false, false};
    DrawOutlinedText(graphics, text, style, PixelRect{0, 0, width, textHeight});
}

}  // namespace

uint64_t UsageChartTop(const UsageChart& chart) noexcept {
    uint64_t highest = chart.dailyShare;
    for (int32_t i = 0; i < chart.days && i < 31; ++i) {
        const uint64_t day = chart.received[i] + chart.sent[i];
        highest = day > highest ? day : highest;
    }
    return static_cast<uint64_t>(FittedScaleK(static_cast<double>(highest) / 1000.0, kRateUnitK) * 1000.0 + 0.5);
}

void DrawUsageChart(GpGraphics* graphics, const UsageChart& chart, int32_t width, int32_t height) noexcept {
    if (chart.days <= 0 || chart.days > 31 || width <= 0 || height <= 0) {
        return;
    }
    const uint64_t top = UsageChartTop(chart);
    const int32_t textHeight = height / 8 > 10 ? height / 8 : 10;
    const float bottom = static_cast<float>(height) - 1.0f;
    const float plotTop = static_cast<float>(textHeight + 2);
    const float plotHeight = bottom - plotTop;
    const float slot = static_cast<float>(width) / static_cast<float>(chart.days);
    const float barWidth = slot > 3.0f ? slot - 2.0f : slot;
    const auto heightOf = [&](uint64_t bytes) {
        return top > 0 ? plotHeight * static_cast<float>(static_cast<double>(bytes) / static_cast<double>(top)) : 0.0f;
    };
    DrawTopValue(graphics, top, width, textHeight);
    Line(graphics, kAxisArgb, 0.0f, plotTop, static_cast<float>(width), plotTop);
    for (int32_t i = 0; i <= chart.todayIndex && i < chart.days; ++i) {
        const float x = static_cast<float>(i) * slot + (slot - barWidth) / 2.0f;
        const float down = heightOf(chart.received[i]);
        const float up = heightOf(chart.sent[i]);
        Fill(graphics, chart.receivedArgb | 0xFF000000u, x, bottom - down, barWidth, down);
        Fill(graphics, chart.sentArgb | 0xFF000000u, x, bottom - down - up, barWidth, up);
    }
    if (chart.todayIndex >= 0 && chart.todayIndex < chart.days) {
        const float x = static_cast<float>(chart.todayIndex) * slot;
        Fill(graphics, kTodayArgb, x, bottom - 1.0f, slot, 2.0f);
    }
    if (chart.dailyShare > 0) {
        const float y = bottom - heightOf(chart.dailyShare);
        Line(graphics, kShareArgb, 0.0f, y, static_cast<float>(width), y);
    }
    Line(graphics, kAxisArgb, 0.0f, bottom, static_cast<float>(width), bottom);
}
