// The allowance bar: its frame, inside, used share in three colours and the
// mark, pixel by pixel; and its part in telling overlays apart.
#include "render/allowance_bar.h"
#include "render/overlay_inputs.h"
#include "render_canvas.h"

#include <cstdlib>

namespace {

class AllowanceBarTest : public GdiplusTest {
protected:
    void SetUp() override {
        instance_ = MakeTransferringInstance();
        ASSERT_NE(instance_, nullptr);
        instance_->dockletData |= kShowAllowanceBar;
        instance_->usageAllowance = 100;  // 100,000,000 bytes
        instance_->usage.monthPassed = 0.5;
    }
    void TearDown() override { std::free(instance_); }

    Pixels Drawn(uint64_t usedBytes) {
        instance_->usage.shownMonth = usedBytes;
        Canvas canvas;
        DrawAllowanceBar(canvas.graphics(), *instance_, AllowanceBarOf(*instance_));
        return ReadPixels(canvas.bitmap());
    }

    DockletInstance* instance_ = nullptr;
};

TEST_F(AllowanceBarTest, FrameInsideUsedShareAndMarkAreWholePixels) {
    const Pixels pixels = Drawn(50000000);
    const uint32_t frame = 0x5BFFFFFF;       // white at 91
    const uint32_t inside = 0x5B000000;      // black at 91
    const uint32_t download = 0xFF00FF00;    // opaque
    const uint32_t mark = 0xFFFFFFFF;        // the font colour, opaque
    for (int x = 16; x <= 239; ++x) {
        ASSERT_EQ(pixels.At(x, 240), frame) << x;
        ASSERT_EQ(pixels.At(x, 251), frame) << x;
    }
    for (int y = 241; y <= 250; ++y) {
        ASSERT_EQ(pixels.At(16, y), frame) << y;
        ASSERT_EQ(pixels.At(239, y), frame) << y;
        // 111 of 222 columns used; the mark at 17 + floor(0.5 x 221) = 127 and 128.
        ASSERT_EQ(pixels.At(17, y), download);
        ASSERT_EQ(pixels.At(126, y), download);
        ASSERT_EQ(pixels.At(127, y), mark);
        ASSERT_EQ(pixels.At(128, y), mark);
        ASSERT_EQ(pixels.At(129, y), inside);
        ASSERT_EQ(pixels.At(238, y), inside);
    }
    EXPECT_EQ(CountInk(pixels, {0, 0, 256, 240}), 0);
    EXPECT_EQ(CountInk(pixels, {0, 252, 256, 4}), 0);
    EXPECT_EQ(CountInk(pixels, {0, 240, 16, 12}) + CountInk(pixels, {240, 240, 16, 12}), 0);
}

TEST_F(AllowanceBarTest, AmberFrom80AndRedFrom100PercentFillingAtMostAllColumns) {
    instance_->usage.monthPassed = 0.0;
    EXPECT_EQ(Drawn(79900000).At(100, 245), 0xFF00FF00u);
    EXPECT_EQ(Drawn(80000000).At(100, 245), kAllowanceAmber);
    EXPECT_EQ(Drawn(80000000).At(195, 245), 0x5B000000u) << "178 columns, to x 194";
    EXPECT_EQ(Drawn(80000000).At(194, 245), kAllowanceAmber);
    EXPECT_EQ(Drawn(100000000).At(100, 245), kAllowanceRed);
    const Pixels over = Drawn(250000000);
    EXPECT_EQ(over.At(238, 245), kAllowanceRed);
    EXPECT_EQ(over.At(239, 245), 0x5BFFFFFFu) << "the frame stays";
    EXPECT_EQ(over.At(17, 245), 0xFFFFFFFFu) << "the mark at the month's start";
}

TEST_F(AllowanceBarTest, NotDrawnWithoutTheBitOrAnAllowance) {
    instance_->usageAllowance = 0;
    EXPECT_EQ(CountInk(Drawn(50000000), {0, 0, 256, 256}), 0);
    instance_->usageAllowance = 100;
    instance_->dockletData &= ~kShowAllowanceBar;
    EXPECT_EQ(CountInk(Drawn(50000000), {0, 0, 256, 256}), 0);
}

TEST_F(AllowanceBarTest, OverlaysDifferOnlyWhenTheBarReadsDifferently) {
    auto inputsAt = [&](uint64_t used, double passed) {
        instance_->usage.shownMonth = used;
        instance_->usage.monthPassed = passed;
        OverlayInputs inputs;
        ReadOverlayInputs(*instance_, inputs);
        return inputs;
    };
    const OverlayInputs base = inputsAt(50000000, 0.5);
    EXPECT_TRUE(SameOverlay(base, inputsAt(50100000, 0.5001))) << "the same columns";
    EXPECT_FALSE(SameOverlay(base, inputsAt(51000000, 0.5)));
    EXPECT_FALSE(SameOverlay(base, inputsAt(50000000, 0.51)));
}

}  // namespace
