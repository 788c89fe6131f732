// The one colour conversion: a COLORREF (0x00BBGGRR) with a separate opacity
// byte becomes the ARGB value GDI+ draws with. The COLORREF's top byte is ignored.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr uint32_t ColorToArgb(COLORREF color, uint8_t alpha) noexcept {
    return static_cast<uint32_t>(alpha) << 24 | (color & 0xFFu) << 16 | ((color >> 8) & 0xFFu) << 8 |
           ((color >> 16) & 0xFFu);
}
