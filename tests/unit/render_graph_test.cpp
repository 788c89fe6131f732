#include "render_canvas.h"

#include "base/rate_history.h"
#include "render/color_argb.h"
#include "render/outlined_text.h"
#include "render/traffic_graph.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr PixelRect kWhole{0, 0, 256, 256};
constexpr PixelRect kUploadBox{10, 134, 233, 110};
constexpr PixelRect kDownloadBox{10, 12, 233, 110};

struct SeriesDeleter {
    void operator()(Warr<double>* series) const { delete series; }
};
using SeriesOwner = std::unique_ptr<Warr<double>, SeriesDeleter>;

SeriesOwner SeriesOf(const std::vector<double>& values) {
    SeriesOwner series(new Warr<double>(kHistoryCapacity, nullptr));
    for (double value : values) {
        series->Append(value);
    }
    return series;
}

// Bars alone: box, frame and texts fully transparent.
Pixels DrawBarsOnly(const Warr<double>* series, double fullScale, const PixelRect& box) {
    Canvas canvas;
    DrawTrafficGraph(canvas.graphics(), GraphStyle{0xFF0000FF, 0, 0, L"Tahoma", 0xFFFFFF, 0, 34.0f}, L"Upload", 1.0, series, fullScale, box);
    return ReadPixels(canvas.bitmap());
}

int BarColumn(const PixelRect& box, int k) { return box.x + 2 * k; }

}  // namespace

class TrafficGraph : public GdiplusTest {};

TEST_F(TrafficGraph, BarHeightsFollowTheUploadScaleAndClipAtFullScale) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const SeriesOwner series = SeriesOf({0.0, 20.0, 25.0, 10.0, 1.0, -3.0, nan});
    const Pixels pixels = DrawBarsOnly(series.get(), 20.0, kUploadBox);
    const int bottom = kUploadBox.y + kUploadBox.height;  // 244
    // A bar of barHeight h covers rows bottom - 1 - h .. bottom - 1.
    const int expectedHeights[] = {0, 109, 109, 54, 5, 0, 0};
    for (int k = 1; k <= 7; ++k) {
        const int x = BarColumn(kUploadBox, k);
        EXPECT_EQ(TopInkRow(pixels, x, 0, 256), bottom - 1 - expectedHeights[k - 1]) << "bar " << k;
        EXPECT_EQ(pixels.AlphaAt(x, bottom - 1), 255) << "bar " << k;
        EXPECT_EQ(pixels.AlphaAt(x, bottom), 0) << "bar " << k;
    }
    // Full scale reaches the box's top edge exactly.
    EXPECT_EQ(TopInkRow(pixels, BarColumn(kUploadBox, 2), 0, 256), kUploadBox.y);
    // Nothing left of the first bar's pen or right of the last one.
    EXPECT_EQ(CountInk(pixels, PixelRect{0, 0, kUploadBox.x + 1, 256}), 0);
    EXPECT_EQ(CountInk(pixels, PixelRect{BarColumn(kUploadBox, 7) + 1, 0, 256, 256}), 0);
}

TEST_F(TrafficGraph, DownloadFullScaleStopsOnePixelShortOfTheTop) {
    const SeriesOwner series = SeriesOf({180.0, 500.0, 90.0, 0.0});
    const Pixels pixels = DrawBarsOnly(series.get(), 180.0, kDownloadBox);
    const int bottom = kDownloadBox.y + kDownloadBox.height;  // 122
    EXPECT_EQ(TopInkRow(pixels, BarColumn(kDownloadBox, 1), 0, 256), bottom - 1 - 108);
    EXPECT_EQ(TopInkRow(pixels, BarColumn(kDownloadBox, 1), 0, 256), kDownloadBox.y + 1);
    EXPECT_EQ(TopInkRow(pixels, BarColumn(kDownloadBox, 2), 0, 256), bottom - 1 - 108);
    EXPECT_EQ(TopInkRow(pixels, BarColumn(kDownloadBox, 3), 0, 256), bottom - 1 - 54);
    EXPECT_EQ(TopInkRow(pixels, BarColumn(kDownloadBox, 4), 0, 256), bottom - 1);
}

TEST_F(TrafficGraph, AFullScaleThatIsNotPositiveDrawsOnlyStubs) {
    const SeriesOwner series = SeriesOf({5.0, 50.0});
    for (double fullScale : {0.0, -20.0, std::numeric_limits<double>::quiet_NaN()}) {
        const Pixels pixels = DrawBarsOnly(series.get(), fullScale, kUploadBox);
        for (int k = 1; k <= 2; ++k) {
            EXPECT_EQ(TopInkRow(pixels, BarColumn(kUploadBox, k), 0, 256), 243) << fullScale;
        }
    }
}

