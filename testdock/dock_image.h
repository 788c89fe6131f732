// Images as an MSVC-built dock hands them out and deletes them.
//
// The object starts with Gdiplus::Image's layout under Microsoft's compiler:
// vtable pointer, native GpImage*, lastResult, loadStatus. Slot 0 of the
// vtable is the scalar deleting destructor (flags bit 0 frees), slot 1 Clone.
// The dock keeps its own bookkeeping behind those fields.
#pragma once

#include <windows.h>

#include <cstdint>
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
    int created = 0;          // images the dock handed out
    int deleted = 0;          // of those, deleted through slot 0
    int deletedTwice = 0;     // slot 0 called on an image already deleted
    int overlaysReceived = 0; // overlays the module handed over
    int overlaysDeleted = 0;  // overlays the dock deleted through their slot 0
    int malformedOverlays = 0;// overlays without a readable native image
    int Live() const { return created - deleted; }
    int LiveOverlays() const { return overlaysReceived - overlaysDeleted; }
};

ImageCounters& Counters();

// Loads a file with GDI+ into a dock image; null when it cannot be loaded.
MsvcImageLayout* LoadDockImage(const std::wstring& path);

// Deletes any MSVC-layout image through its own vtable slot 0 with flags 1.
void DeleteThroughSlot0(MsvcImageLayout* image);

// Frees the memory of deleted dock images, kept until now so that a second
// delete is detected instead of corrupting the heap.
void ReleaseDeletedDockImages();

}  // namespace testdock
