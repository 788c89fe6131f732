// The bar charts of recent transfer rates: a tinted, framed box with one bar
// per history sample, oldest at the left, on a fixed, fitted or link-speed scale.
#pragma once

#include "base/docklet_instance.h"
#include "base/gdiplus_api.h"
#include "render/pixel_rect.h"

#include <cstdint>

template <typename T>
class Warr;

// How a graph looks: bar, box and frame colours with their opacities, and the
// font of its caption and current rate.
struct GraphStyle {
    uint32_t barArgb;
    uint32_t backgroundArgb;
    uint32_t frameArgb;
    const wchar_t* fontName;
    COLORREF fontColor;
    uint8_t fontAlpha;
    float fontSize;
    int32_t rateUnit = kRateUnitK;  // of the current rate and the scale text
    bool showScale = false;         // the full scale, small, between caption and rate
};

// Draws one graph: box, frame, bars, caption at the top left, `currentRate` at
// the top right. Bars stand at x = X + 2k (k = 1 for the oldest sample), grow
// by (Height - 1) / fullScale per unit and stop at fullScale. A null or empty
// series draws no bars.
void DrawTrafficGraph(GpGraphics* graphics, const GraphStyle& style, const wchar_t* caption, double currentRate,
                      const Warr<double>* series, double fullScale, const PixelRect& graphRect) noexcept;

struct IconCache;

// The graph in two parts: the tinted, framed box, then what changes with the
// rates (bars, caption and current rate), with the text outlines kept in
// `cache` and the bars drawn in a few strokes when cache is not null.
void DrawGraphBox(GpGraphics* graphics, const GraphStyle& style, const PixelRect& graphRect) noexcept;
void DrawGraphContent(GpGraphics* graphics, const GraphStyle& style, const wchar_t* caption, double currentRate,
                      const Warr<double>* series, double fullScale, const PixelRect& graphRect,
                      IconCache* cache) noexcept;

// Whole pixels of bar above the one-pixel stub. Samples at or above full scale
// are clipped to it; negative and NaN samples draw only the stub.
int GraphBarHeight(double sample, int32_t boxHeight, double fullScale) noexcept;

enum class GraphDirection { Upload, Download };

struct StandardGraph {
    GraphDirection direction;
    const wchar_t* caption;
    double fullScale;
    PixelRect rect;
};

// The pair every caller draws, in drawing order: upload (lower box), then download (upper box).
constexpr StandardGraph kStandardGraphs[] = {
    {GraphDirection::Upload, L"Upload", 20.0, {10, 134, 233, 110}},
    {GraphDirection::Download, L"Download", 180.0, {10, 12, 233, 110}},
};

// The full scale, in K, of one graph of the standard pair under the
// instance's GraphScale: fixed, fitted to the highest sample of `series`, or
// the link's speed (fitted while that is not read).
double GraphFullScale(const DockletInstance& instance, const StandardGraph& graph,
                      const Warr<double>* series) noexcept;

// The style of one graph of the standard pair in the instance's settings. The
// font name points into `instance`.
GraphStyle GraphStyleOf(const DockletInstance& instance, GraphDirection direction) noexcept;

// The standard pair with the colours, font, rates and histories of `instance`.
void DrawStandardGraphs(GpGraphics* graphics, const DockletInstance& instance) noexcept;

// The boxes lie apart (11 pixels between them), so both boxes may be drawn
// before the content of either without changing a pixel.
static_assert(kStandardGraphs[1].rect.y + kStandardGraphs[1].rect.height + 8 < kStandardGraphs[0].rect.y,
              "graph boxes must not touch");

enum class GraphParts { Boxes, Content, BoxesAndContent };

// One part, or both, of each graph of the standard pair, in drawing order.
void DrawStandardGraphParts(GpGraphics* graphics, const DockletInstance& instance, GraphParts parts,
                            IconCache* cache) noexcept;
