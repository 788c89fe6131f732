#include "config/image_preview.h"

#include "base/host_api.h"
#include "base/owners.h"
#include "base/picture_control.h"
#include "render/preview_picture.h"

namespace {

constexpr int kThumbnailLimit = 256;

// The image drawn into a bitmap of its final size.
BitmapOwner ScaleByDrawing(GpImage* image, SIZE shown) noexcept {
    PreviewCanvas canvas = MakePreviewCanvas(shown.cx, shown.cy);
    if (!canvas.graphics) {
        return BitmapOwner();
    }
    const SolidBrushOwner background = MakeSolidBrush(MenuBackground());
    GdipFillRectangleI(canvas.graphics.get(), background.get(), 0, 0, shown.cx, shown.cy);
    GdipDrawImageRectI(canvas.graphics.get(), image, 0, 0, shown.cx, shown.cy);
    canvas.graphics.reset();
    return static_cast<BitmapOwner&&>(canvas.bitmap);
}

// The image drawn at its own size, then made a thumbnail of the final size.
BitmapOwner ScaleByThumbnail(GpImage* image, UINT width, UINT height, SIZE shown) noexcept {
    PreviewCanvas canvas = MakePreviewCanvas(static_cast<int>(width), static_cast<int>(height));
    if (!canvas.graphics) {
        return BitmapOwner();
    }
    const SolidBrushOwner background = MakeSolidBrush(MenuBackground());
    GdipFillRectangleI(canvas.graphics.get(), background.get(), 0, 0, static_cast<INT>(width),
                       static_cast<INT>(height));
    GdipDrawImageRectI(canvas.graphics.get(), image, 0, 0, static_cast<INT>(width), static_cast<INT>(height));
    canvas.graphics.reset();
    GpImage* thumbnail = nullptr;
    if (GdipGetImageThumbnail(canvas.bitmap.get(), static_cast<UINT>(shown.cx), static_cast<UINT>(shown.cy),
                              &thumbnail, nullptr, nullptr) != Gdiplus::Ok) {
        return BitmapOwner();
    }
    return BitmapOwner(static_cast<GpBitmap*>(thumbnail));
}

}  // namespace

bool PreviewScalesByDrawing(int width, int height) noexcept {
    return width > kThumbnailLimit || height > kThumbnailLimit;
}

void ShowImagePreview(HWND page, int controlId, const char* path) noexcept {
    const HostImageOwner loaded(host::DockletLoadGDIPlusImage(path));
    GpImage* image = NativeImageOf(loaded.get());
    UINT width = 0;
    UINT height = 0;
    if (!image || GdipGetImageWidth(image, &width) != Gdiplus::Ok ||
        GdipGetImageHeight(image, &height) != Gdiplus::Ok) {
        return;
    }
    const SIZE shown = FitInside(static_cast<int>(width), static_cast<int>(height), PictureRoom(page, controlId));
    if (shown.cx <= 0 || shown.cy <= 0) {
        return;
    }
    const BitmapOwner scaled = PreviewScalesByDrawing(static_cast<int>(width), static_cast<int>(height))
                                   ? ScaleByDrawing(image, shown)
                                   : ScaleByThumbnail(image, width, height, shown);
    if (const HBITMAP picture = ToMenuBitmap(scaled.get())) {
        SetPicture(page, controlId, picture);
    }
}
