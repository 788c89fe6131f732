#include "render/icon_composer.h"

#include "base/host_image.h"
#include "base/owners.h"
#include "base/text.h"
#include "render/outlined_text.h"
#include "render/rate_text.h"
#include "render/traffic_graph.h"

namespace {

constexpr int kIconSize = 256;
// Pictures are stretched to 255 by 255, leaving the last row and column clear.
constexpr int kPictureSize = 255;
constexpr int kTextWidth = 255;
constexpr int kStateTextHeight = 255;

// Icon texts are centred, shadowed and outlined; each row sets its own size
// below the font size.
void DrawIconText(GpGraphics* graphics, const TextStyle& style, const wchar_t* text, double sizeOffset,
                  int32_t y, int32_t height) noexcept {
    TextStyle row = style;
    row.emSize = static_cast<float>(static_cast<double>(style.emSize) - sizeOffset);
    DrawOutlinedText(graphics, text, row, PixelRect{0, y, kTextWidth, height});
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

void DrawReadings(GpGraphics* graphics, const TextStyle& style, const DockletInstance& instance) noexcept {
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
        FormatRateText(slots[i].rate, value);
        DrawIconText(graphics, style, slots[i].caption, captionOffset, placements[i].captionY, kCaptionHeight);
        DrawIconText(graphics, style, value, 0.0, placements[i].valueY, kValueHeight);
    }
}

void DrawAddressLine(GpGraphics* graphics, const TextStyle& style, const DockletInstance& instance) noexcept {
    wchar_t address[16];
    CopyText(address, instance.ipV4Address);
    if (address[0] != L'\0') {
        DrawIconText(graphics, style, address, 7.0, kAddressY, kAddressHeight);
    } else {
        DrawIconText(graphics, style, L"No IP Address", 4.0, kAddressY, kAddressHeight);
    }
}

}  // namespace

GpBitmap* ComposeIcon(const DockletInstance* instance) noexcept {
    if (!instance) {
        return nullptr;
    }
    GpBitmap* created = nullptr;
    if (GdipCreateBitmapFromScan0(kIconSize, kIconSize, 0, PixelFormat32bppARGB, nullptr, &created) !=
        Gdiplus::Ok) {
        return nullptr;
    }
    BitmapOwner bitmap(created);
    {
        const GraphicsOwner graphics = MakeGraphicsFor(bitmap.get());
        if (!graphics) {
            return bitmap.release();
        }
        GpGraphics* surface = graphics.get();
        GdipSetInterpolationMode(surface, Gdiplus::InterpolationModeHighQuality);
        GdipSetCompositingQuality(surface, Gdiplus::CompositingQualityHighQuality);
        GdipSetCompositingMode(surface, Gdiplus::CompositingModeSourceOver);
        GdipSetSmoothingMode(surface, Gdiplus::SmoothingModeAntiAlias);

        wchar_t fontName[32];
        CopyText(fontName, instance->fontName);
        const TextStyle style{fontName,
                              Gdiplus::FontStyleBold,
                              instance->fontColor,
                              instance->fontAlpha,
                              static_cast<float>(instance->fontSize),
                              Gdiplus::StringAlignmentCenter,
                              Gdiplus::StringAlignmentCenter,
                              true,
                              true};

        if (instance->interfaceDescription[0] == L'\0') {
            DrawIconText(surface, style, L"Not Configured", 4.0, 0, kStateTextHeight);
        } else if (!instance->connected) {
            DrawIconText(surface, style, L"Not Connected", 4.0, 0, kStateTextHeight);
        } else {
            if (!(instance->dockletData & kHideIcons)) {
                if (instance->uploadRate > 0.0) {
                    DrawPicture(surface, instance->sendImage);
                }
                if (instance->downloadRate > 0.0) {
                    DrawPicture(surface, instance->recvImage);
                }
            }
            if (instance->dockletData & kShowGraphs) {
                DrawStandardGraphs(surface, *instance);
            }
            DrawReadings(surface, style, *instance);
            if (instance->dockletData & kShowIpAddress) {
                DrawAddressLine(surface, style, *instance);
            }
        }
    }
    return bitmap.release();
}
