// The pages' sample pictures: drawn into a GDI+ bitmap the way the icon is
// drawn, then shown over the menu colour in a picture control.
#pragma once

#include "base/owners.h"

#include <windows.h>

struct PreviewCanvas {
    BitmapOwner bitmap;
    GraphicsOwner graphics;
};

// A transparent width by height ARGB bitmap with the icon's drawing modes; both
// members empty when GDI+ refuses it.
PreviewCanvas MakePreviewCanvas(int width, int height) noexcept;

// The system menu colour, opaque.
Gdiplus::ARGB MenuBackground() noexcept;

// A GDI bitmap of `bitmap` over the menu colour; null when GDI+ refuses it.
HBITMAP ToMenuBitmap(GpBitmap* bitmap) noexcept;
