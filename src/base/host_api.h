// Callbacks into the dock. Each is looked up by name in the dock's executable at
// every call; a dock that lacks one simply does not get that call, and a call
// with a result then yields 0.
#pragma once

#include <windows.h>

struct HostImage;

// Buffers for the dock's folder strings: the dock writes them unbounded, so they
// are generously larger than any folder it can hand out.
constexpr size_t kHostFolderCapacity = 1024;

namespace host {

void DockletSetLabel(HWND hwnd, const char* text) noexcept;
// Hands the image over: the dock frees it (third argument 1).
void DockletSetImageOverlay(HWND hwnd, HostImage* image) noexcept;
void DockletSetImageFile(HWND hwnd, const char* path) noexcept;
HostImage* DockletLoadGDIPlusImage(const char* path) noexcept;
void DockletLockMouseEffect(HWND hwnd, BOOL lock) noexcept;
void DockletDoAttentionAnimation(HWND hwnd) noexcept;
// Fill buffer (kHostFolderCapacity bytes) with a folder ending in a separator,
// or leave it empty when the dock has no such function.
void DockletGetRootFolder(HWND hwnd, char* buffer) noexcept;
void DockletGetRelativeFolder(HWND hwnd, char* buffer) noexcept;
void DockletRemoveSelf(HWND hwnd) noexcept;

}  // namespace host
