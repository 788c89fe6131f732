#include "render/preview_picture.h"

#include <cstdint>

PreviewCanvas MakePreviewCanvas(int width, int height) noexcept {
    PreviewCanvas canvas;
    if (GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, canvas.bitmap.put()) !=
        Gdiplus::Ok) {
        canvas.bitmap.release();
        return canvas;
    }
    canvas.graphics = MakeGraphicsFor(canvas.bitmap.get());
    if (!canvas.graphics) {
        canvas.bitmap.reset();
        return canvas;
    }
    GpGraphics* surface = canvas.graphics.get();
    GdipSetInterpolationMode(surface, Gdiplus::InterpolationModeHighQuality);
    GdipSetCompositingQuality(surface, Gdiplus::CompositingQualityHighQuality);
    GdipSetCompositingMode(surface, Gdiplus::CompositingModeSourceOver);
    GdipSetSmoothingMode(surface, Gdiplus::SmoothingModeAntiAlias);
    return canvas;
}

SIZE FitInside(int width, int height, SIZE room) noexcept {
    if (width <= 0 || height <= 0 || room.cx <= 0 || room.cy <= 0) {
        return SIZE{0, 0};
    }
    const int64_t w = width;
    const int64_t h = height;
    if (w * room.cy >= h * room.cx) {
        return SIZE{room.cx, static_cast<LONG>(h * room.cx / w)};
    }
    return SIZE{static_cast<LONG>(w * room.cy / h), room.cy};
}

PreviewCanvas MakeFittedCanvas(SIZE room, int designWidth, int designHeight) noexcept {
    const SIZE fitted = FitInside(designWidth, designHeight, room);
    if (fitted.cx <= 0 || fitted.cy <= 0) {
        return PreviewCanvas();
    }
    PreviewCanvas canvas = MakePreviewCanvas(fitted.cx, fitted.cy);
    if (canvas.graphics) {
        GdipScaleWorldTransform(canvas.graphics.get(), static_cast<float>(fitted.cx) / static_cast<float>(designWidth),
                                static_cast<float>(fitted.cy) / static_cast<float>(designHeight),
                                Gdiplus::MatrixOrderPrepend);
    }
    return canvas;
}

Gdiplus::ARGB MenuBackground() noexcept {
    const COLORREF menu = GetSysColor(COLOR_MENU);
    return 0xFF000000u | GetRValue(menu) << 16 | GetGValue(menu) << 8 | GetBValue(menu);
}

HBITMAP ToMenuBitmap(GpBitmap* bitmap) noexcept {
    HBITMAP converted = nullptr;
    if (!bitmap || GdipCreateHBITMAPFromBitmap(bitmap, &converted, MenuBackground()) != Gdiplus::Ok) {
        return nullptr;
    }
    return converted;
}
