// Drawing surfaces and pixel probes for the renderer's tests.
#pragma once

#include "base/gdiplus_api.h"
#include "base/docklet_instance.h"
#include "render/pixel_rect.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

struct HostImage;

// Starts GDI+ once for each suite that draws.
class GdiplusTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();

private:
    static ULONG_PTR token_;
};

// A transparent ARGB bitmap with the composer's quality settings.
class Canvas {
public:
    explicit Canvas(int width = 256, int height = 256);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    GpGraphics* graphics() const { return graphics_; }
    GpBitmap* bitmap() const { return bitmap_; }

private:
    GpBitmap* bitmap_ = nullptr;
    GpGraphics* graphics_ = nullptr;
};

// A snapshot of a bitmap's pixels as 0xAARRGGBB (not premultiplied).
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb;

    uint32_t At(int x, int y) const { return argb[static_cast<size_t>(y) * width + x]; }
    uint8_t AlphaAt(int x, int y) const { return static_cast<uint8_t>(At(x, y) >> 24); }
};

Pixels ReadPixels(GpBitmap* bitmap);

// Pixels with any alpha inside `region` (clipped to the bitmap).
int CountInk(const Pixels& pixels, const PixelRect& region);

// Smallest rectangle holding every inked pixel of `region`; width 0 when none.
PixelRect InkBounds(const Pixels& pixels, const PixelRect& region);

// Topmost inked row of column x within rows [top, bottom); -1 when none.
int TopInkRow(const Pixels& pixels, int x, int top, int bottom);

// An image the way the dock hands them out, filled with one colour, optionally
// only in its left half.
HostImage* MakeSolidHostImage(uint32_t argb, bool leftHalfOnly = false);

// The settings a new instance gets, with an adapter that is up and moving data.
// The caller owns the zero-filled record (free with std::free).
DockletInstance* MakeTransferringInstance();

// A history ring of capacity 116 holding `values`, oldest first.
template <typename T>
class Warr;
struct SeriesDeleter {
    void operator()(Warr<double>* series) const;
};
using SeriesOwner = std::unique_ptr<Warr<double>, SeriesDeleter>;
SeriesOwner SeriesOf(const std::vector<double>& values);
