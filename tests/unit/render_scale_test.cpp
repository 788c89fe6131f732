// Rate texts in the three units, the graphs' three scales, and readings that fit their boxes.
#include "render_canvas.h"

#include "base/rate_history.h"
#include "base/rate_units.h"
#include "render/icon_composer.h"
#include "render/overlay_inputs.h"
#include "render/traffic_graph.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>

namespace {

std::string Rate(double rateK, int32_t unit) {
    char text[64];
    FormatRate(rateK, unit, text, sizeof text);
    return text;
}

struct InstanceFree {
    void operator()(DockletInstance* instance) const { std::free(instance); }
};
using InstanceOwner = std::unique_ptr<DockletInstance, InstanceFree>;

constexpr PixelRect kDownloadBox = kStandardGraphs[1].rect;
constexpr PixelRect kUploadBox = kStandardGraphs[0].rect;

}  // namespace

TEST(RateUnits, ScaledTextsMoveUpWhenTheRoundedFigureReaches1000) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(Rate(100000.0, kRateUnitK), "100000.0K");
    EXPECT_EQ(Rate(999.94, kRateUnitBytes), "999.9K");
    EXPECT_EQ(Rate(999.96, kRateUnitBytes), "1.0M");
    EXPECT_EQ(Rate(999949.0, kRateUnitBytes), "999.9M");
    EXPECT_EQ(Rate(1234567.0 * 1000.0, kRateUnitBytes), "1234.6G");
    EXPECT_EQ(Rate(0.0, kRateUnitBits), "0.0kb");
    EXPECT_EQ(Rate(124.99, kRateUnitBits), "999.9kb");
    EXPECT_EQ(Rate(125.0, kRateUnitBits), "1.0Mb");
    // The -1.0 of an unknown counter type, and what no counter gives, read as in K.
    EXPECT_EQ(Rate(-1.0, kRateUnitBytes), "-1.0K");
    EXPECT_EQ(Rate(-1.0, kRateUnitBits), "-1.0K");
    EXPECT_EQ(Rate(nan, kRateUnitBits), Rate(nan, kRateUnitK));
    EXPECT_EQ(Rate(2.5, 7), "2.5K");
}

TEST(RateUnits, FittedScaleIsTheLadderStepAtOrAboveTheHighestSampleInTheUnitShown) {
    EXPECT_EQ(FittedScaleK(0.0, kRateUnitK), 1.0);
    EXPECT_EQ(FittedScaleK(-4.0, kRateUnitBytes), 1.0);
    EXPECT_EQ(FittedScaleK(1.0, kRateUnitBytes), 1.0);
    EXPECT_EQ(FittedScaleK(1.01, kRateUnitBytes), 2.0);
    EXPECT_EQ(FittedScaleK(37.0, kRateUnitBytes), 50.0);
    EXPECT_EQ(FittedScaleK(100.0, kRateUnitK), 100.0);
    EXPECT_EQ(FittedScaleK(120000.0, kRateUnitBytes), 200000.0);
    // 37 K are 296 kb: the 500 kb step.
    EXPECT_EQ(FittedScaleK(37.0, kRateUnitBits), 62.5);
    EXPECT_GT(FittedScaleK(std::numeric_limits<double>::infinity(), kRateUnitK), 1e299);
}

class GraphScale : public GdiplusTest {
protected:
    // An instance whose graphs show only bars: texts and boxes fully transparent.
    InstanceOwner BarsOnly(int32_t scale, int32_t unit) {
        InstanceOwner instance(MakeTransferringInstance());
        instance->graphScale = scale;
        instance->rateUnit = unit;
        instance->fontAlpha = 0;
        instance->backgroundAlpha = 0;
        instance->frameAlpha = 0;
        instance->uploadAlpha = 255;
        instance->downloadAlpha = 255;
        return instance;
    }
    Pixels Draw(const DockletInstance& instance) {
        Canvas canvas;
        DrawStandardGraphs(canvas.graphics(), instance);
        return ReadPixels(canvas.bitmap());
    }
    // Height of bar k above the box's bottom row.
    static int BarHeight(const Pixels& pixels, const PixelRect& box, int k) {
        return box.y + box.height - 1 - TopInkRow(pixels, box.x + 2 * k, box.y, box.y + box.height + 1);
    }
};

