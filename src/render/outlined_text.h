// Every text on the icon, in the graphs and in the font sample: glyph outlines
// of a named family, optionally over a black drop shadow and under a black outline.
#pragma once

#include "core/gdiplus_api.h"
#include "render/pixel_rect.h"

#include <cstdint>

// Draws `text` laid out in `layoutRect` at `emSize` pixels. With `shadow` a
// black copy at alpha / 2 goes 2 pixels right and down first; then the fill in
// `color` at `alpha`; with `outline` a black 1-pixel outline at `alpha` on top.
// A family that is not installed, an empty text or an em size that is not
// positive draws nothing.
void DrawOutlinedText(GpGraphics* graphics, const wchar_t* text, const wchar_t* fontName, INT style,
                      COLORREF color, uint8_t alpha, Gdiplus::StringAlignment alignment,
                      Gdiplus::StringAlignment lineAlignment, float emSize, bool shadow, bool outline,
                      const PixelRect& layoutRect) noexcept;
