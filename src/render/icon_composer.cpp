#include "render/icon_composer.h"

#include "base/host_image.h"
#include "base/owners.h"
#include "base/shown_address.h"
#include "base/text.h"
#include "render/allowance_bar.h"
#include "render/icon_cache.h"
#include "render/outlined_text.h"
#include "render/overlay_inputs.h"
#include "render/rate_text.h"
#include "render/traffic_graph.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <utility>

namespace {

constexpr int kIconSize = 256;
// Pictures are stretched to 255 by 255, leaving the last row and column clear.
constexpr int kPictureSize = 255;
constexpr int kTextWidth = 255;
constexpr int kStateTextHeight = 255;

// Icon texts are centred, shadowed and outlined; each row sets its own size
// below the font size.
void DrawIconText(GpGraphics* graphics, const TextStyle& style, const wchar_t* text, double sizeOffset,
                  int32_t y, int32_t height, IconCache* cache) noexcept {
    TextStyle row = style;
    row.emSize = static_cast<float>(static_cast<double>(style.emSize) - sizeOffset);
    DrawOutlinedText(graphics, text, row, PixelRect{0, y, kTextWidth, height}, cache);
}

void DrawPicture(GpGraphics* graphics, const HostImage* picture) noexcept {
    if (GpImage* image = NativeImageOf(picture)) {
        GdipDrawImageRectI(graphics, image, 0, 0, kPictureSize, kPictureSize);
    }
}

struct ReadingSlot {
    const wchar_t* caption;
    double rate;
};

struct SlotPlacement {
    int32_t captionY;
    int32_t valueY;
};

// Caption and value rows for one, two and three readings.
constexpr SlotPlacement kOneSlot[] = {{108, 140}};
constexpr SlotPlacement kTwoSlots[] = {{66, 98}, {138, 170}};
constexpr SlotPlacement kThreeSlots[] = {{36, 68}, {108, 140}, {180, 212}};
constexpr int32_t kCaptionHeight = 30;
constexpr int32_t kValueHeight = 34;
constexpr int32_t kAddressY = 4;
constexpr int32_t kAddressHeight = 32;

void DrawReadings(GpGraphics* graphics, const TextStyle& style, const DockletInstance& instance,
                  IconCache* cache) noexcept {
    ReadingSlot slots[3];
    int count = 0;
    if (instance.dockletData & kShowTotalRate) {
        slots[count++] = {L"Total", instance.totalRate};
    }
    if (instance.dockletData & kShowUploadRate) {
        slots[count++] = {L"Upload", instance.uploadRate};
    }
    if (instance.dockletData & kShowDownloadRate) {
        slots[count++] = {L"Download", instance.downloadRate};
    }
    if (count == 0) {
        return;
    }
    const SlotPlacement* placements = count == 1 ? kOneSlot : count == 2 ? kTwoSlots : kThreeSlots;
    // A lone reading keeps a larger caption.
    const double captionOffset = count == 1 ? 4.0 : 8.0;
    for (int i = 0; i < count; ++i) {
        wchar_t value[kRateTextCapacity];
        FormatRateText(slots[i].rate, instance.rateUnit, value);
        DrawIconText(graphics, style, slots[i].caption, captionOffset, placements[i].captionY, kCaptionHeight, cache);
        DrawIconText(graphics, style, value, 0.0, placements[i].valueY, kValueHeight, cache);
    }
}

// An IPv6 address, up to 39 characters, gets a smaller font when it would
// not fit the icon's width on one line; an IPv4 address keeps its size.
void DrawAddressLine(GpGraphics* graphics, const TextStyle& style, const DockletInstance& instance,
                     IconCache* cache) noexcept {
    wchar_t address[kAddressTextCapacity];
    CopyText(address, ShownAddress(instance));
    if (address[0] != L'\0') {
        double offset = 7.0;
        if (std::wcschr(address, L':')) {
            TextStyle row = style;
            row.emSize = static_cast<float>(static_cast<double>(style.emSize) - offset);
            offset = static_cast<double>(style.emSize) -
                     static_cast<double>(FittingEmSize(graphics, address, row, static_cast<float>(kTextWidth)));
        }
        DrawIconText(graphics, style, address, offset, kAddressY, kAddressHeight, cache);
    } else {
        DrawIconText(graphics, style, L"No IP Address", 4.0, kAddressY, kAddressHeight, cache);
    }
}

void SetQuality(GpGraphics* surface) noexcept {
    GdipSetInterpolationMode(surface, Gdiplus::InterpolationModeHighQuality);
    GdipSetCompositingQuality(surface, Gdiplus::CompositingQualityHighQuality);
    GdipSetCompositingMode(surface, Gdiplus::CompositingModeSourceOver);
    GdipSetSmoothingMode(surface, Gdiplus::SmoothingModeAntiAlias);
}

TextStyle IconTextStyle(const DockletInstance& instance, const wchar_t* fontName) noexcept {
    return TextStyle{fontName,
                     Gdiplus::FontStyleBold,
                     instance.fontColor,
                     instance.fontAlpha,
                     static_cast<float>(instance.fontSize),
                     Gdiplus::StringAlignmentCenter,
                     Gdiplus::StringAlignmentCenter,
                     true,
                     true};
}

void DrawPictures(GpGraphics* surface, const DockletInstance& instance, int pictures) noexcept {
    if (pictures & kSendPicture) {
        DrawPicture(surface, instance.sendImage);
    }
    if (pictures & kRecvPicture) {
        DrawPicture(surface, instance.recvImage);
    }
}

// The bottom layer of a connected icon: the pictures, then the graph boxes.
// The boxes lie apart from each other's content, so drawing both before
// either's content changes no pixel.
void DrawBottomLayer(GpGraphics* surface, const DockletInstance& instance, int pictures) noexcept {
    DrawPictures(surface, instance, pictures);
    if (instance.dockletData & kShowGraphs) {
        DrawStandardGraphParts(surface, instance, GraphParts::Boxes, nullptr);
    }
}

// A connected icon, over its bottom layer when that is drawn already.
void DrawConnected(GpGraphics* surface, const TextStyle& style, const DockletInstance& instance, int pictures,
                   bool bottomDrawn, IconCache* cache) noexcept {
    if (!bottomDrawn) {
        DrawPictures(surface, instance, pictures);
    }
    if (instance.dockletData & kShowGraphs) {
        DrawStandardGraphParts(surface, instance, bottomDrawn ? GraphParts::Content : GraphParts::BoxesAndContent,
                               cache);
    }
    DrawAllowanceBar(surface, instance, AllowanceBarOf(instance));
    DrawReadings(surface, style, instance, cache);
    if (instance.dockletData & kShowIpAddress) {
        DrawAddressLine(surface, style, instance, cache);
    }
}

// Copies the bitmap's pixels, as 0xAARRGGBB rows, out to `rows` or in from them.
template <typename Row, typename Copy>
bool CopyPixels(GpBitmap* bitmap, Gdiplus::ImageLockMode mode, Row* rows, Copy copy) noexcept {
    const Gdiplus::Rect whole(0, 0, kIconSize, kIconSize);
    Gdiplus::BitmapData data{};
    if (GdipBitmapLockBits(bitmap, &whole, mode, PixelFormat32bppARGB, &data) != Gdiplus::Ok) {
        return false;
    }
    for (int y = 0; y < kIconSize; ++y) {
        copy(static_cast<uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride,
             rows + static_cast<size_t>(y) * kIconSize);
    }
    return GdipBitmapUnlockBits(bitmap, &data) == Gdiplus::Ok;
}

bool ReadLayer(GpBitmap* bitmap, uint32_t* rows) noexcept {
    return CopyPixels(bitmap, Gdiplus::ImageLockModeRead, rows, [](const uint8_t* scan, uint32_t* row) {
        std::memcpy(row, scan, kIconSize * sizeof(uint32_t));
    });
}

bool WriteLayer(GpBitmap* bitmap, const uint32_t* rows) noexcept {
    return CopyPixels(bitmap, Gdiplus::ImageLockModeWrite, rows, [](uint8_t* scan, const uint32_t* row) {
        std::memcpy(scan, row, kIconSize * sizeof(uint32_t));
    });
}

// Puts the bottom layer into the new bitmap: a copy of the kept one, or drawn
// and then kept. False when it has to be drawn the plain way.
bool PutBottomLayer(GpBitmap* bitmap, const DockletInstance& instance, int pictures, IconCache* cache) noexcept {
    if (const uint32_t* kept = CachedLayerPixels(cache, pictures)) {
        return WriteLayer(bitmap, kept);
    }
    static_assert(kLayerSize == kIconSize, "layers are whole icons");
    {
        const GraphicsOwner graphics = MakeGraphicsFor(bitmap);
        if (!graphics) {
            return false;
        }
        SetQuality(graphics.get());
        DrawBottomLayer(graphics.get(), instance, pictures);
    }
    MallocOwner<uint32_t> pixels(static_cast<uint32_t*>(std::malloc(sizeof(uint32_t) * kIconSize * kIconSize)));
    if (pixels && ReadLayer(bitmap, pixels.get())) {
        KeepLayerPixels(cache, pictures, std::move(pixels));
    }
    return true;
}

}  // namespace

