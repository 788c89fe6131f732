// Every text on the icon, in the graphs and in the font sample: glyph outlines
// of a named family, optionally over a black drop shadow and under a black outline.
#pragma once

#include "base/gdiplus_api.h"
#include "base/owners.h"
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

// The em size, at most style.emSize, at which `text` laid out on one line in
// `style` is no wider than `width` pixels, shadow and outline included:
// style.emSize when it fits already, or when the family is not installed.
float FittingEmSize(GpGraphics* graphics, const wchar_t* text, const TextStyle& style, float width) noexcept;

struct IconCache;

// The same drawing with the outlines, family and format kept in `cache` (the
// plain way when cache is null).
void DrawOutlinedText(GpGraphics* graphics, const wchar_t* text, const TextStyle& style, const PixelRect& layoutRect,
                      IconCache* cache) noexcept;

// The pieces the drawing is made of, shared with the cache.
StringFormatOwner MakeStringFormat(Gdiplus::StringAlignment alignment,
                                   Gdiplus::StringAlignment lineAlignment) noexcept;
PathOwner MakeTextPath(const wchar_t* text, const Gdiplus::GpFontFamily* family, INT style, float emSize,
                       const PixelRect& rect, const Gdiplus::GpStringFormat* format) noexcept;
// The shadow's box: 2 pixels right and down.
PixelRect ShadowRect(const PixelRect& rect) noexcept;

