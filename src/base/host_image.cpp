#include "base/host_image.h"

#include "base/module_hold.h"

#include <new>

extern "C" {

// Slot 0 is DestroyModuleImage (host_image_release.S), which runs this body
// and then gives the module back when the dock's delete was the last thing
// keeping it: the dock may delete an overlay after it unloaded the module.
void* VANTREL_THISCALL DestroyModuleImage(HostImage* self, unsigned flags);

void* VANTREL_THISCALL DestroyModuleImageBody(HostImage* self, unsigned flags) {
    const ModuleEntry entry;
    if (self->nativeImage) {
        GdipDisposeImage(self->nativeImage);
        self->nativeImage = nullptr;
    }
    if (flags & 1u) {
        ::operator delete(self);
    }
    DropModuleHold();
    return self;
}

}  // extern "C"

namespace {

HostImage* VANTREL_THISCALL CloneModuleImage(HostImage* self) {
    GpImage* copy = nullptr;
    if (GdipCloneImage(self->nativeImage, &copy) != Gdiplus::Ok) {
        return nullptr;
    }
    return WrapBitmapForHost(static_cast<GpBitmap*>(copy));
}

// Microsoft's layout keeps the RTTI locator just before slot 0; no dock reads it.
const void* const kModuleImageVtable[] = {
    nullptr,
    reinterpret_cast<const void*>(&DestroyModuleImage),
    reinterpret_cast<const void*>(&CloneModuleImage),
};

}  // namespace

HostImage* WrapBitmapForHost(GpBitmap* bitmap) noexcept {
    if (!bitmap) {
        return nullptr;
    }
    void* memory = ::operator new(sizeof(HostImage), std::nothrow);
    if (!memory) {
        GdipDisposeImage(bitmap);
        return nullptr;
    }
    HostImage* image = static_cast<HostImage*>(memory);
    image->vtable = &kModuleImageVtable[1];
    image->nativeImage = bitmap;
    image->lastResult = Gdiplus::Ok;
    image->loadStatus = Gdiplus::Ok;
    // Its destructor is the module's: the module stays while the dock holds it.
    AddModuleHold();
    return image;
}

void DeleteHostImage(HostImage* image) noexcept {
    if (!image || !image->vtable) {
        return;
    }
    auto destroy = reinterpret_cast<HostImageDeletingDtor>(const_cast<void*>(image->vtable[0]));
    destroy(image, 1u);
}
