#include "render/traffic_graph.h"

#include "core/text.h"
#include "measure/rate_history.h"
#include "render/color_argb.h"
#include "render/gdiplus_owners.h"
#include "render/outlined_text.h"
#include "render/rate_text.h"

namespace {

// Whole pixels of bar above the one-pixel stub. Samples at or above full scale
// are clipped to it; negative and NaN samples draw only the stub.
int BarHeight(double sample, int32_t boxHeight, double fullScale) noexcept {
    const double scale = (boxHeight - 1.0) / fullScale;
    const double v = sample > fullScale ? fullScale : sample;
    if (!(v > 0.0)) {
        return 0;
    }
    // A full scale that is not a positive number gives no finite height: stub only.
    const double height = v * scale;
    if (!(height <= boxHeight)) {
        return 0;
    }
    return static_cast<int>(height);
}

void DrawBars(GpGraphics* graphics, Gdiplus::GpPen* pen, const Warr<double>& series, double fullScale,
              const PixelRect& box) noexcept {
    if (!series.data || series.capacity < 1) {
        return;
    }
    const int32_t bottom = box.y + box.height;
    int32_t k = 1;
    for (int32_t i = series.first; i <= series.last; ++i, ++k) {
        const int barHeight = BarHeight(series.At(i), box.height, fullScale);
        GdipDrawLineI(graphics, pen, box.x + 2 * k, bottom, box.x + 2 * k, bottom - 1 - barHeight);
    }
}

}  // namespace

void DrawTrafficGraph(GpGraphics* graphics, uint32_t barArgb, uint32_t backgroundArgb, uint32_t frameArgb,
                      const wchar_t* fontName, COLORREF fontColor, uint8_t fontAlpha, float fontSize,
                      const wchar_t* caption, double currentRate, const Warr<double>* series, double fullScale,
                      const PixelRect& graphRect) noexcept {
    if (!graphics) {
        return;
    }
    const SolidBrushOwner background = MakeSolidBrush(backgroundArgb);
    const PenOwner barPen = MakePen(barArgb, 2.0f);
    const PenOwner framePen = MakePen(frameArgb, 1.0f);

    if (background) {
        GdipFillRectangleI(graphics, background.get(), graphRect.x, graphRect.y, graphRect.width, graphRect.height);
    }
    if (framePen) {
        GdipDrawRectangleI(graphics, framePen.get(), graphRect.x, graphRect.y, graphRect.width, graphRect.height);
    }
    if (barPen && series) {
        DrawBars(graphics, barPen.get(), *series, fullScale, graphRect);
    }

    // At font sizes of 16 and below the caption's em size is not positive and
    // DrawOutlinedText leaves the caption out.
    const float captionEm = static_cast<float>(fontSize - 16.0);
    DrawOutlinedText(graphics, caption, fontName, Gdiplus::FontStyleBold, fontColor, fontAlpha,
                     Gdiplus::StringAlignmentNear, Gdiplus::StringAlignmentNear, captionEm, false, false,
                     PixelRect{graphRect.x, graphRect.y, 140, 24});

    wchar_t rateText[kRateTextCapacity];
    FormatRateText(currentRate, rateText);
    const float rateEm = static_cast<float>(fontSize - 8.0);
    DrawOutlinedText(graphics, rateText, fontName, Gdiplus::FontStyleBold, fontColor, fontAlpha,
                     Gdiplus::StringAlignmentFar, Gdiplus::StringAlignmentNear, rateEm, false, false,
                     PixelRect{graphRect.x + graphRect.width - 160, graphRect.y, 160, 32});
}

void DrawStandardGraphs(GpGraphics* graphics, const DockletInstance& instance) noexcept {
    const uint32_t backgroundArgb = ColorToArgb(instance.backgroundColor, instance.backgroundAlpha);
    const uint32_t frameArgb = ColorToArgb(instance.frameColor, instance.frameAlpha);
    wchar_t fontName[32];
    CopyText(fontName, instance.fontName);
    const float fontSize = static_cast<float>(instance.fontSize);

    for (const StandardGraph& graph : kStandardGraphs) {
        const bool upload = graph.direction == GraphDirection::Upload;
        const uint32_t barArgb = upload ? ColorToArgb(instance.uploadColor, instance.uploadAlpha)
                                        : ColorToArgb(instance.downloadColor, instance.downloadAlpha);
        DrawTrafficGraph(graphics, barArgb, backgroundArgb, frameArgb, fontName, instance.fontColor,
                         instance.fontAlpha, fontSize, graph.caption,
                         upload ? instance.uploadRate : instance.downloadRate,
                         upload ? instance.uploadHistory : instance.downloadHistory, graph.fullScale, graph.rect);
    }
}
