#include "render/allowance_bar.h"

#include "base/owners.h"
#include "render/color_argb.h"

#include <cmath>

namespace {

void Fill(GpGraphics* graphics, uint32_t argb, int32_t x, int32_t y, int32_t width, int32_t height) noexcept {
    if (const SolidBrushOwner brush = MakeSolidBrush(argb)) {
        GdipFillRectangleI(graphics, brush.get(), x, y, width, height);
    }
}

}  // namespace

AllowanceBar AllowanceBarOf(const DockletInstance& instance) noexcept {
    AllowanceBar bar{};
    if (!(instance.dockletData & kShowAllowanceBar) || instance.usageAllowance <= 0) {
        return bar;
    }
    const double allowance = static_cast<double>(instance.usageAllowance) * 1e6;
    const double used = static_cast<double>(instance.usage.shownMonth) / allowance;
    const double columns = std::round(used * kAllowanceBarColumns);
    bar.shown = 1;
    bar.usedColumns = columns < kAllowanceBarColumns ? static_cast<int32_t>(columns) : kAllowanceBarColumns;
    bar.fillArgb = used >= 1.0   ? kAllowanceRed
                   : used >= 0.8 ? kAllowanceAmber
                                 : ColorToArgb(instance.downloadColor, 255);
    const double passed = instance.usage.monthPassed > 0.0 ? instance.usage.monthPassed : 0.0;
    const double markColumn = std::floor((passed < 1.0 ? passed : 1.0) * (kAllowanceBarColumns - 1));
    bar.markX = kAllowanceBarRect.x + 1 + static_cast<int32_t>(markColumn);
    return bar;
}

void DrawAllowanceBar(GpGraphics* graphics, const DockletInstance& instance, const AllowanceBar& bar) noexcept {
    if (!bar.shown) {
        return;
    }
    // Whole pixels: smoothing would spread every edge over two.
    Gdiplus::SmoothingMode smoothing = Gdiplus::SmoothingModeAntiAlias;
    GdipGetSmoothingMode(graphics, &smoothing);
    GdipSetSmoothingMode(graphics, Gdiplus::SmoothingModeNone);
    const PixelRect outer = kAllowanceBarRect;
    const PixelRect inside{outer.x + 1, outer.y + 1, outer.width - 2, outer.height - 2};
    const uint32_t frame = ColorToArgb(instance.frameColor, instance.frameAlpha);
    Fill(graphics, frame, outer.x, outer.y, outer.width, 1);
    Fill(graphics, frame, outer.x, outer.y + outer.height - 1, outer.width, 1);
    Fill(graphics, frame, outer.x, inside.y, 1, inside.height);
    Fill(graphics, frame, outer.x + outer.width - 1, inside.y, 1, inside.height);
    Fill(graphics, ColorToArgb(instance.backgroundColor, instance.backgroundAlpha), inside.x, inside.y, inside.width,
         inside.height);
    if (bar.usedColumns > 0) {
        Fill(graphics, bar.fillArgb, inside.x, inside.y, bar.usedColumns, inside.height);
    }
    Fill(graphics, ColorToArgb(instance.fontColor, 255), bar.markX, inside.y, 2, inside.height);
    GdipSetSmoothingMode(graphics, smoothing);
}
