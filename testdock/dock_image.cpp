#include "dock_image.h"

#include <objidl.h>
#include <gdiplus.h>

#include <mutex>
#include <new>
#include <vector>

using namespace Gdiplus::DllExports;

namespace testdock {
namespace {

constexpr uint32_t kAlive = 0x1A6E0A11;
constexpr uint32_t kDeleted = 0xDE1E7ED0;

struct DockImage {
    MsvcImageLayout layout;
    uint32_t state;
};

// Icons on threads of their own load and delete images at the same time.
std::mutex imagesLock;

std::vector<DockImage*>& Graveyard() {
    static std::vector<DockImage*> deleted;
    return deleted;
}

void* TESTDOCK_THISCALL DestroyDockImage(DockImage* self, unsigned flags) {
    const std::lock_guard<std::mutex> lock(imagesLock);
    if (self->state != kAlive) {
        ++Counters().deletedTwice;
        return self;
    }
    if (self->layout.nativeImage) {
        GdipDisposeImage(static_cast<Gdiplus::GpImage*>(self->layout.nativeImage));
        self->layout.nativeImage = nullptr;
    }
    self->state = kDeleted;
    ++Counters().deleted;
    if (flags & 1u) {
        Graveyard().push_back(self);
    }
    return self;
}

DockImage* NewDockImage(Gdiplus::GpImage* native);

DockImage* TESTDOCK_THISCALL CloneDockImage(DockImage* self) {
    Gdiplus::GpImage* copy = nullptr;
    if (GdipCloneImage(static_cast<Gdiplus::GpImage*>(self->layout.nativeImage), &copy) != Gdiplus::Ok) {
        return nullptr;
    }
    return NewDockImage(copy);
}

const void* const kDockImageVtable[] = {
    nullptr,
    reinterpret_cast<const void*>(&DestroyDockImage),
    reinterpret_cast<const void*>(&CloneDockImage),
};

DockImage* NewDockImage(Gdiplus::GpImage* native) {
    auto* image = new DockImage{};
    image->layout.vtable = &kDockImageVtable[1];
    image->layout.nativeImage = native;
    image->state = kAlive;
    const std::lock_guard<std::mutex> lock(imagesLock);
    ++Counters().created;
    return image;
}

}  // namespace

ImageCounters& Counters() {
    static ImageCounters counters;
    return counters;
}

MsvcImageLayout* LoadDockImage(const std::wstring& path) {
    Gdiplus::GpImage* native = nullptr;
    if (GdipLoadImageFromFile(path.c_str(), &native) != Gdiplus::Ok || !native) {
        return nullptr;
    }
    return &NewDockImage(native)->layout;
}

void DeleteThroughSlot0(MsvcImageLayout* image) {
    if (!image || !image->vtable) {
        return;
    }
    using DeletingDtor = void*(TESTDOCK_THISCALL*)(MsvcImageLayout*, unsigned);
    auto destroy = reinterpret_cast<DeletingDtor>(const_cast<void*>(image->vtable[0]));
    destroy(image, 1u);
}

void ReleaseDeletedDockImages() {
    const std::lock_guard<std::mutex> lock(imagesLock);
    for (DockImage* image : Graveyard()) {
        delete image;
    }
    Graveyard().clear();
}

}  // namespace testdock
