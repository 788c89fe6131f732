// Sample pictures for the settings pages and the usage window: drawn into a
// GDI+ bitmap the way the icon is drawn, then shown over the menu colour in a
// picture control.
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

// The largest size of a width by height picture's aspect that fits `room`
// (both sides truncated; small pictures are enlarged). 0 by 0 when either is empty.
SIZE FitInside(int width, int height, SIZE room) noexcept;

// A canvas of FitInside(designWidth, designHeight, room) whose graphics draw
// in design units, so that a sample drawn for one size fills its control at
// any system DPI.
PreviewCanvas MakeFittedCanvas(SIZE room, int designWidth, int designHeight) noexcept;

// The system menu colour, opaque.
Gdiplus::ARGB MenuBackground() noexcept;

// A GDI bitmap of `bitmap` over the menu colour; null when GDI+ refuses it.
HBITMAP ToMenuBitmap(GpBitmap* bitmap) noexcept;
