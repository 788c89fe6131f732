// Owners for the GDI+ flat objects the renderer makes, so every object is
// released on every path out of a drawing routine.
#pragma once

#include "core/gdiplus_api.h"

#include <memory>

namespace gdiplus_owners {

struct GraphicsDeleter {
    void operator()(Gdiplus::GpGraphics* graphics) const noexcept { GdipDeleteGraphics(graphics); }
};
struct BrushDeleter {
    void operator()(Gdiplus::GpSolidFill* brush) const noexcept { GdipDeleteBrush(brush); }
};
struct PenDeleter {
    void operator()(Gdiplus::GpPen* pen) const noexcept { GdipDeletePen(pen); }
};
struct PathDeleter {
    void operator()(Gdiplus::GpPath* path) const noexcept { GdipDeletePath(path); }
};
struct FontFamilyDeleter {
    void operator()(Gdiplus::GpFontFamily* family) const noexcept { GdipDeleteFontFamily(family); }
};
struct StringFormatDeleter {
    void operator()(Gdiplus::GpStringFormat* format) const noexcept { GdipDeleteStringFormat(format); }
};
struct ImageDeleter {
    void operator()(Gdiplus::GpImage* image) const noexcept { GdipDisposeImage(image); }
};

}  // namespace gdiplus_owners

using GraphicsOwner = std::unique_ptr<Gdiplus::GpGraphics, gdiplus_owners::GraphicsDeleter>;
using SolidBrushOwner = std::unique_ptr<Gdiplus::GpSolidFill, gdiplus_owners::BrushDeleter>;
using PenOwner = std::unique_ptr<Gdiplus::GpPen, gdiplus_owners::PenDeleter>;
using PathOwner = std::unique_ptr<Gdiplus::GpPath, gdiplus_owners::PathDeleter>;
using FontFamilyOwner = std::unique_ptr<Gdiplus::GpFontFamily, gdiplus_owners::FontFamilyDeleter>;
using StringFormatOwner = std::unique_ptr<Gdiplus::GpStringFormat, gdiplus_owners::StringFormatDeleter>;
using BitmapOwner = std::unique_ptr<Gdiplus::GpBitmap, gdiplus_owners::ImageDeleter>;

// Each returns an empty owner when GDI+ refuses the object.
inline SolidBrushOwner MakeSolidBrush(Gdiplus::ARGB argb) noexcept {
    Gdiplus::GpSolidFill* brush = nullptr;
    if (GdipCreateSolidFill(argb, &brush) != Gdiplus::Ok) {
        return SolidBrushOwner();
    }
    return SolidBrushOwner(brush);
}

inline PenOwner MakePen(Gdiplus::ARGB argb, float width) noexcept {
    Gdiplus::GpPen* pen = nullptr;
    if (GdipCreatePen1(argb, width, Gdiplus::UnitWorld, &pen) != Gdiplus::Ok) {
        return PenOwner();
    }
    return PenOwner(pen);
}

inline PathOwner MakePath() noexcept {
    Gdiplus::GpPath* path = nullptr;
    if (GdipCreatePath(Gdiplus::FillModeAlternate, &path) != Gdiplus::Ok) {
        return PathOwner();
    }
    return PathOwner(path);
}

inline GraphicsOwner MakeGraphicsFor(Gdiplus::GpImage* image) noexcept {
    Gdiplus::GpGraphics* graphics = nullptr;
    if (!image || GdipGetImageGraphicsContext(image, &graphics) != Gdiplus::Ok) {
        return GraphicsOwner();
    }
    return GraphicsOwner(graphics);
}
