#include "render_canvas.h"

#include "render/color_argb.h"
#include "render/outlined_text.h"

#include <algorithm>

namespace {

constexpr PixelRect kWhole{0, 0, 256, 256};
constexpr PixelRect kCentreBox{0, 0, 255, 255};

Pixels DrawText(const wchar_t* text, const wchar_t* family, COLORREF color, uint8_t alpha, bool shadow, bool outline,
                Gdiplus::StringAlignment alignment = Gdiplus::StringAlignmentCenter,
                Gdiplus::StringAlignment lineAlignment = Gdiplus::StringAlignmentCenter, float emSize = 60.0f,
                const PixelRect& box = kCentreBox) {
    Canvas canvas;
    DrawOutlinedText(canvas.graphics(), text, TextStyle{family, Gdiplus::FontStyleBold, color, alpha, emSize, alignment, lineAlignment, shadow, outline}, box);
    return ReadPixels(canvas.bitmap());
}

}  // namespace

TEST(ColorToArgb, SwapsRedAndBlueAndTakesTheSeparateAlpha) {
    EXPECT_EQ(ColorToArgb(0xFF0000, 192), 0xC00000FFu);
    EXPECT_EQ(ColorToArgb(0x00FF00, 193), 0xC100FF00u);
    EXPECT_EQ(ColorToArgb(0x000000, 91), 0x5B000000u);
    EXPECT_EQ(ColorToArgb(0xFFFFFF, 91), 0x5BFFFFFFu);
    EXPECT_EQ(ColorToArgb(0x00123456, 0), 0x00563412u);
    // The COLORREF's top byte is not an opacity.
    EXPECT_EQ(ColorToArgb(0xAB0000FF, 255), 0xFFFF0000u);
}

class OutlinedText : public GdiplusTest {};

TEST_F(OutlinedText, FillOnlyPaintsTheColourInsideTheBoxCentre) {
    const Pixels pixels = DrawText(L"Hg", L"Tahoma", 0x0000FF, 255, false, false);
    const PixelRect ink = InkBounds(pixels, kWhole);
    ASSERT_GT(ink.width, 20);
    // Centred both ways: equal margins within a few pixels of glyph side bearings.
    EXPECT_NEAR(ink.x + ink.width / 2, 127, 6);
    EXPECT_NEAR(ink.y + ink.height / 2, 127, 12);
    for (uint32_t argb : pixels.argb) {
        if (argb >> 24) {
            // Only the fill colour, never black: no shadow, no outline.
            ASSERT_EQ(argb & 0x00FFFFFFu, 0x00FF0000u);
        }
    }
}

TEST_F(OutlinedText, ShadowIsBlackAtHalfAlphaTwoPixelsDownRight) {
    const Pixels fill = DrawText(L"Hg", L"Tahoma", 0xFFFFFF, 255, false, false);
    const Pixels shadowed = DrawText(L"Hg", L"Tahoma", 0xFFFFFF, 255, true, false);
    const PixelRect fillInk = InkBounds(fill, kWhole);
    const PixelRect allInk = InkBounds(shadowed, kWhole);
    EXPECT_EQ(allInk.x, fillInk.x);
    EXPECT_EQ(allInk.y, fillInk.y);
    EXPECT_EQ(allInk.width, fillInk.width + 2);
    EXPECT_EQ(allInk.height, fillInk.height + 2);

    int shadowOnly = 0;
    uint8_t strongestShadow = 0;
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            if (fill.AlphaAt(x, y) == 0 && shadowed.AlphaAt(x, y) != 0) {
                ++shadowOnly;
                EXPECT_EQ(shadowed.At(x, y) & 0x00FFFFFFu, 0u);
                strongestShadow = std::max(strongestShadow, shadowed.AlphaAt(x, y));
            } else if (fill.AlphaAt(x, y) == 255) {
                // The fill lies over the shadow and hides it.
                EXPECT_EQ(shadowed.At(x, y), fill.At(x, y));
            }
        }
    }
    EXPECT_GT(shadowOnly, 50);
    EXPECT_EQ(strongestShadow, 127);
}

TEST_F(OutlinedText, OutlineIsBlackAtTheFillAlphaOnTheGlyphEdges) {
    const Pixels fill = DrawText(L"Hg", L"Tahoma", 0xFFFFFF, 255, false, false);
    const Pixels outlined = DrawText(L"Hg", L"Tahoma", 0xFFFFFF, 255, false, true);
    int blackEdge = 0;
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            if (outlined.At(x, y) == 0xFF000000u) {
                ++blackEdge;
            }
        }
    }
    EXPECT_GT(blackEdge, 50);
    const PixelRect fillInk = InkBounds(fill, kWhole);
    const PixelRect outlineInk = InkBounds(outlined, kWhole);
    EXPECT_LE(outlineInk.width - fillInk.width, 2);
    EXPECT_LE(outlineInk.height - fillInk.height, 2);
    // Inside the glyph the fill colour stays untouched.
    int whiteInside = 0;
    for (uint32_t argb : outlined.argb) {
        whiteInside += argb == 0xFFFFFFFFu;
    }
    EXPECT_GT(whiteInside, 50);
}

TEST_F(OutlinedText, AlphaZeroDrawsNothingAndAlphaOneNoShadow) {
    EXPECT_EQ(CountInk(DrawText(L"Not Connected", L"Tahoma", 0xFFFFFF, 0, true, true), kWhole), 0);
    // 1 / 2 is 0: the shadow adds no ink.
    const Pixels fill = DrawText(L"Hg", L"Tahoma", 0xFFFFFF, 1, false, false);
    EXPECT_GT(CountInk(fill, kWhole), 0);
    EXPECT_EQ(CountInk(DrawText(L"Hg", L"Tahoma", 0xFFFFFF, 1, true, false), kWhole), CountInk(fill, kWhole));
}

TEST_F(OutlinedText, EmptyTextAndNonPositiveSizesDrawNothing) {
    EXPECT_EQ(CountInk(DrawText(L"", L"Tahoma", 0xFFFFFF, 255, true, true), kWhole), 0);
    for (float emSize : {0.0f, -10.0f, -60.0f}) {
        const Pixels pixels = DrawText(L"Hg", L"Tahoma", 0xFFFFFF, 255, true, true, Gdiplus::StringAlignmentCenter,
                                       Gdiplus::StringAlignmentCenter, emSize);
        EXPECT_EQ(CountInk(pixels, kWhole), 0) << emSize;
    }
    Canvas canvas;
    DrawOutlinedText(nullptr, L"Hg", TextStyle{L"Tahoma", Gdiplus::FontStyleBold, 0xFFFFFF, 255, 60.0f, Gdiplus::StringAlignmentCenter, Gdiplus::StringAlignmentCenter, true, true}, kCentreBox);
    DrawOutlinedText(canvas.graphics(), nullptr, TextStyle{L"Tahoma", Gdiplus::FontStyleBold, 0xFFFFFF, 255, 60.0f, Gdiplus::StringAlignmentCenter, Gdiplus::StringAlignmentCenter, true, true}, kCentreBox);
    DrawOutlinedText(canvas.graphics(), L"Hg", TextStyle{nullptr, Gdiplus::FontStyleBold, 0xFFFFFF, 255, 60.0f, Gdiplus::StringAlignmentCenter, Gdiplus::StringAlignmentCenter, true, true}, kCentreBox);
    EXPECT_EQ(CountInk(ReadPixels(canvas.bitmap()), kWhole), 0);
}
