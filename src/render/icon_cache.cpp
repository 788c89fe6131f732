#include "render/icon_cache.h"

#include "base/text.h"
#include "render/outlined_text.h"

#include <cstring>
#include <cwchar>
#include <new>
#include <utility>

namespace {

IconLook LookOf(const DockletInstance& instance) noexcept {
    IconLook look{};
    look.dockletData = instance.dockletData;
    CopyText(look.fontName, instance.fontName);
    look.fontSize = instance.fontSize;
    const COLORREF colors[] = {instance.fontColor, instance.uploadColor, instance.downloadColor,
                               instance.backgroundColor, instance.frameColor};
    const uint8_t alphas[] = {instance.fontAlpha, instance.uploadAlpha, instance.downloadAlpha,
                              instance.backgroundAlpha, instance.frameAlpha};
    std::memcpy(look.colors, colors, sizeof colors);
    std::memcpy(look.alphas, alphas, sizeof alphas);
    look.sendImage = instance.sendImage;
    look.recvImage = instance.recvImage;
    return look;
}

bool SameLook(const IconLook& a, const IconLook& b) noexcept {
    return a.dockletData == b.dockletData && std::wcscmp(a.fontName, b.fontName) == 0 && a.fontSize == b.fontSize &&
           std::memcmp(a.colors, b.colors, sizeof a.colors) == 0 &&
           std::memcmp(a.alphas, b.alphas, sizeof a.alphas) == 0 && a.sendImage == b.sendImage &&
           a.recvImage == b.recvImage;
}

void ForgetTexts(IconCache* cache) noexcept {
    for (CachedText& entry : cache->texts) {
        entry.text[0] = L'\0';
        entry.main.reset();
        entry.shadowPath.reset();
        entry.lastUse = 0;
    }
}

// The family for the style's font, made once per name.
const Gdiplus::GpFontFamily* FamilyFor(IconCache* cache, const wchar_t* fontName) noexcept {
    if (!cache->family || std::wcsncmp(cache->familyName, fontName, 32) != 0) {
        ForgetTexts(cache);
        cache->family.reset();
        CopyText(cache->familyName, fontName);
        FontFamilyOwner family;
        cache->family = KeepIfOk(GdipCreateFontFamilyFromName(cache->familyName, nullptr, family.put()), family);
    }
    return cache->family.get();
}

const Gdiplus::GpStringFormat* FormatFor(IconCache* cache, Gdiplus::StringAlignment alignment,
                                         Gdiplus::StringAlignment lineAlignment) noexcept {
    if (alignment < 0 || alignment > 2 || lineAlignment < 0 || lineAlignment > 2) {
        return nullptr;
    }
    StringFormatOwner& format = cache->formats[alignment][lineAlignment];
    if (!format) {
        format = MakeStringFormat(alignment, lineAlignment);
    }
    return format.get();
}

bool SameKey(const CachedText& entry, const wchar_t* text, const TextStyle& style, const PixelRect& rect) noexcept {
    return entry.lastUse != 0 && entry.fontStyle == style.fontStyle && entry.emSize == style.emSize &&
           entry.alignment == style.alignment && entry.lineAlignment == style.lineAlignment &&
           entry.shadow == style.shadow && entry.rect.x == rect.x && entry.rect.y == rect.y &&
           entry.rect.width == rect.width && entry.rect.height == rect.height && std::wcscmp(entry.text, text) == 0;
}

}  // namespace

IconCache* CreateIconCache() noexcept {
    IconCache* cache = new (std::nothrow) IconCache{};
    if (cache) {
        ForgetIconCache(cache);
    }
    return cache;
}

void DestroyIconCache(IconCache* cache) noexcept {
    delete cache;
}

void ForgetIconCache(IconCache* cache) noexcept {
    if (!cache) {
        return;
    }
    cache->lookKnown = false;
    ForgetTexts(cache);
    cache->family.reset();
    cache->familyName[0] = L'\0';
    for (auto& row : cache->formats) {
        for (StringFormatOwner& format : row) {
            format.reset();
        }
    }
    for (CachedLayer& layer : cache->layers) {
        layer.pictures = -1;
        layer.pixels.reset();
        layer.lastUse = 0;
    }
}

void MatchIconLook(IconCache* cache, const DockletInstance& instance) noexcept {
    if (!cache) {
        return;
    }
    const IconLook look = LookOf(instance);
    if (!cache->lookKnown || !SameLook(cache->look, look)) {
        ForgetIconCache(cache);
        cache->look = look;
        cache->lookKnown = true;
    }
}

const CachedText* CachedTextPaths(IconCache* cache, const wchar_t* text, const TextStyle& style,
                                  const PixelRect& rect) noexcept {
    if (!cache || !text || !style.fontName || std::wcslen(text) >= kCachedTextCapacity) {
        return nullptr;
    }
    const Gdiplus::GpFontFamily* family = FamilyFor(cache, style.fontName);
    ++cache->clock;
    CachedText* oldest = nullptr;
    for (CachedText& entry : cache->texts) {
        if (SameKey(entry, text, style, rect)) {
            entry.lastUse = cache->clock;
            return &entry;
        }
        if (!oldest || entry.lastUse < oldest->lastUse) {
            oldest = &entry;
        }
    }
    const Gdiplus::GpStringFormat* format = FormatFor(cache, style.alignment, style.lineAlignment);
    if (!format || !oldest) {
        return nullptr;
    }
    CachedText& entry = *oldest;
    entry.main.reset();
    entry.shadowPath.reset();
    if (family) {
        entry.main = MakeTextPath(text, family, style.fontStyle, style.emSize, rect, format);
        if (style.shadow) {
            entry.shadowPath = MakeTextPath(text, family, style.fontStyle, style.emSize, ShadowRect(rect), format);
        }
        if (!entry.main || (style.shadow && !entry.shadowPath)) {
            entry.lastUse = 0;
            return nullptr;
        }
    }
    CopyText(entry.text, text);
    entry.fontStyle = style.fontStyle;
    entry.emSize = style.emSize;
    entry.alignment = style.alignment;
    entry.lineAlignment = style.lineAlignment;
    entry.rect = rect;
    entry.shadow = style.shadow;
    entry.lastUse = cache->clock;
    return &entry;
}

const uint32_t* CachedLayerPixels(IconCache* cache, int pictures) noexcept {
    if (!cache) {
        return nullptr;
    }
    for (CachedLayer& layer : cache->layers) {
        if (layer.pictures == pictures && layer.pixels) {
            layer.lastUse = ++cache->clock;
            return layer.pixels.get();
        }
    }
    return nullptr;
}

void KeepLayerPixels(IconCache* cache, int pictures, MallocOwner<uint32_t> pixels) noexcept {
    if (!cache || !pixels) {
        return;
    }
    CachedLayer* oldest = &cache->layers[0];
    for (CachedLayer& layer : cache->layers) {
        if (layer.lastUse < oldest->lastUse) {
            oldest = &layer;
        }
    }
    oldest->pixels = std::move(pixels);
    oldest->pictures = pictures;
    oldest->lastUse = ++cache->clock;
}
