#include "render_canvas.h"

#include "base/host_image.h"
#include "core/settings.h"
#include "base/text.h"
#include "base/rate_history.h"

#include <cstdlib>

ULONG_PTR GdiplusTest::token_ = 0;

void GdiplusTest::SetUpTestSuite() {
    Gdiplus::GdiplusStartupInput input;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token_, &input, nullptr), Gdiplus::Ok);
}

void GdiplusTest::TearDownTestSuite() {
    Gdiplus::GdiplusShutdown(token_);
}

Canvas::Canvas(int width, int height) {
    GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &bitmap_);
    if (bitmap_) {
        GdipGetImageGraphicsContext(bitmap_, &graphics_);
    }
    if (graphics_) {
        GdipSetInterpolationMode(graphics_, Gdiplus::InterpolationModeHighQuality);
        GdipSetCompositingQuality(graphics_, Gdiplus::CompositingQualityHighQuality);
        GdipSetCompositingMode(graphics_, Gdiplus::CompositingModeSourceOver);
        GdipSetSmoothingMode(graphics_, Gdiplus::SmoothingModeAntiAlias);
    }
}

Canvas::~Canvas() {
    if (graphics_) {
        GdipDeleteGraphics(graphics_);
    }
    if (bitmap_) {
        GdipDisposeImage(bitmap_);
    }
}

Pixels ReadPixels(GpBitmap* bitmap) {
    Pixels pixels;
    UINT width = 0;
    UINT height = 0;
    if (!bitmap || GdipGetImageWidth(bitmap, &width) != Gdiplus::Ok ||
        GdipGetImageHeight(bitmap, &height) != Gdiplus::Ok) {
        return pixels;
    }
    Gdiplus::BitmapData data{};
    const Gdiplus::Rect all(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    if (GdipBitmapLockBits(bitmap, &all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) != Gdiplus::Ok) {
        return pixels;
    }
    pixels.width = static_cast<int>(width);
    pixels.height = static_cast<int>(height);
    pixels.argb.resize(static_cast<size_t>(width) * height);
    for (UINT y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(data.Scan0) + y * data.Stride);
        for (UINT x = 0; x < width; ++x) {
            pixels.argb[static_cast<size_t>(y) * width + x] = row[x];
        }
    }
    GdipBitmapUnlockBits(bitmap, &data);
    return pixels;
}

namespace {

PixelRect Clip(const Pixels& pixels, const PixelRect& region) {
    const int left = region.x < 0 ? 0 : region.x;
    const int top = region.y < 0 ? 0 : region.y;
    int right = region.x + region.width;
    int bottom = region.y + region.height;
    right = right > pixels.width ? pixels.width : right;
    bottom = bottom > pixels.height ? pixels.height : bottom;
    return PixelRect{left, top, right > left ? right - left : 0, bottom > top ? bottom - top : 0};
}

}  // namespace

int CountInk(const Pixels& pixels, const PixelRect& region) {
    const PixelRect r = Clip(pixels, region);
    int count = 0;
    for (int y = r.y; y < r.y + r.height; ++y) {
        for (int x = r.x; x < r.x + r.width; ++x) {
            count += pixels.AlphaAt(x, y) != 0;
        }
    }
    return count;
}

PixelRect InkBounds(const Pixels& pixels, const PixelRect& region) {
    const PixelRect r = Clip(pixels, region);
    int left = r.x + r.width;
    int top = r.y + r.height;
    int right = r.x - 1;
    int bottom = r.y - 1;
    for (int y = r.y; y < r.y + r.height; ++y) {
        for (int x = r.x; x < r.x + r.width; ++x) {
            if (pixels.AlphaAt(x, y) != 0) {
                left = x < left ? x : left;
                right = x > right ? x : right;
                top = y < top ? y : top;
                bottom = y > bottom ? y : bottom;
            }
        }
    }
    if (right < left) {
        return PixelRect{0, 0, 0, 0};
    }
    return PixelRect{left, top, right - left + 1, bottom - top + 1};
}

int TopInkRow(const Pixels& pixels, int x, int top, int bottom) {
    for (int y = top; y < bottom; ++y) {
        if (pixels.AlphaAt(x, y) != 0) {
            return y;
        }
    }
    return -1;
}

HostImage* MakeSolidHostImage(uint32_t argb, bool leftHalfOnly) {
    constexpr int kSize = 64;
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromScan0(kSize, kSize, 0, PixelFormat32bppARGB, nullptr, &bitmap) != Gdiplus::Ok) {
        return nullptr;
    }
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < (leftHalfOnly ? kSize / 2 : kSize); ++x) {
            GdipBitmapSetPixel(bitmap, x, y, argb);
        }
    }
    return WrapBitmapForHost(bitmap);
}

DockletInstance* MakeTransferringInstance() {
    auto* instance = static_cast<DockletInstance*>(std::calloc(1, sizeof(DockletInstance)));
    if (!instance) {
        return nullptr;
    }
    // The settings of a new icon, as the module itself sets them.
    LoadSettings(instance, nullptr, nullptr);
    CopyText(instance->interfaceDescription, L"Test Gigabit Adapter");
    CopyText(instance->ipV4Address, L"192.0.2.2");
    instance->connected = 1;
    instance->operStatus = 1;
    instance->totalRate = 57.3;
    instance->uploadRate = 4.2;
    instance->downloadRate = 53.1;
    return instance;
}

void SeriesDeleter::operator()(Warr<double>* series) const { delete series; }

SeriesOwner SeriesOf(const std::vector<double>& values) {
    SeriesOwner series(new Warr<double>(kHistoryCapacity, nullptr));
    for (double value : values) {
        series->Append(value);
    }
    return series;
}
