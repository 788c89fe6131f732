#include "render/outlined_text.h"

#include "base/owners.h"
#include "render/color_argb.h"

namespace {

FontFamilyOwner FindFontFamily(const wchar_t* fontName) noexcept {
    FontFamilyOwner family;
    if (!fontName) {
        return family;
    }
    return KeepIfOk(GdipCreateFontFamilyFromName(fontName, nullptr, family.put()), family);
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

void FillPath(GpGraphics* graphics, Gdiplus::GpPath* path, Gdiplus::ARGB argb) noexcept {
    SolidBrushOwner brush = MakeSolidBrush(argb);
    if (brush && path) {
        GdipFillPath(graphics, brush.get(), path);
    }
}

}  // namespace

void DrawOutlinedText(GpGraphics* graphics, const wchar_t* text, const TextStyle& style,
                      const PixelRect& layoutRect) noexcept {
    // A negative em size would mirror the glyphs; NaN fails the test too.
    if (!graphics || !text || text[0] == L'\0' || !(style.emSize > 0.0f)) {
        return;
    }
    const FontFamilyOwner family = FindFontFamily(style.fontName);
    if (!family) {
        return;
    }
    const StringFormatOwner format = MakeStringFormat(style.alignment, style.lineAlignment);
    const PathOwner mainPath =
        MakeTextPath(text, family.get(), style.fontStyle, style.emSize, layoutRect, format.get());

    if (style.shadow) {
        const PixelRect shadowRect{layoutRect.x + 2, layoutRect.y + 2, layoutRect.width, layoutRect.height};
        const PathOwner shadowPath =
            MakeTextPath(text, family.get(), style.fontStyle, style.emSize, shadowRect, format.get());
        FillPath(graphics, shadowPath.get(), static_cast<Gdiplus::ARGB>(style.alpha / 2) << 24);
    }

    FillPath(graphics, mainPath.get(), ColorToArgb(style.color, style.alpha));

    if (style.outline && mainPath) {
        const PenOwner pen = MakePen(static_cast<Gdiplus::ARGB>(style.alpha) << 24, 1.0f);
        if (pen) {
            GdipDrawPath(graphics, pen.get(), mainPath.get());
        }
    }
}
