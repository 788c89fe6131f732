#include "render/outlined_text.h"

#include "render/color_argb.h"
#include "render/icon_cache.h"

namespace {

FontFamilyOwner FindFontFamily(const wchar_t* fontName) noexcept {
    FontFamilyOwner family;
    if (!fontName) {
        return family;
    }
    return KeepIfOk(GdipCreateFontFamilyFromName(fontName, nullptr, family.put()), family);
}

void FillPath(GpGraphics* graphics, Gdiplus::GpPath* path, Gdiplus::ARGB argb) noexcept {
    SolidBrushOwner brush = MakeSolidBrush(argb);
    if (brush && path) {
        GdipFillPath(graphics, brush.get(), path);
    }
}

// Shadow, fill and outline, in that order, of outlines made already.
void FillOutlines(GpGraphics* graphics, Gdiplus::GpPath* mainPath, Gdiplus::GpPath* shadowPath,
                  const TextStyle& style) noexcept {
    if (style.shadow) {
        FillPath(graphics, shadowPath, static_cast<Gdiplus::ARGB>(style.alpha / 2) << 24);
    }
    FillPath(graphics, mainPath, ColorToArgb(style.color, style.alpha));
    if (style.outline && mainPath) {
        const PenOwner pen = MakePen(static_cast<Gdiplus::ARGB>(style.alpha) << 24, 1.0f);
        if (pen) {
            GdipDrawPath(graphics, pen.get(), mainPath);
        }
    }
}

bool Drawable(GpGraphics* graphics, const wchar_t* text, const TextStyle& style) noexcept {
    // A negative em size would mirror the glyphs; NaN fails the test too.
    return graphics && text && text[0] != L'\0' && style.emSize > 0.0f;
}

// The width GDI+ lays `text` out in on one line, padding included; 0 when it
// cannot be measured.
float OneLineWidth(GpGraphics* graphics, const wchar_t* text, const Gdiplus::GpFontFamily* family, INT fontStyle,
                   float emSize, const Gdiplus::GpStringFormat* format) noexcept {
    FontOwner font;
    if (GdipCreateFont(family, emSize, fontStyle, Gdiplus::UnitPixel, font.put()) != Gdiplus::Ok) {
        font.release();
        return 0.0f;
    }
    const Gdiplus::RectF unbounded(0.0f, 0.0f, 1.0e6f, 1.0e6f);
    Gdiplus::RectF box;
    return GdipMeasureString(graphics, text, -1, font.get(), &unbounded, format, &box, nullptr, nullptr) ==
                   Gdiplus::Ok
               ? box.Width
               : 0.0f;
}

}  // namespace

float FittingEmSize(GpGraphics* graphics, const wchar_t* text, const TextStyle& style, float width) noexcept {
    const FontFamilyOwner family = FindFontFamily(style.fontName);
    const StringFormatOwner format = MakeStringFormat(style.alignment, style.lineAlignment);
    if (!Drawable(graphics, text, style) || !family || !format) {
        return style.emSize;
    }
    GdipSetStringFormatFlags(format.get(), Gdiplus::StringFormatFlagsNoWrap);
    // The shadow lies 2 pixels right, the outline's pen half a pixel out; the
    // rest is margin for the outlines, laid out without the screen's hinting.
    const float room = (width - (style.shadow ? 2.0f : 0.0f) - (style.outline ? 1.0f : 0.0f)) * 0.97f;
    float emSize = style.emSize;
    // Glyphs scale with the em size, so one step nearly always lands; the
    // others catch what rounding leaves.
    for (int step = 0; step < 4; ++step) {
        const float measured = OneLineWidth(graphics, text, family.get(), style.fontStyle, emSize, format.get());
        if (measured <= room) {
            return emSize;
        }
        emSize *= room / measured;
    }
    return emSize;
}

StringFormatOwner MakeStringFormat(Gdiplus::StringAlignment alignment,
                                   Gdiplus::StringAlignment lineAlignment) noexcept {
    StringFormatOwner format;
    if (GdipCreateStringFormat(0, LANG_NEUTRAL, format.put()) != Gdiplus::Ok) {
        format.release();
        return format;
    }
    GdipSetStringFormatAlign(format.get(), alignment);
    GdipSetStringFormatLineAlign(format.get(), lineAlignment);
    return format;
}

PathOwner MakeTextPath(const wchar_t* text, const Gdiplus::GpFontFamily* family, INT style, float emSize,
                       const PixelRect& rect, const Gdiplus::GpStringFormat* format) noexcept {
    PathOwner path = MakePath();
    if (path) {
        const Gdiplus::Rect layout(rect.x, rect.y, rect.width, rect.height);
        GdipAddPathStringI(path.get(), text, -1, family, style, emSize, &layout, format);
    }
    return path;
}

PixelRect ShadowRect(const PixelRect& rect) noexcept {
    return PixelRect{rect.x + 2, rect.y + 2, rect.width, rect.height};
}

void DrawOutlinedText(GpGraphics* graphics, const wchar_t* text, const TextStyle& style, const PixelRect& layoutRect,
                      IconCache* cache) noexcept {
    if (!cache || !Drawable(graphics, text, style)) {
        DrawOutlinedText(graphics, text, style, layoutRect);
        return;
    }
    if (const CachedText* kept = CachedTextPaths(cache, text, style, layoutRect)) {
        if (kept->main) {
            FillOutlines(graphics, kept->main.get(), kept->shadowPath.get(), style);
        }
        return;
    }
    DrawOutlinedText(graphics, text, style, layoutRect);
}

void DrawOutlinedText(GpGraphics* graphics, const wchar_t* text, const TextStyle& style,
                      const PixelRect& layoutRect) noexcept {
    if (!Drawable(graphics, text, style)) {
        return;
    }
    const FontFamilyOwner family = FindFontFamily(style.fontName);
    if (!family) {
        return;
    }
    const StringFormatOwner format = MakeStringFormat(style.alignment, style.lineAlignment);
    const PathOwner mainPath =
        MakeTextPath(text, family.get(), style.fontStyle, style.emSize, layoutRect, format.get());
    const PathOwner shadowPath =
        style.shadow ? MakeTextPath(text, family.get(), style.fontStyle, style.emSize, ShadowRect(layoutRect),
                                    format.get())
                     : PathOwner();
    FillOutlines(graphics, mainPath.get(), shadowPath.get(), style);
}
