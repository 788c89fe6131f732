// One owner for every kind of handle the module creates, so each is released
// on every path out of the function that made it.
#pragma once

#include "base/gdiplus_api.h"
#include "base/host_image.h"

#include <windows.h>
#include <winhttp.h>

#include <cstdlib>

// Holds one handle of type T and closes it with Close unless it equals the
// kind's empty value (null for most kinds, INVALID_HANDLE_VALUE for finds).
template <typename T, auto Close, T (*Empty)() noexcept>
class UniqueAny {
public:
    UniqueAny() noexcept : value_(Empty()) {}
    explicit UniqueAny(T value) noexcept : value_(value) {}
    ~UniqueAny() { reset(); }

    UniqueAny(UniqueAny&& other) noexcept : value_(other.release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;

    T get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Empty(); }

    T release() noexcept {
        const T value = value_;
        value_ = Empty();
        return value;
    }

    void reset(T value = Empty()) noexcept {
        const T old = value_;
        value_ = value;
        if (old != Empty()) {
            Close(old);
        }
    }

    // For functions that return a new handle through an out-parameter.
    T* put() noexcept {
        reset();
        return &value_;
    }

private:
    T value_;
};

namespace owners {

template <typename T>
constexpr T Null() noexcept { return T{}; }
inline HANDLE InvalidHandle() noexcept { return INVALID_HANDLE_VALUE; }

inline void FreeBlock(void* block) noexcept { std::free(block); }
inline void FreeProcessHeapBlock(void* block) noexcept { HeapFree(GetProcessHeap(), 0, block); }

}  // namespace owners

template <typename T, auto Close>
using UniquePointer = UniqueAny<T, Close, &owners::Null<T>>;

// Memory
template <typename T>
using MallocOwner = UniquePointer<T*, &owners::FreeBlock>;
using ProcessHeapOwner = UniquePointer<void*, &owners::FreeProcessHeapBlock>;
using CoTaskTextOwner = UniquePointer<wchar_t*, &CoTaskMemFree>;
using GlobalTextOwner = UniquePointer<wchar_t*, &GlobalFree>;

// Kernel, USER and GDI
using HandleOwner = UniquePointer<HANDLE, &CloseHandle>;
using ModuleOwner = UniquePointer<HMODULE, &FreeLibrary>;
using FindOwner = UniqueAny<HANDLE, &FindClose, &owners::InvalidHandle>;
using FileOwner = UniqueAny<HANDLE, &CloseHandle, &owners::InvalidHandle>;
using ActivationContextOwner = UniqueAny<HANDLE, &ReleaseActCtx, &owners::InvalidHandle>;
using MenuOwner = UniquePointer<HMENU, &DestroyMenu>;
using BitmapHandleOwner = UniquePointer<HBITMAP, &DeleteObject>;
using FontHandleOwner = UniquePointer<HFONT, &DeleteObject>;
using InternetOwner = UniquePointer<HINTERNET, &WinHttpCloseHandle>;

// GDI+ flat objects
using GraphicsOwner = UniquePointer<GpGraphics*, &GdipDeleteGraphics>;
using SolidBrushOwner = UniquePointer<Gdiplus::GpSolidFill*, &GdipDeleteBrush>;
using PenOwner = UniquePointer<Gdiplus::GpPen*, &GdipDeletePen>;
using PathOwner = UniquePointer<Gdiplus::GpPath*, &GdipDeletePath>;
using FontFamilyOwner = UniquePointer<Gdiplus::GpFontFamily*, &GdipDeleteFontFamily>;
using FontOwner = UniquePointer<Gdiplus::GpFont*, &GdipDeleteFont>;
using StringFormatOwner = UniquePointer<Gdiplus::GpStringFormat*, &GdipDeleteStringFormat>;
using BitmapOwner = UniquePointer<GpBitmap*, &GdipDisposeImage>;
using ImageOwner = UniquePointer<GpImage*, &GdipDisposeImage>;

// Images the dock loaded for the module, released by the rule of their family.
using HostImageOwner = UniquePointer<HostImage*, &DeleteHostImage>;

// Takes over what a GDI+ creation call wrote through owner.put(), but only when
// the call succeeded: a failed call's out-value is not a handle.
template <typename Owner>
Owner KeepIfOk(GpStatus status, Owner& owner) noexcept {
    if (status != Gdiplus::Ok) {
        owner.release();
    }
    return static_cast<Owner&&>(owner);
}

// Each returns an empty owner when GDI+ refuses the object.
inline SolidBrushOwner MakeSolidBrush(Gdiplus::ARGB argb) noexcept {
    SolidBrushOwner brush;
    return KeepIfOk(GdipCreateSolidFill(argb, brush.put()), brush);
}

inline PenOwner MakePen(Gdiplus::ARGB argb, float width) noexcept {
    PenOwner pen;
    return KeepIfOk(GdipCreatePen1(argb, width, Gdiplus::UnitWorld, pen.put()), pen);
}

inline PathOwner MakePath() noexcept {
    PathOwner path;
    return KeepIfOk(GdipCreatePath(Gdiplus::FillModeAlternate, path.put()), path);
}

inline GraphicsOwner MakeGraphicsFor(GpImage* image) noexcept {
    GraphicsOwner graphics;
    if (!image) {
        return graphics;
    }
    return KeepIfOk(GdipGetImageGraphicsContext(image, graphics.put()), graphics);
}