GpBitmap* ComposeIcon(const DockletInstance* instance, IconCache* cache) noexcept {
    if (!instance) {
        return nullptr;
    }
    MatchIconLook(cache, *instance);
    BitmapOwner bitmap;
    if (GdipCreateBitmapFromScan0(kIconSize, kIconSize, 0, PixelFormat32bppARGB, nullptr, bitmap.put()) !=
        Gdiplus::Ok) {
        bitmap.release();
        return nullptr;
    }
    const bool connected = instance->interfaceDescription[0] != L'\0' && instance->connected;
    const int pictures = connected ? ShownPictures(*instance) : 0;
    // A kept layer replaces drawing the pictures and graph boxes; without a
    // cache everything is drawn in its plain order.
    bool bottomDrawn = false;
    if (cache && connected && (pictures != 0 || (instance->dockletData & kShowGraphs))) {
        bottomDrawn = PutBottomLayer(bitmap.get(), *instance, pictures, cache);
    }
    const GraphicsOwner graphics = MakeGraphicsFor(bitmap.get());
    if (!graphics) {
        return bitmap.release();
    }
    GpGraphics* surface = graphics.get();
    SetQuality(surface);
    wchar_t fontName[32];
    CopyText(fontName, instance->fontName);
    const TextStyle style = IconTextStyle(*instance, fontName);

    // An automatic icon waits for a route, never for its user.
    if (instance->interfaceDescription[0] == L'\0' && instance->adapterChoice != kAdapterAutomatic) {
        DrawIconText(surface, style, L"Not Configured", 4.0, 0, kStateTextHeight, cache);
    } else if (!instance->connected) {
        DrawIconText(surface, style, L"Not Connected", 4.0, 0, kStateTextHeight, cache);
    } else {
        DrawConnected(surface, style, *instance, pictures, bottomDrawn, cache);
    }
    return bitmap.release();
}