TEST_F(GraphScale, FixedFittedAndLinkSpeedScalesSetTheBarHeights) {
    const SeriesOwner upload = SeriesOf({10.0, 40.0});
    const SeriesOwner download = SeriesOf({150.0, 300.0});
    struct Case {
        int32_t scale;
        int32_t unit;
        uint64_t linkBits;
        double uploadScale;
        double downloadScale;
    };
    const Case cases[] = {
        {kGraphScaleFixed, kRateUnitBytes, 0, 20.0, 180.0},
        {kGraphScaleFitted, kRateUnitBytes, 0, 50.0, 500.0},
        // In bits: 320 kb and 2400 kb, so the 500 kb and 5000 kb steps.
        {kGraphScaleFitted, kRateUnitBits, 0, 62.5, 625.0},
        {kGraphScaleLink, kRateUnitBytes, 4000000, 500.0, 500.0},
        {kGraphScaleLink, kRateUnitBytes, 0, 50.0, 500.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "scale " << c.scale << " unit " << c.unit << " link " << c.linkBits);
        InstanceOwner instance = BarsOnly(c.scale, c.unit);
        instance->uploadHistory = upload.get();
        instance->downloadHistory = download.get();
        instance->bandwidthSample.data = c.linkBits;
        const Pixels pixels = Draw(*instance);
        // A full bar reaches the upload box's top edge, one pixel short of the download box's.
        const int uploadTop = kUploadBox.height - 1;
        const int downloadTop = kDownloadBox.height - 2;
        EXPECT_EQ(BarHeight(pixels, kUploadBox, 1), std::min(uploadTop, static_cast<int>(10.0 * 109 / c.uploadScale)));
        EXPECT_EQ(BarHeight(pixels, kUploadBox, 2), std::min(uploadTop, static_cast<int>(40.0 * 109 / c.uploadScale)));
        EXPECT_EQ(BarHeight(pixels, kDownloadBox, 1),
                  std::min(downloadTop, static_cast<int>(150.0 * 109 / c.downloadScale)));
        EXPECT_EQ(BarHeight(pixels, kDownloadBox, 2),
                  std::min(downloadTop, static_cast<int>(300.0 * 109 / c.downloadScale)));
    }
}

// An overlay is handed to the dock only when its inputs change: the unit and
// the scale change what the readings, bars and scale texts show.
TEST_F(GraphScale, OverlayInputsFollowTheUnitAndTheScale) {
    const SeriesOwner upload = SeriesOf({10.0, 40.0});
    const SeriesOwner download = SeriesOf({150.0, 300.0});
    auto inputsOf = [&](int32_t scale, int32_t unit) {
        InstanceOwner instance = BarsOnly(scale, unit);
        instance->dockletData |= kShowGraphs;
        instance->uploadHistory = upload.get();
        instance->downloadHistory = download.get();
        OverlayInputs inputs;
        ReadOverlayInputs(*instance, inputs);
        return inputs;
    };
    const OverlayInputs fixed = inputsOf(kGraphScaleFixed, kRateUnitK);
    const OverlayInputs fitted = inputsOf(kGraphScaleFitted, kRateUnitK);
    EXPECT_TRUE(SameOverlay(fixed, inputsOf(kGraphScaleFixed, kRateUnitK)));
    EXPECT_FALSE(SameOverlay(fixed, inputsOf(kGraphScaleFixed, kRateUnitBits)));
    EXPECT_FALSE(SameOverlay(fixed, fitted));
    EXPECT_STREQ(fixed.graphs[1].scaleText, L"");
    EXPECT_STREQ(fitted.graphs[1].scaleText, L"500.0K");
    EXPECT_NE(fixed.graphs[1].barHeights[1], fitted.graphs[1].barHeights[1]);
}

