// What an icon's drawing can keep from one tick to the next without changing a
// pixel: the glyph outlines of texts drawn before, the font family and string
// formats they were made with, and the bottom layer of the icon (activity
// pictures and graph boxes) for the picture combinations seen lately.
//
// The cache remembers the look it was filled for and empties itself when the
// look changes; a new image set must empty it explicitly (ForgetIconCache), as
// new pictures may come back at the addresses of the old ones.
#pragma once

#include "base/docklet_instance.h"
#include "base/gdiplus_api.h"
#include "base/owners.h"
#include "render/pixel_rect.h"

#include <cstddef>
#include <cstdint>

struct TextStyle;

constexpr int kCachedTextCount = 24;
constexpr size_t kCachedTextCapacity = 48;
// Two layers cover a busy adapter (both pictures) and an idle or one-way one;
// each costs 256 KiB.
constexpr int kCachedLayerCount = 2;
constexpr int kLayerSize = 256;

// The outlines of one text as DrawOutlinedText makes them.
struct CachedText {
    wchar_t text[kCachedTextCapacity];
    INT fontStyle;
    float emSize;
    Gdiplus::StringAlignment alignment;
    Gdiplus::StringAlignment lineAlignment;
    PixelRect rect;
    bool shadow;
    PathOwner main;
    PathOwner shadowPath;
    uint64_t lastUse;
};

// The icon's bottom layer for one picture combination, as 0xAARRGGBB rows.
struct CachedLayer {
    int pictures;  // ShownPictures of the combination; -1 for an unused slot
    MallocOwner<uint32_t> pixels;
    uint64_t lastUse;
};

// Every setting and picture the cached drawing depends on.
struct IconLook {
    uint32_t dockletData;
    wchar_t fontName[32];
    int32_t fontSize;
    COLORREF colors[5];  // font, upload, download, background, frame
    uint8_t alphas[5];
    const HostImage* sendImage;
    const HostImage* recvImage;
};

struct IconCache {
    IconLook look;
    bool lookKnown;
    wchar_t familyName[32];
    FontFamilyOwner family;
    StringFormatOwner formats[3][3];  // by alignment, then line alignment
    CachedText texts[kCachedTextCount];
    CachedLayer layers[kCachedLayerCount];
    uint64_t clock;
};

// Null when memory is short; drawing then goes the plain way.
IconCache* CreateIconCache() noexcept;
void DestroyIconCache(IconCache* cache) noexcept;
void ForgetIconCache(IconCache* cache) noexcept;

// Empties the cache when the instance's look differs from the one it was filled for.
void MatchIconLook(IconCache* cache, const DockletInstance& instance) noexcept;

// The outlines of `text` in `style` laid out in `rect`, made on first use.
// Null when the text is too long to keep or GDI+ could not make them (the
// caller then draws the plain way); main is null when the family is missing.
const CachedText* CachedTextPaths(IconCache* cache, const wchar_t* text, const TextStyle& style,
                                  const PixelRect& rect) noexcept;

// The kept layer for a picture combination, or null.
const uint32_t* CachedLayerPixels(IconCache* cache, int pictures) noexcept;
// Keeps a layer's pixels (kLayerSize rows of kLayerSize), replacing the least
// recently used one.
void KeepLayerPixels(IconCache* cache, int pictures, MallocOwner<uint32_t> pixels) noexcept;