TEST_F(TrafficGraph, AWrappedRingDrawsOldestToNewestIn116Columns) {
    std::vector<double> values;
    for (int i = 0; i < 130; ++i) {
        values.push_back(i % 20);
    }
    const SeriesOwner series = SeriesOf(values);
    ASSERT_LT(series->first, 0);
    const Pixels pixels = DrawBarsOnly(series.get(), 20.0, kUploadBox);
    const int bottom = kUploadBox.y + kUploadBox.height;
    // Oldest kept sample is number 14 (value 14: 76 pixels), newest number 129 (value 9: 49 pixels).
    EXPECT_EQ(TopInkRow(pixels, BarColumn(kUploadBox, 1), 0, 256), bottom - 1 - 76);
    EXPECT_EQ(TopInkRow(pixels, BarColumn(kUploadBox, 2), 0, 256), bottom - 1 - 81);
    EXPECT_EQ(TopInkRow(pixels, BarColumn(kUploadBox, 116), 0, 256), bottom - 1 - 49);
    EXPECT_EQ(BarColumn(kUploadBox, 116), kUploadBox.x + 232);
    EXPECT_EQ(CountInk(pixels, PixelRect{kUploadBox.x + 233, 0, 256, 256}), 0);
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
    {
        Canvas canvas;
        DrawTrafficGraph(canvas.graphics(), GraphStyle{0, ColorToArgb(0, 91), 0, L"Tahoma", 0xFFFFFF, 0, 34.0f}, L"Upload", 0.0, nullptr, 20.0, kUploadBox);
        const Pixels fill = ReadPixels(canvas.bitmap());
        EXPECT_EQ(fill.At(100, 200), 0x5B000000u);
        EXPECT_EQ(fill.At(10, 134), 0x5B000000u);
        EXPECT_EQ(fill.At(242, 243), 0x5B000000u);
        EXPECT_EQ(fill.At(243, 200), 0u);
        EXPECT_EQ(fill.At(100, 244), 0u);
        EXPECT_EQ(fill.At(9, 200), 0u);
        EXPECT_EQ(fill.At(100, 133), 0u);
        EXPECT_EQ(CountInk(fill, kWhole), 233 * 110);
    }
    {
        Canvas canvas;
        DrawTrafficGraph(canvas.graphics(), GraphStyle{0, 0, ColorToArgb(0xFFFFFF, 91), L"Tahoma", 0xFFFFFF, 0, 34.0f}, L"Upload", 0.0, nullptr, 20.0, kUploadBox);
        const Pixels frame = ReadPixels(canvas.bitmap());
        EXPECT_EQ(frame.At(10, 200), 0x5BFFFFFFu);
        EXPECT_EQ(frame.At(243, 200), 0x5BFFFFFFu);
        EXPECT_EQ(frame.At(100, 134), 0x5BFFFFFFu);
        EXPECT_EQ(frame.At(100, 244), 0x5BFFFFFFu);
        EXPECT_EQ(frame.At(100, 200), 0u);
        EXPECT_EQ(frame.At(9, 200), 0u);
        EXPECT_EQ(frame.At(244, 200), 0u);
        EXPECT_EQ(frame.At(100, 245), 0u);
    }
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

TEST_F(TrafficGraph, StandardPairIsUploadBelowThenDownloadAbove) {
    DockletInstance* instance = MakeTransferringInstance();
    ASSERT_NE(instance, nullptr);
    // 11 and 166 sit just above a whole bar height, so a scale off by a little shows.
    const SeriesOwner upload = SeriesOf({5.0, 11.0, 20.0});
    const SeriesOwner download = SeriesOf({90.0, 166.0, 180.0, 40.0});
    instance->uploadHistory = upload.get();
    instance->downloadHistory = download.get();

    Canvas actual;
    DrawStandardGraphs(actual.graphics(), *instance);
    Canvas expected;
    DrawTrafficGraph(expected.graphics(), GraphStyle{0xC00000FF, 0x5B000000, 0x5BFFFFFF, L"Tahoma", 0xFFFFFF, 255, 34.0f}, L"Upload", 4.2, upload.get(), 20.0, PixelRect{10, 134, 233, 110});
    DrawTrafficGraph(expected.graphics(), GraphStyle{0xC100FF00, 0x5B000000, 0x5BFFFFFF, L"Tahoma", 0xFFFFFF, 255, 34.0f}, L"Download", 53.1, download.get(), 180.0, PixelRect{10, 12, 233, 110});
    EXPECT_EQ(ReadPixels(actual.bitmap()).argb, ReadPixels(expected.bitmap()).argb);
    std::free(instance);
}