TEST_F(GraphScale, TheFullScaleReadsInTheTopBandBetweenCaptionAndRate) {
    InstanceOwner instance(MakeTransferringInstance());
    instance->rateUnit = kRateUnitBytes;
    instance->backgroundAlpha = 0;
    instance->frameAlpha = 0;
    const Pixels fixed = Draw(*instance);
    instance->graphScale = kGraphScaleFitted;
    const Pixels fitted = Draw(*instance);
    for (const PixelRect& box : {kUploadBox, kDownloadBox}) {
        int changed = 0;
        int outside = 0;
        for (int y = 0; y < 256; ++y) {
            for (int x = 0; x < 256; ++x) {
                if (fixed.At(x, y) != fitted.At(x, y) && y >= box.y - 4 && y < box.y + box.height + 4) {
                    ++changed;
                    const bool inBand = y >= box.y && y < box.y + 32 && x > box.x + 80 && x < box.x + 160;
                    outside += inBand ? 0 : 1;
                }
            }
        }
        EXPECT_GT(changed, 20) << "box at " << box.y;
        EXPECT_EQ(outside, 0) << "box at " << box.y;
    }
}

// The widest scaled readings stay whole: no ink touches the edges of the
// icon, and a graph's rate keeps clear of its caption, inside its box.
TEST_F(GraphScale, TheWidestScaledReadingsFitTheirBoxesAtTheDefaultFontSize) {
    for (int32_t unit : {kRateUnitBytes, kRateUnitBits}) {
        SCOPED_TRACE(unit);
        InstanceOwner instance(MakeTransferringInstance());
        instance->rateUnit = unit;
        instance->dockletData = kShowUploadRate | kShowDownloadRate | kShowTotalRate;
        const double widest = unit == kRateUnitBits ? 124993.0 : 999940.0;  // "999.9Mb", "999.9M"
        instance->totalRate = instance->uploadRate = instance->downloadRate = widest;
        {
            GpBitmap* icon = ComposeIcon(instance.get(), nullptr);
            ASSERT_NE(icon, nullptr);
            const Pixels pixels = ReadPixels(icon);
            GdipDisposeImage(icon);
            const PixelRect ink = InkBounds(pixels, PixelRect{0, 0, 256, 256});
            EXPECT_GT(ink.x, 0);
            EXPECT_LT(ink.x + ink.width, 255);
        }
        instance->backgroundAlpha = 0;
        instance->frameAlpha = 0;
        for (const StandardGraph& graph : kStandardGraphs) {
            const GraphStyle style = GraphStyleOf(*instance, graph.direction);
            const auto draw = [&](const wchar_t* caption) {
                Canvas canvas;
                DrawGraphContent(canvas.graphics(), style, caption, widest, nullptr, 1.0, graph.rect, nullptr);
                return ReadPixels(canvas.bitmap());
            };
            const Pixels rateAlone = draw(L"");
            const Pixels both = draw(graph.caption);
            const PixelRect rate = InkBounds(rateAlone, PixelRect{0, 0, 256, 256});
            int captionRight = -1;
            for (int y = 0; y < 256; ++y) {
                for (int x = 0; x < 256; ++x) {
                    captionRight = both.At(x, y) != rateAlone.At(x, y) && x > captionRight ? x : captionRight;
                }
            }
            EXPECT_GT(rate.width, 60) << "the whole reading is drawn";
            EXPECT_GT(rate.x, captionRight) << "clear of the caption";
            EXPECT_LE(rate.x + rate.width, graph.rect.x + graph.rect.width) << "inside the box";
        }
    }
}
