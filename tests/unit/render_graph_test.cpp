#include "render_canvas.h"

#include "base/rate_history.h"
#include "render/color_argb.h"
#include "render/outlined_text.h"
#include "render/traffic_graph.h"

#include <limits>
#include <utility>
#include <vector>

namespace {

constexpr PixelRect kWhole{0, 0, 256, 256};
constexpr PixelRect kUploadBox{10, 134, 233, 110};
constexpr PixelRect kDownloadBox{10, 12, 233, 110};

// Bars alone: box, frame and texts fully transparent.
Pixels DrawBarsOnly(const Warr<double>* series, double fullScale, const PixelRect& box) {
    Canvas canvas;
    DrawTrafficGraph(canvas.graphics(), GraphStyle{0xFF0000FF, 0, 0, L"Tahoma", 0xFFFFFF, 0, 34.0f}, L"Upload", 1.0, series, fullScale, box);
    return ReadPixels(canvas.bitmap());
}

int BarColumn(const PixelRect& box, int k) { return box.x + 2 * k; }

}  // namespace

class TrafficGraph : public GdiplusTest {};

// Bars stand at x = X + 2k (k = 1 for the oldest sample) and grow by
// (Height - 1) / fullScale per unit up to fullScale.
TEST_F(TrafficGraph, BarHeightsFollowTheScaleAndStopAtFullScale) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> wrapped;
    for (int i = 0; i < 130; ++i) {
        wrapped.push_back(i % 20);
    }
    struct Case {
        const char* what;
        std::vector<double> values;
        double fullScale;
        PixelRect box;
        std::vector<std::pair<int, int>> heights;  // bar k, its height above the bottom row
    };
    const Case cases[] = {
        // Full scale reaches the upload box's top edge exactly.
        {"upload, clipped", {0.0, 20.0, 25.0, 10.0, 1.0, -3.0, nan}, 20.0, kUploadBox,
         {{1, 0}, {2, 109}, {3, 109}, {4, 54}, {5, 5}, {6, 0}, {7, 0}}},
        {"download: full scale one pixel short of the top", {180.0, 500.0, 90.0, 0.0}, 180.0, kDownloadBox,
         {{1, 108}, {2, 108}, {3, 54}, {4, 0}}},
        {"full scale 0", {5.0, 50.0}, 0.0, kUploadBox, {{1, 0}, {2, 0}}},
        {"full scale below 0", {5.0, 50.0}, -20.0, kUploadBox, {{1, 0}, {2, 0}}},
        {"full scale NaN", {5.0, 50.0}, nan, kUploadBox, {{1, 0}, {2, 0}}},
        // Oldest kept sample is number 14 (value 14), newest number 129 (value 9).
        {"a wrapped ring, oldest to newest in 116 columns", wrapped, 20.0, kUploadBox, {{1, 76}, {2, 81}, {116, 49}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SeriesOwner series = SeriesOf(c.values);
        const Pixels pixels = DrawBarsOnly(series.get(), c.fullScale, c.box);
        const int bottom = c.box.y + c.box.height;
        for (const auto& [k, height] : c.heights) {
            const int x = BarColumn(c.box, k);
            EXPECT_EQ(TopInkRow(pixels, x, 0, 256), bottom - 1 - height) << "bar " << k;
            EXPECT_EQ(pixels.AlphaAt(x, bottom - 1), 255) << "bar " << k;
            EXPECT_EQ(pixels.AlphaAt(x, bottom), 0) << "bar " << k;
        }
        // Nothing left of the first bar's pen or right of the last one.
        const int bars = static_cast<int>(c.values.size() < 116 ? c.values.size() : 116);
        EXPECT_EQ(CountInk(pixels, PixelRect{0, 0, c.box.x + 1, 256}), 0);
        EXPECT_EQ(CountInk(pixels, PixelRect{BarColumn(c.box, bars) + 1, 0, 256, 256}), 0);
    }
}

TEST_F(TrafficGraph, EmptyOrMissingSeriesDrawsTheBoxWithoutBars) {
    const SeriesOwner empty = SeriesOf({});
    const Warr<double>* const cases[] = {empty.get(), nullptr};
    for (const Warr<double>* series : cases) {
        EXPECT_EQ(CountInk(DrawBarsOnly(series, 20.0, kUploadBox), kWhole), 0);
        Canvas canvas;
        DrawTrafficGraph(canvas.graphics(), GraphStyle{0xFF0000FF, 0x5B000000, 0, L"Tahoma", 0xFFFFFF, 0, 34.0f}, L"Upload", 0.0, series, 20.0, kUploadBox);
        const Pixels pixels = ReadPixels(canvas.bitmap());
        EXPECT_EQ(pixels.At(BarColumn(kUploadBox, 1), 243), 0x5B000000u);
    }
}

TEST_F(TrafficGraph, BoxFillCoversTheRectangleAndTheFrameItsEdges) {
    struct Probe {
        int x;
        int y;
        uint32_t fill;   // with only the box fill drawn
        uint32_t frame;  // with only the frame drawn
    };
    const Probe probes[] = {
        {100, 200, 0x5B000000u, 0},   {10, 134, 0x5B000000u, 0x5BFFFFFFu}, {242, 243, 0x5B000000u, 0},
        {10, 200, 0x5B000000u, 0x5BFFFFFFu}, {243, 200, 0, 0x5BFFFFFFu}, {100, 244, 0, 0x5BFFFFFFu},
        {9, 200, 0, 0}, {100, 133, 0, 0}, {244, 200, 0, 0}, {100, 245, 0, 0},
    };
    Canvas fillOnly;
    DrawTrafficGraph(fillOnly.graphics(), GraphStyle{0, ColorToArgb(0, 91), 0, L"Tahoma", 0xFFFFFF, 0, 34.0f},
                     L"Upload", 0.0, nullptr, 20.0, kUploadBox);
    Canvas frameOnly;
    DrawTrafficGraph(frameOnly.graphics(), GraphStyle{0, 0, ColorToArgb(0xFFFFFF, 91), L"Tahoma", 0xFFFFFF, 0, 34.0f},
                     L"Upload", 0.0, nullptr, 20.0, kUploadBox);
    const Pixels fill = ReadPixels(fillOnly.bitmap());
    const Pixels frame = ReadPixels(frameOnly.bitmap());
    for (const Probe& p : probes) {
        EXPECT_EQ(fill.At(p.x, p.y), p.fill) << p.x << "," << p.y;
        EXPECT_EQ(frame.At(p.x, p.y), p.frame) << p.x << "," << p.y;
    }
    EXPECT_EQ(CountInk(fill, kWhole), 233 * 110);
}

TEST_F(TrafficGraph, BarsLieOverTheFillAndTheFrameBottom) {
    const SeriesOwner series = SeriesOf({20.0});
    Canvas canvas;
    DrawTrafficGraph(canvas.graphics(), GraphStyle{0xFF0000FF, 0xFF000000, 0xFFFFFFFF, L"Tahoma", 0xFFFFFF, 0, 34.0f}, L"Upload", 0.0, series.get(), 20.0, kUploadBox);
    const Pixels pixels = ReadPixels(canvas.bitmap());
    EXPECT_EQ(pixels.At(BarColumn(kUploadBox, 1), 200), 0xFF0000FFu);
    EXPECT_EQ(pixels.At(BarColumn(kUploadBox, 1), kUploadBox.y), 0xFF0000FFu);
    EXPECT_EQ(pixels.At(BarColumn(kUploadBox, 5), 200), 0xFF000000u);
}

TEST_F(TrafficGraph, CaptionTopLeftAndCurrentRateTopRight) {
    Canvas graph;
    DrawTrafficGraph(graph.graphics(), GraphStyle{0, 0, 0, L"Tahoma", 0xFFFFFF, 255, 34.0f}, L"Upload", 12.345, nullptr, 20.0, kUploadBox);
    const Pixels pixels = ReadPixels(graph.bitmap());
    const PixelRect caption = InkBounds(pixels, PixelRect{10, 134, 100, 24});
    EXPECT_GT(caption.width, 30);
    EXPECT_LE(caption.x - kUploadBox.x, 4);
    EXPECT_LE(caption.y - kUploadBox.y, 8);
    const PixelRect rate = InkBounds(pixels, PixelRect{150, 134, 106, 32});
    EXPECT_GT(rate.width, 40);
    EXPECT_LE(kUploadBox.x + kUploadBox.width - (rate.x + rate.width), 10);
    EXPECT_EQ(CountInk(pixels, PixelRect{0, 134 + 32, 256, 256}), 0);
    EXPECT_EQ(CountInk(pixels, PixelRect{0, 0, 256, 134}), 0);

    // Exactly the two texts of the outlined-text routine: no shadow, no outline.
    Canvas expected;
    DrawOutlinedText(expected.graphics(), L"Upload", TextStyle{L"Tahoma", Gdiplus::FontStyleBold, 0xFFFFFF, 255, 18.0f, Gdiplus::StringAlignmentNear, Gdiplus::StringAlignmentNear, false, false}, PixelRect{10, 134, 140, 24});
    DrawOutlinedText(expected.graphics(), L"12.3K", TextStyle{L"Tahoma", Gdiplus::FontStyleBold, 0xFFFFFF, 255, 26.0f, Gdiplus::StringAlignmentFar, Gdiplus::StringAlignmentNear, false, false}, PixelRect{83, 134, 160, 32});
    EXPECT_EQ(pixels.argb, ReadPixels(expected.bitmap()).argb);
}

TEST_F(TrafficGraph, SmallFontSizesLeaveTheCaptionOutButKeepTheRate) {
    for (float fontSize : {16.0f, 12.0f}) {
        Canvas graph;
        DrawTrafficGraph(graph.graphics(), GraphStyle{0, 0, 0, L"Tahoma", 0xFFFFFF, 255, fontSize}, L"Download", 99.0, nullptr, 180.0, kDownloadBox);
        const Pixels pixels = ReadPixels(graph.bitmap());
        EXPECT_EQ(CountInk(pixels, PixelRect{10, 12, 120, 24}), 0) << fontSize;
        EXPECT_GT(CountInk(pixels, PixelRect{150, 12, 106, 32}), 0) << fontSize;
    }
    Canvas tiny;
    DrawTrafficGraph(tiny.graphics(), GraphStyle{0, 0, 0, L"Tahoma", 0xFFFFFF, 255, 17.0f}, L"Download", 99.0, nullptr, 180.0, kDownloadBox);
    EXPECT_GT(CountInk(ReadPixels(tiny.bitmap()), PixelRect{10, 12, 120, 24}), 0);
}
