#include "config/preview_picture.h"

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
