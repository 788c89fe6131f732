// The allowance bar along the icon's foot: the month's use against the
// allowance, and a mark where steady use would stand now.
#pragma once

#include "base/docklet_instance.h"
#include "base/gdiplus_api.h"
#include "render/pixel_rect.h"

#include <cstdint>

constexpr PixelRect kAllowanceBarRect{16, 240, 224, 12};  // the frame's outer pixels
constexpr int32_t kAllowanceBarColumns = 222;              // inside the frame

constexpr uint32_t kAllowanceAmber = 0xFFFFA000;  // from 80 % used
constexpr uint32_t kAllowanceRed = 0xFFE02020;    // from 100 % used

// What the bar shows; all zero when it is not drawn (off, or no allowance).
struct AllowanceBar {
    int32_t shown;
    int32_t usedColumns;  // filled from the inside's left edge, 0..222
    uint32_t fillArgb;
    int32_t markX;        // the mark's left column; it is two wide
};

AllowanceBar AllowanceBarOf(const DockletInstance& instance) noexcept;

void DrawAllowanceBar(GpGraphics* graphics, const DockletInstance& instance, const AllowanceBar& bar) noexcept;
