// Images as a dock hands them out and takes them back, in either family.
//
// An MSVC-built dock's object starts with Gdiplus::Image's layout under
// Microsoft's compiler: vtable pointer, native GpImage*, lastResult,
// loadStatus. Slot 0 of the vtable is the scalar deleting destructor (flags bit
// 0 frees), slot 1 Clone. The dock keeps its own bookkeeping behind those
// fields. A dock of the flat family hands bare GpImage* handles and expects
// them back through GdipDisposeImage, which the dock sees through the module's
// import of it.
#pragma once

#include "dock_mode.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstdint>
#include <memory>
#include <string>

#if defined(__i386__)
#define TESTDOCK_THISCALL __attribute__((thiscall))
#else
#define TESTDOCK_THISCALL
#endif

namespace testdock {

struct MsvcImageLayout {
    const void* const* vtable;
    void* nativeImage;
    int32_t lastResult;
    int32_t loadStatus;
};

struct ImageCounters {
    int created = 0;          // images the dock handed out, in its family
    int deleted = 0;          // of those, released by its rule: slot 0, or GdipDisposeImage
    int deletedTwice = 0;     // slot 0 called on an image already deleted
    int overlaysReceived = 0; // overlays the module handed over
    int overlaysDeleted = 0;  // overlays the dock deleted through their slot 0
    int malformedOverlays = 0;// overlays GDI+ cannot read in the dock's family
    int flatVtableCalls = 0;  // calls through the first field of a disguised flat image
    int familyProbes = 0;     // GetModuleHandleExW of the module on a dock image's first field
    int Live() const { return created - deleted; }
    int LiveOverlays() const { return overlaysReceived - overlaysDeleted; }
};

ImageCounters& Counters();

// Loads a file with GDI+ into a dock image; null when it cannot be loaded.
MsvcImageLayout* LoadDockImage(const std::wstring& path);

// Deletes any MSVC-layout image through its own vtable slot 0 with flags 1.
void DeleteThroughSlot0(MsvcImageLayout* image);

// Loads a file as the dock of that family hands pictures out: an MSVC-layout
// image, or a GdipCreateBitmapFromFile handle. A disguised flat handle's first
// field points at data in the dock's own program (until the module disposes
// of it), where a module that took it for a vtable would find no code of GDI+.
void* LoadDockPicture(ImageFamily family, const std::wstring& path, bool disguise);

// An overlay the module handed over, read as the dock's family reads it (null
// when GDI+ refuses it), and dropped as that family drops it.
Gdiplus::GpImage* OverlayNative(ImageFamily family, void* overlay);
void DropOverlay(ImageFamily family, void* overlay);

// Watches the module's GdipDisposeImage (flat pictures coming back) and
// GetModuleHandleExW (the module looking at a picture's first field) while it
// lives.
class ImageWatch {
public:
    explicit ImageWatch(HMODULE module);
    ~ImageWatch();
    ImageWatch(const ImageWatch&) = delete;
    ImageWatch& operator=(const ImageWatch&) = delete;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Frees the memory of deleted dock images, kept until now so that a second
// delete is detected instead of corrupting the heap.
void ReleaseDeletedDockImages();

}  // namespace testdock
