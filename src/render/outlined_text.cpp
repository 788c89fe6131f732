#include "render/outlined_text.h"

#include "render/color_argb.h"
#include "render/gdiplus_owners.h"

namespace {

FontFamilyOwner FindFontFamily(const wchar_t* fontName) noexcept {
    Gdiplus::GpFontFamily* family = nullptr;
    if (!fontName || GdipCreateFontFamilyFromName(fontName, nullptr, &family) != Gdiplus::Ok) {
        return FontFamilyOwner();
    }
    return FontFamilyOwner(family);
}

StringFormatOwner MakeStringFormat(Gdiplus::StringAlignment alignment,
                                   Gdiplus::StringAlignment lineAlignment) noexcept {
    Gdiplus::GpStringFormat* format = nullptr;
    if (GdipCreateStringFormat(0, LANG_NEUTRAL, &format) != Gdiplus::Ok) {
        return StringFormatOwner();
    }
    StringFormatOwner owner(format);
    GdipSetStringFormatAlign(format, alignment);
    GdipSetStringFormatLineAlign(format, lineAlignment);
    return owner;
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

void DrawOutlinedText(GpGraphics* graphics, const wchar_t* text, const wchar_t* fontName, INT style,
                      COLORREF color, uint8_t alpha, Gdiplus::StringAlignment alignment,
                      Gdiplus::StringAlignment lineAlignment, float emSize, bool shadow, bool outline,
                      const PixelRect& layoutRect) noexcept {
    // A negative em size would mirror the glyphs; NaN fails the test too.
    if (!graphics || !text || text[0] == L'\0' || !(emSize > 0.0f)) {
        return;
    }
    const FontFamilyOwner family = FindFontFamily(fontName);
    if (!family) {
        return;
    }
    const StringFormatOwner format = MakeStringFormat(alignment, lineAlignment);
    const PathOwner mainPath = MakeTextPath(text, family.get(), style, emSize, layoutRect, format.get());

    if (shadow) {
        const PixelRect shadowRect{layoutRect.x + 2, layoutRect.y + 2, layoutRect.width, layoutRect.height};
        const PathOwner shadowPath = MakeTextPath(text, family.get(), style, emSize, shadowRect, format.get());
        FillPath(graphics, shadowPath.get(), static_cast<Gdiplus::ARGB>(alpha / 2) << 24);
    }

    FillPath(graphics, mainPath.get(), ColorToArgb(color, alpha));

    if (outline && mainPath) {
        const PenOwner pen = MakePen(static_cast<Gdiplus::ARGB>(alpha) << 24, 1.0f);
        if (pen) {
            GdipDrawPath(graphics, pen.get(), mainPath.get());
        }
    }
}
