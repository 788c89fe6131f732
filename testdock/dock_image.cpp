#include "dock_image.h"

#include "import_patch.h"

#include <map>
#include <mutex>
#include <new>
#include <set>
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

// What the dock knows of the pictures it handed out, for the module's calls
// (which may come from its own threads): each flat picture still out, with
// the first field it had, and the first field of every picture handed out.
struct Handed {
    std::mutex lock;
    std::map<void*, void*> flatOut;
    std::set<const void*> firstFields;
};

Handed& Out() {
    static Handed handed;
    return handed;
}

void* TESTDOCK_THISCALL DisguiseTrap(void* self, unsigned) {
    ++Counters().flatVtableCalls;
    return self;
}

// Data, not code: what a disguised flat picture's first field points at.
const void* const kDisguise[] = {
    reinterpret_cast<const void*>(&DisguiseTrap),
    reinterpret_cast<const void*>(&DisguiseTrap),
    reinterpret_cast<const void*>(&DisguiseTrap),
};

void* LoadFlatPicture(const std::wstring& path, bool disguise) {
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromFile(path.c_str(), &bitmap) != Gdiplus::Ok || !bitmap) {
        return nullptr;
    }
    void** firstField = reinterpret_cast<void**>(bitmap);
    Handed& out = Out();
    const std::lock_guard<std::mutex> hold(out.lock);
    out.flatOut[bitmap] = *firstField;
    if (disguise) {
        *firstField = const_cast<void**>(kDisguise);
    }
    out.firstFields.insert(*firstField);
    ++Counters().created;
    return bitmap;
}

decltype(&GdipDisposeImage) realDisposeImage = nullptr;
decltype(&GetModuleHandleExW) realGetModuleHandleEx = nullptr;

Gdiplus::GpStatus WINGDIPAPI WatchDisposeImage(Gdiplus::GpImage* image) {
    {
        Handed& out = Out();
        const std::lock_guard<std::mutex> hold(out.lock);
        if (auto found = out.flatOut.find(image); found != out.flatOut.end()) {
            // GDI+ gets its own object back as it made it.
            *reinterpret_cast<void**>(image) = found->second;
            out.flatOut.erase(found);
            ++Counters().deleted;
        }
    }
    return realDisposeImage(image);
}

BOOL WINAPI WatchGetModuleHandleEx(DWORD flags, LPCWSTR name, HMODULE* module) {
    if (flags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) {
        Handed& out = Out();
        const std::lock_guard<std::mutex> hold(out.lock);
        if (out.firstFields.count(name)) {
            ++Counters().familyProbes;
        }
    }
    return realGetModuleHandleEx(flags, name, module);
}

}  // namespace

struct ImageWatch::Impl {
    ImportPatch dispose;
    ImportPatch moduleHandle;
};

ImageWatch::ImageWatch(HMODULE module) : impl_(new Impl) {
    {
        Handed& out = Out();
        const std::lock_guard<std::mutex> hold(out.lock);
        out.flatOut.clear();
        out.firstFields = {&kDockImageVtable[1]};
    }
    realDisposeImage = &GdipDisposeImage;
    realGetModuleHandleEx = &GetModuleHandleExW;
    impl_->dispose = ImportPatch(module, "gdiplus.dll", "GdipDisposeImage", reinterpret_cast<void*>(&WatchDisposeImage));
    impl_->moduleHandle = ImportPatch(module, "kernel32.dll", "GetModuleHandleExW",
                                      reinterpret_cast<void*>(&WatchGetModuleHandleEx));
}

ImageWatch::~ImageWatch() = default;

void* LoadDockPicture(ImageFamily family, const std::wstring& path, bool disguise) {
    return family == ImageFamily::Flat ? LoadFlatPicture(path, disguise) : LoadDockImage(path);
}

Gdiplus::GpImage* OverlayNative(ImageFamily family, void* overlay) {
    if (!overlay) {
        return nullptr;
    }
    return family == ImageFamily::Flat ? static_cast<Gdiplus::GpImage*>(overlay)
                                       : static_cast<Gdiplus::GpImage*>(static_cast<MsvcImageLayout*>(overlay)->nativeImage);
}

void DropOverlay(ImageFamily family, void* overlay) {
    if (family == ImageFamily::Flat) {
        GdipDisposeImage(static_cast<Gdiplus::GpImage*>(overlay));
    } else {
        DeleteThroughSlot0(static_cast<MsvcImageLayout*>(overlay));
    }
    ++Counters().overlaysDeleted;
}

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
