// The overlay the dock lays over the image set's base picture.
#pragma once

#include "base/docklet_instance.h"
#include "base/gdiplus_api.h"

// A new transparent 256 by 256 ARGB bitmap showing what dockletData asks for:
// activity pictures, graphs, rate readings and address line, or the state text
// "Not Configured" / "Not Connected". The caller owns the result (wrap it with
// WrapBitmapForHost to hand it to the dock). Null when GDI+ cannot allocate it
// or the instance is null.
struct IconCache;

// With a cache the same pixels come from kept outlines and layers, and the
// graph bars are drawn in a few strokes; null draws everything afresh.
GpBitmap* ComposeIcon(const DockletInstance* instance, IconCache* cache = nullptr) noexcept;
