#include "render/traffic_graph.h"

#include "base/owners.h"
#include "base/rate_history.h"
#include "base/rate_units.h"
#include "base/text.h"
#include "render/color_argb.h"
#include "render/outlined_text.h"
#include "render/rate_text.h"

int GraphBarHeight(double sample, int32_t boxHeight, double fullScale) noexcept {
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

namespace {

// The bar of the k-th sample (k = 1 for the oldest): a 2-pixel line from the
// box's bottom up to its height.
struct Bar {
    int32_t x;
    int32_t bottom;
    int32_t top;
};

Bar BarOf(double sample, int32_t k, double fullScale, const PixelRect& box) noexcept {
    const int32_t bottom = box.y + box.height;
    return Bar{box.x + 2 * k, bottom, bottom - 1 - GraphBarHeight(sample, box.height, fullScale)};
}

void DrawBars(GpGraphics* graphics, Gdiplus::GpPen* pen, const Warr<double>& series, double fullScale,
              const PixelRect& box) noexcept {
    if (!series.data || series.capacity < 1) {
        return;
    }
    int32_t k = 1;
    for (int32_t i = series.first; i <= series.last; ++i, ++k) {
        const Bar bar = BarOf(series.At(i), k, fullScale, box);
        GdipDrawLineI(graphics, pen, bar.x, bar.bottom, bar.x, bar.top);
    }
}

// The same bars in a few strokes instead of one per sample: first every other
// bar, then the rest. Bars of one stroke stand 4 pixels apart and touch no
// common pixel, so each pixel is covered as by its own bar, with the same pen.
// Strokes of many more bars make the system's region work grow faster than
// the calls saved: 15 measured fastest, 58 three times slower.
constexpr int kBarsPerStroke = 15;

void DrawBarsInStrokes(GpGraphics* graphics, Gdiplus::GpPen* pen, const Warr<double>& series, double fullScale,
                       const PixelRect& box) noexcept {
    if (!series.data || series.capacity < 1) {
        return;
    }
    for (int32_t parity = 1; parity >= 0; --parity) {
        PathOwner stroke;
        int inStroke = 0;
        int32_t k = 1;
        for (int32_t i = series.first; i <= series.last; ++i, ++k) {
            if (k % 2 != parity) {
                continue;
            }
            if (!stroke && !(stroke = MakePath())) {
                DrawBars(graphics, pen, series, fullScale, box);
                return;
            }
            const Bar bar = BarOf(series.At(i), k, fullScale, box);
            GdipStartPathFigure(stroke.get());
            GdipAddPathLineI(stroke.get(), bar.x, bar.bottom, bar.x, bar.top);
            if (++inStroke == kBarsPerStroke) {
                GdipDrawPath(graphics, pen, stroke.get());
                stroke.reset();
                inStroke = 0;
            }
        }
        if (stroke) {
            GdipDrawPath(graphics, pen, stroke.get());
        }
    }
}

}  // namespace

void DrawGraphBox(GpGraphics* graphics, const GraphStyle& style, const PixelRect& graphRect) noexcept {
    if (!graphics) {
        return;
    }
    const SolidBrushOwner background = MakeSolidBrush(style.backgroundArgb);
    const PenOwner framePen = MakePen(style.frameArgb, 1.0f);
    if (background) {
        GdipFillRectangleI(graphics, background.get(), graphRect.x, graphRect.y, graphRect.width, graphRect.height);
    }
    if (framePen) {
        GdipDrawRectangleI(graphics, framePen.get(), graphRect.x, graphRect.y, graphRect.width, graphRect.height);
    }
}

void DrawGraphContent(GpGraphics* graphics, const GraphStyle& style, const wchar_t* caption, double currentRate,
                      const Warr<double>* series, double fullScale, const PixelRect& graphRect,
                      IconCache* cache) noexcept {
    if (!graphics) {
        return;
    }
    const PenOwner barPen = MakePen(style.barArgb, 2.0f);
    if (barPen && series) {
        if (cache) {
            DrawBarsInStrokes(graphics, barPen.get(), *series, fullScale, graphRect);
        } else {
            DrawBars(graphics, barPen.get(), *series, fullScale, graphRect);
        }
    }

    // At font sizes of 16 and below the caption's em size is not positive and
    // DrawOutlinedText leaves the caption out.
    TextStyle text{style.fontName,
                   Gdiplus::FontStyleBold,
                   style.fontColor,
                   style.fontAlpha,
                   static_cast<float>(style.fontSize - 16.0),
                   Gdiplus::StringAlignmentNear,
                   Gdiplus::StringAlignmentNear,
                   false,
                   false};
    DrawOutlinedText(graphics, caption, text, PixelRect{graphRect.x, graphRect.y, 140, 24}, cache);

    if (style.showScale) {
        // Small and centred in the gap between the caption and the rate, inside the top text band.
        wchar_t scaleText[kRateTextCapacity];
        FormatRateText(fullScale, style.rateUnit, scaleText);
        TextStyle small = text;
        small.emSize = static_cast<float>(style.fontSize - 22.0);
        small.alignment = Gdiplus::StringAlignmentCenter;
        DrawOutlinedText(graphics, scaleText, small, PixelRect{graphRect.x + 88, graphRect.y + 6, 64, 20}, cache);
    }

    wchar_t rateText[kRateTextCapacity];
    FormatRateText(currentRate, style.rateUnit, rateText);
    text.emSize = static_cast<float>(style.fontSize - 8.0);
    text.alignment = Gdiplus::StringAlignmentFar;
    DrawOutlinedText(graphics, rateText, text, PixelRect{graphRect.x + graphRect.width - 160, graphRect.y, 160, 32},
                     cache);
}

void DrawTrafficGraph(GpGraphics* graphics, const GraphStyle& style, const wchar_t* caption, double currentRate,
                      const Warr<double>* series, double fullScale, const PixelRect& graphRect) noexcept {
    DrawGraphBox(graphics, style, graphRect);
    DrawGraphContent(graphics, style, caption, currentRate, series, fullScale, graphRect, nullptr);
}

double GraphFullScale(const DockletInstance& instance, const StandardGraph& graph,
                      const Warr<double>* series) noexcept {
    if (instance.graphScale == kGraphScaleLink && LinkSpeedK(instance) > 0.0) {
        return LinkSpeedK(instance);
    }
    if (instance.graphScale != kGraphScaleFitted && instance.graphScale != kGraphScaleLink) {
        return graph.fullScale;
    }
    double highest = 0.0;
    if (series && series->data && series->capacity > 0) {
        for (int32_t i = series->first; i <= series->last; ++i) {
            const double sample = series->At(i);
            highest = sample > highest ? sample : highest;
        }
    }
    return FittedScaleK(highest, instance.rateUnit);
}

GraphStyle GraphStyleOf(const DockletInstance& instance, GraphDirection direction) noexcept {
    const bool upload = direction == GraphDirection::Upload;
    return GraphStyle{upload ? ColorToArgb(instance.uploadColor, instance.uploadAlpha)
                             : ColorToArgb(instance.downloadColor, instance.downloadAlpha),
                      ColorToArgb(instance.backgroundColor, instance.backgroundAlpha),
                      ColorToArgb(instance.frameColor, instance.frameAlpha),
                      instance.fontName,
                      instance.fontColor,
                      instance.fontAlpha,
                      static_cast<float>(instance.fontSize),
                      instance.rateUnit,
                      instance.graphScale == kGraphScaleFitted || instance.graphScale == kGraphScaleLink};
}

void DrawStandardGraphs(GpGraphics* graphics, const DockletInstance& instance) noexcept {
    DrawStandardGraphParts(graphics, instance, GraphParts::BoxesAndContent, nullptr);
}

void DrawStandardGraphParts(GpGraphics* graphics, const DockletInstance& instance, GraphParts parts,
                            IconCache* cache) noexcept {
    // The stored name need not be terminated inside its field.
    wchar_t fontName[32];
    CopyText(fontName, instance.fontName);
    for (const StandardGraph& graph : kStandardGraphs) {
        const bool upload = graph.direction == GraphDirection::Upload;
        GraphStyle style = GraphStyleOf(instance, graph.direction);
        style.fontName = fontName;
        if (parts != GraphParts::Content) {
            DrawGraphBox(graphics, style, graph.rect);
        }
        if (parts != GraphParts::Boxes) {
            const Warr<double>* series = upload ? instance.uploadHistory : instance.downloadHistory;
            DrawGraphContent(graphics, style, graph.caption, upload ? instance.uploadRate : instance.downloadRate,
                             series, GraphFullScale(instance, graph, series), graph.rect, cache);
        }
    }
}
