#include "info/logo.h"

#include <cstdint>

namespace {

constexpr int kLogoBitmap = 1006;

}  // namespace

void DrawLogo(const DRAWITEMSTRUCT& item) noexcept {
    const auto module = reinterpret_cast<HMODULE>(GetWindowLongPtrW(item.hwndItem, GWLP_HINSTANCE));
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(kLogoBitmap), MAKEINTRESOURCEW(2));  // RT_BITMAP
    const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const auto* info = static_cast<const BITMAPINFO*>(loaded ? LockResource(loaded) : nullptr);
    const size_t size = found ? SizeofResource(module, found) : 0;
    if (!info || size < sizeof(BITMAPINFOHEADER) || info->bmiHeader.biBitCount != 24 ||
        info->bmiHeader.biCompression != BI_RGB || info->bmiHeader.biWidth <= 0 || info->bmiHeader.biHeight <= 0) {
        return;
    }
    const BITMAPINFOHEADER& header = info->bmiHeader;
    const size_t stride = (static_cast<size_t>(header.biWidth) * 3 + 3) / 4 * 4;
    if (header.biSize > size || stride * static_cast<size_t>(header.biHeight) > size - header.biSize) {
        return;
    }
    const LONG roomWidth = item.rcItem.right - item.rcItem.left;
    const LONG roomHeight = item.rcItem.bottom - item.rcItem.top;
    if (roomWidth <= 0 || roomHeight <= 0) {
        return;
    }
    // The largest size of the logo's aspect that fits.
    const int64_t width = header.biWidth;
    const int64_t height = header.biHeight;
    const bool fitsByWidth = width * roomHeight >= height * roomWidth;
    const int shownWidth = fitsByWidth ? roomWidth : static_cast<int>(width * roomHeight / height);
    const int shownHeight = fitsByWidth ? static_cast<int>(height * roomWidth / width) : roomHeight;
    const int previousMode = SetStretchBltMode(item.hDC, HALFTONE);
    SetBrushOrgEx(item.hDC, 0, 0, nullptr);
    StretchDIBits(item.hDC, item.rcItem.left + (roomWidth - shownWidth) / 2,
                  item.rcItem.top + (roomHeight - shownHeight) / 2, shownWidth, shownHeight, 0, 0, header.biWidth,
                  header.biHeight, reinterpret_cast<const BYTE*>(info) + header.biSize, info, DIB_RGB_COLORS, SRCCOPY);
    SetStretchBltMode(item.hDC, previousMode);
}
