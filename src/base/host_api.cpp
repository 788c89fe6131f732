#include "base/host_api.h"

#include "base/host_image.h"
#include "base/image_family.h"

namespace {

template <typename Fn>
Fn FindHostFunction(const char* name) noexcept {
    HMODULE dock = GetModuleHandleW(nullptr);
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dock, name)));
}

using SetLabelFn = void(WINAPI*)(HWND, char*);
// The image is a Gdiplus::Image object or a flat handle, by the dock's family.
using SetImageOverlayFn = void(WINAPI*)(HWND, void*, BOOL);
using SetImageFileFn = void(WINAPI*)(HWND, char*);
using LoadImageFn = void*(WINAPI*)(char*);
using LockMouseEffectFn = void(WINAPI*)(HWND, BOOL);
using AttentionFn = void(WINAPI*)(HWND);
using FolderFn = void(WINAPI*)(HWND, char*);
using RemoveSelfFn = void(WINAPI*)(HWND, WPARAM);

}  // namespace

namespace host {

bool DockExports(const char* name) noexcept { return FindHostFunction<FARPROC>(name) != nullptr; }

void DockletSetLabel(HWND hwnd, const char* text) noexcept {
    if (auto fn = FindHostFunction<SetLabelFn>("DockletSetLabel")) {
        fn(hwnd, const_cast<char*>(text));
    }
}

void DockletSetImageOverlay(HWND hwnd, GpBitmap* bitmap) noexcept {
    if (!bitmap) {
        return;
    }
    auto fn = FindHostFunction<SetImageOverlayFn>("DockletSetImageOverlay");
    if (!fn) {
        // Nobody takes the bitmap over, so it must not outlive this call.
        GdipDisposeImage(bitmap);
    } else if (KnownDockImageFamily() == DockImageFamily::Flat) {
        fn(hwnd, bitmap, TRUE);
    } else if (HostImage* image = WrapBitmapForHost(bitmap)) {
        fn(hwnd, image, TRUE);
    }
}

void DockletSetImageFile(HWND hwnd, const char* path) noexcept {
    if (auto fn = FindHostFunction<SetImageFileFn>("DockletSetImageFile")) {
        fn(hwnd, const_cast<char*>(path));
    }
}

HostImage* DockletLoadGDIPlusImage(const char* path) noexcept {
    if (auto fn = FindHostFunction<LoadImageFn>("DockletLoadGDIPlusImage")) {
        return AdoptDockPicture(fn(const_cast<char*>(path)));
    }
    return nullptr;
}

void DockletLockMouseEffect(HWND hwnd, BOOL lock) noexcept {
    if (auto fn = FindHostFunction<LockMouseEffectFn>("DockletLockMouseEffect")) {
        fn(hwnd, lock);
    }
}

void DockletDoAttentionAnimation(HWND hwnd) noexcept {
    if (auto fn = FindHostFunction<AttentionFn>("DockletDoAttentionAnimation")) {
        fn(hwnd);
    }
}

void DockletGetRootFolder(HWND hwnd, char* buffer) noexcept {
    buffer[0] = '\0';
    if (auto fn = FindHostFunction<FolderFn>("DockletGetRootFolder")) {
        fn(hwnd, buffer);
        buffer[kHostFolderCapacity - 1] = '\0';
    }
}

void DockletGetRelativeFolder(HWND hwnd, char* buffer) noexcept {
    buffer[0] = '\0';
    if (auto fn = FindHostFunction<FolderFn>("DockletGetRelativeFolder")) {
        fn(hwnd, buffer);
        buffer[kHostFolderCapacity - 1] = '\0';
    }
}

void DockletRemoveSelf(HWND hwnd) noexcept {
    if (auto fn = FindHostFunction<RemoveSelfFn>("DockletRemoveSelf")) {
        fn(hwnd, 1);
    }
}

}  // namespace host
