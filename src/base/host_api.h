// Callbacks into the dock. Each is looked up by name in the dock's executable at
// every call; a dock that lacks one simply does not get that call, and a call
// with a result then yields 0.
#pragma once

#include "base/gdiplus_api.h"

struct HostImage;

// Buffers for the dock's folder strings: the dock writes them unbounded, so they
// are generously larger than any folder it can hand out.
constexpr size_t kHostFolderCapacity = 1024;

namespace host {

// Whether the dock's executable exports the named function now.
bool DockExports(const char* name) noexcept;

void DockletSetLabel(HWND hwnd, const char* text) noexcept;
// Hands the bitmap over in the dock's image family (a Microsoft-layout object
// until the family is known): the dock frees it (third argument 1). A dock
// without the function does not get it, and the bitmap is disposed of here.
void DockletSetImageOverlay(HWND hwnd, GpBitmap* bitmap) noexcept;
void DockletSetImageFile(HWND hwnd, const char* path) noexcept;
// The picture the dock loaded, taken into the module's keeping whatever its
// family (base/image_family.h): release it with DeleteHostImage.
HostImage* DockletLoadGDIPlusImage(const char* path) noexcept;
void DockletLockMouseEffect(HWND hwnd, BOOL lock) noexcept;
void DockletDoAttentionAnimation(HWND hwnd) noexcept;
// Fill buffer (kHostFolderCapacity bytes) with a folder ending in a separator,
// or leave it empty when the dock has no such function.
void DockletGetRootFolder(HWND hwnd, char* buffer) noexcept;
void DockletGetRelativeFolder(HWND hwnd, char* buffer) noexcept;
void DockletRemoveSelf(HWND hwnd) noexcept;

}  // namespace host
