// GDI+ images as they cross the boundary to the dock.
//
// Docks are built with Microsoft's compiler and exchange images as objects of
// the GDI+ SDK class Gdiplus::Image: a vtable pointer, the native GpImage
// handle and two status fields, destroyed through vtable slot 0 (the scalar
// deleting destructor, __thiscall on x86). GCC's own Gdiplus::Image has another
// layout and vtable, so the module builds and consumes this shape by hand.
#pragma once

#include "base/gdiplus_api.h"

#include <cstdint>

#if defined(__i386__)
#define VANTREL_THISCALL __attribute__((thiscall))
#else
#define VANTREL_THISCALL
#endif

struct HostImage {
    const void* const* vtable;
    GpImage* nativeImage;
    int32_t lastResult;
    int32_t loadStatus;
};

// Slot 0: void* scalar deleting destructor(unsigned flags); flags bit 0 frees the object.
using HostImageDeletingDtor = void* (VANTREL_THISCALL*)(HostImage* self, unsigned flags);

// Wraps a bitmap (or any GDI+ image) in an object of this layout, for a dock of
// Microsoft's kind or for the module's own keeping. The wrapper owns the image
// and is freed by whoever calls its slot-0 destructor, which disposes of the
// image. Returns null, and disposes of the image, when the wrapper cannot be
// allocated.
HostImage* WrapBitmapForHost(GpBitmap* bitmap) noexcept;

// Deletes an image, ours or the dock's, through its own destructor.
void DeleteHostImage(HostImage* image) noexcept;

inline GpImage* NativeImageOf(const HostImage* image) noexcept {
    return image ? image->nativeImage : nullptr;
}
