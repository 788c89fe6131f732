#include "base/image_family.h"

#include <atomic>

namespace {

// Written once, by whichever icon examines the first picture; icons may run
// on threads of their own.
std::atomic<DockImageFamily> knownFamily{DockImageFamily::Unknown};

bool IsGdiplusModule(HMODULE module) noexcept {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return false;
    }
    const wchar_t* name = path + length;
    while (name > path && name[-1] != L'\\' && name[-1] != L'/') {
        --name;
    }
    // Side-by-side GDI+ versions all carry this file name.
    return lstrcmpiW(name, L"gdiplus.dll") == 0;
}

// Whether a pointer read from the picture points into a loaded module's image.
HMODULE ModuleHolding(const void* address) noexcept {
    HMODULE module = nullptr;
    if (!address || !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                            GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                        static_cast<LPCWSTR>(address), &module)) {
        return nullptr;
    }
    return module;
}

}  // namespace

DockImageFamily KnownDockImageFamily() noexcept {
    return knownFamily.load();
}

DockImageFamily ExamineDockPicture(const void* picture) noexcept {
    if (!picture) {
        return DockImageFamily::Unknown;
    }
    // Both kinds are at least two pointers long: a vtable and the native
    // image, or the first fields of GDI+'s own object.
    const HostImage* object = static_cast<const HostImage*>(picture);
    const HMODULE holder = ModuleHolding(object->vtable);
    if (!holder || IsGdiplusModule(holder)) {
        return DockImageFamily::Flat;
    }
    Gdiplus::ImageType type = Gdiplus::ImageTypeUnknown;
    if (object->nativeImage && GdipGetImageType(object->nativeImage, &type) == Gdiplus::Ok &&
        type != Gdiplus::ImageTypeUnknown) {
        return DockImageFamily::Msvc;
    }
    return DockImageFamily::Flat;
}

HostImage* AdoptDockPicture(void* picture) noexcept {
    if (!picture) {
        return nullptr;
    }
    DockImageFamily family = knownFamily.load();
    if (family == DockImageFamily::Unknown) {
        // Another icon may have learnt it meanwhile: the first answer stays.
        const DockImageFamily examined = ExamineDockPicture(picture);
        if (knownFamily.compare_exchange_strong(family, examined)) {
            family = examined;
        }
    }
    if (family == DockImageFamily::Flat) {
        return WrapBitmapForHost(static_cast<GpBitmap*>(picture));
    }
    return static_cast<HostImage*>(picture);
}
