// Every text on the icon, in the graphs and in the font sample: glyph outlines
// of a named family, optionally over a black drop shadow and under a black outline.
#pragma once

#include "base/gdiplus_api.h"
#include "render/pixel_rect.h"

#include <cstdint>

// How one text is drawn: glyph outlines of a named family at emSize pixels,
// placed in its box by the two alignments. With `shadow` a black copy at
// alpha / 2 goes 2 pixels right and down first; then the fill in `color` at
// `alpha`; with `outline` a black 1-pixel outline at `alpha` on top.
struct TextStyle {
    const wchar_t* fontName;
    INT fontStyle;
    COLORREF color;
    uint8_t alpha;
    float emSize;
    Gdiplus::StringAlignment alignment;
    Gdiplus::StringAlignment lineAlignment;
    bool shadow;
    bool outline;
};

// Draws `text` laid out in `layoutRect`. A family that is not installed, an
// empty text or an em size that is not positive draws nothing.
void DrawOutlinedText(GpGraphics* graphics, const wchar_t* text, const TextStyle& style,
                      const PixelRect& layoutRect) noexcept;
