// Writes a contact sheet of the icon in its main states, composed by the
// module's own drawing code over the shipped image sets, for a person to look
// at (README shows it). Usage: contact_sheet IMAGE_SET_FOLDER OUTPUT_PNG.
// Exits non-zero unless the PNG was written and reads back at the sheet's size.
#include "base/gdiplus_api.h"
#include "base/host_image.h"
#include "base/rate_history.h"
#include "base/text.h"
#include "core/settings.h"
#include "render/icon_composer.h"
#include "render/image_set.h"
#include "render/outlined_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

struct ImageDeleter {
    void operator()(GpImage* image) const { GdipDisposeImage(image); }
};
using ImageOwner = std::unique_ptr<GpImage, ImageDeleter>;

struct Tile {
    const wchar_t* caption;
    const wchar_t* set;
    const wchar_t* base;
    uint32_t dockletData;
    bool configured;
    bool connected;
    // The three display choices; fast tiles move megabytes instead of kilobytes.
    int32_t rateUnit = kRateUnitK;
    int32_t graphScale = kGraphScaleFixed;
    int32_t adapterChoice = kAdapterConfigured;
    bool fast = false;
    // The month's use against an allowance of 100 GB, with the month 60 % gone;
    // below 0 the tile has no allowance.
    double allowanceUsed = -1.0;
};

const Tile kTiles[] = {
    {L"default, transferring", L"icons", L"background.png", kDefaultDockletData, true, true},
    {L"Not Configured", L"icons", L"na.png", kDefaultDockletData, false, true},
    {L"Not Connected", L"icons", L"na.png", kDefaultDockletData, true, false},
    {L"graphs on", L"icons", L"background.png", kDefaultDockletData | kShowGraphs, true, true},
    {L"three readings", L"icons", L"background.png", kShowTotalRate | kShowUploadRate | kShowDownloadRate, true, true},
    {L"Hide Icons", L"icons", L"empty.png", kDefaultDockletData | kHideIcons, true, true},
    {L"mono, transferring", L"mono", L"background.png", kDefaultDockletData, true, true},
    {L"mono, everything on", L"mono", L"background.png", 31, true, true},
    {L"bytes, fitted graphs", L"icons", L"background.png", kShowGraphs, true, true,
     kRateUnitBytes, kGraphScaleFitted, kAdapterConfigured, true},
    {L"bits, three readings", L"icons", L"background.png", kShowTotalRate | kShowUploadRate | kShowDownloadRate, true,
     true, kRateUnitBits, kGraphScaleFixed, kAdapterConfigured, true},
    {L"bits, link speed graphs", L"icons", L"background.png", kShowGraphs, true, true, kRateUnitBits, kGraphScaleLink,
     kAdapterConfigured, true},
    {L"automatic, no route", L"icons", L"na.png", kDefaultDockletData, false, false, kRateUnitBytes,
     kGraphScaleFitted, kAdapterAutomatic, false},
    {L"allowance 45 % used", L"icons", L"background.png", kDefaultDockletData | kShowAllowanceBar, true, true,
     kRateUnitK, kGraphScaleFixed, kAdapterConfigured, false, 0.45},
    {L"allowance 85 % used", L"icons", L"background.png", kDefaultDockletData | kShowGraphs | kShowAllowanceBar, true,
     true, kRateUnitK, kGraphScaleFixed, kAdapterConfigured, false, 0.85},
    {L"allowance used up", L"mono", L"background.png", kDefaultDockletData | kShowAllowanceBar, true, true,
     kRateUnitK, kGraphScaleFixed, kAdapterConfigured, false, 1.1},
};
constexpr int kColumns = 4;
constexpr int kCellWidth = 272;
constexpr int kCellHeight = 352;
constexpr int kRows = (sizeof kTiles / sizeof kTiles[0] + kColumns - 1) / kColumns;
constexpr int kSheetWidth = kColumns * kCellWidth;
constexpr int kSheetHeight = kRows * kCellHeight;

GpBitmap* LoadSetFile(const std::wstring& folder, const wchar_t* set, const wchar_t* file) {
    GpBitmap* bitmap = nullptr;
    GdipCreateBitmapFromFile((folder + L"\\" + set + L"\\" + file).c_str(), &bitmap);
    return bitmap;
}

void FillHistory(Warr<double>* history, double middle, double swing, double period, double phase) {
    for (int i = 0; i < kHistoryCapacity; ++i) {
        history->Append(middle + swing * std::sin(i / period + phase));
    }
}

struct Histories {
    Warr<double>* upload;
    Warr<double>* download;
};

// One tile: the base picture, then the overlay, at 256 pixels and at a common dock size.
bool DrawTile(GpGraphics* sheet, const std::wstring& folder, const Tile& tile, const Histories& histories, int x,
              int y) {
    auto* instance = static_cast<DockletInstance*>(std::calloc(1, sizeof(DockletInstance)));
    if (!instance) {
        return false;
    }
    // The settings of a new icon, watching an adapter that is up and moving data.
    LoadSettings(instance, nullptr, nullptr);
    CopyText(instance->interfaceDescription, tile.configured ? L"Test Gigabit Adapter" : L"");
    CopyText(instance->ipV4Address, L"192.0.2.2");
    instance->connected = tile.connected ? 1 : 0;
    instance->operStatus = 1;
    const double scale = tile.fast ? 1000.0 : 1.0;
    instance->totalRate = 57.3 * scale;
    instance->uploadRate = 4.2 * scale;
    instance->downloadRate = 53.1 * scale;
    instance->dockletData = tile.dockletData;
    instance->uploadHistory = histories.upload;
    instance->downloadHistory = histories.download;
    instance->rateUnit = tile.rateUnit;
    instance->graphScale = tile.graphScale;
    instance->adapterChoice = tile.adapterChoice;
    instance->bandwidthSample.data = 1000000000;  // a gigabit adapter
    if (tile.allowanceUsed >= 0.0) {
        instance->usageAllowance = 100000;
        instance->usage.shownMonth = static_cast<uint64_t>(tile.allowanceUsed * 1e11);
        instance->usage.monthPassed = 0.6;
    }
    instance->sendImage = WrapBitmapForHost(LoadSetFile(folder, tile.set, L"send.png"));
    instance->recvImage = WrapBitmapForHost(LoadSetFile(folder, tile.set, L"recv.png"));

    const ImageOwner base(LoadSetFile(folder, tile.set, tile.base));
    const ImageOwner overlay(ComposeIcon(instance));
    const bool drawn = instance->sendImage && instance->recvImage && base && overlay;
    if (drawn) {
        for (const int size : {256, 48}) {
            const int top = size == 256 ? y : y + 262;
            GdipDrawImageRectI(sheet, base.get(), x, top, size, size);
            GdipDrawImageRectI(sheet, overlay.get(), x, top, size, size);
        }
        DrawOutlinedText(sheet, tile.caption,
                         TextStyle{L"Tahoma", Gdiplus::FontStyleBold, 0xE0E0E0, 255, 15.0f,
                                   Gdiplus::StringAlignmentNear, Gdiplus::StringAlignmentCenter, false, false},
                         PixelRect{x + 56, y + 262, 200, 48});
    }
    ReleaseImageSet(instance);
    std::free(instance);
    return drawn;
}

bool WriteSheet(const std::wstring& folder, const wchar_t* output) {
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromScan0(kSheetWidth, kSheetHeight, 0, PixelFormat32bppARGB, nullptr, &bitmap) != Gdiplus::Ok) {
        return false;
    }
    const ImageOwner sheet(bitmap);
    GpGraphics* graphics = nullptr;
    if (GdipGetImageGraphicsContext(bitmap, &graphics) != Gdiplus::Ok) {
        return false;
    }
    GdipSetInterpolationMode(graphics, Gdiplus::InterpolationModeHighQuality);
    GdipSetCompositingQuality(graphics, Gdiplus::CompositingQualityHighQuality);
    GdipSetSmoothingMode(graphics, Gdiplus::SmoothingModeAntiAlias);
    // A dark dock shelf behind everything.
    Gdiplus::GpSolidFill* shelf = nullptr;
    GdipCreateSolidFill(0xFF2B2D31, &shelf);
    GdipFillRectangleI(graphics, shelf, 0, 0, kSheetWidth, kSheetHeight);
    GdipDeleteBrush(shelf);

    Warr<double> upload(kHistoryCapacity, nullptr);
    Warr<double> download(kHistoryCapacity, nullptr);
    FillHistory(&upload, 9.0, 8.0, 7.0, 0.0);
    FillHistory(&download, 80.0, 70.0, 11.0, 1.0);
    Warr<double> fastUpload(kHistoryCapacity, nullptr);
    Warr<double> fastDownload(kHistoryCapacity, nullptr);
    FillHistory(&fastUpload, 9000.0, 8000.0, 7.0, 0.0);
    FillHistory(&fastDownload, 60000.0, 50000.0, 11.0, 1.0);
    bool drawn = true;
    int index = 0;
    for (const Tile& tile : kTiles) {
        const Histories histories = tile.fast ? Histories{&fastUpload, &fastDownload} : Histories{&upload, &download};
        drawn = DrawTile(graphics, folder, tile, histories, (index % kColumns) * kCellWidth + 8,
                         (index / kColumns) * kCellHeight + 8) && drawn;
        ++index;
    }
    GdipDeleteGraphics(graphics);
    // The PNG encoder's class id, fixed by GDI+.
    static const CLSID kPngEncoder = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    return drawn && GdipSaveImageToFile(bitmap, output, &kPngEncoder, nullptr) == Gdiplus::Ok;
}

bool ReadsBackAtSheetSize(const wchar_t* output) {
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromFile(output, &bitmap) != Gdiplus::Ok) {
        return false;
    }
    const ImageOwner written(bitmap);
    UINT width = 0;
    UINT height = 0;
    GdipGetImageWidth(bitmap, &width);
    GdipGetImageHeight(bitmap, &height);
    return width == kSheetWidth && height == kSheetHeight;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: contact_sheet IMAGE_SET_FOLDER OUTPUT_PNG\n");
        return 2;
    }
    const std::wstring folder = argv[1];
    const wchar_t* output = argv[2];
    DeleteFileW(output);
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
        std::fprintf(stderr, "contact_sheet: GDI+ did not start\n");
        return 1;
    }
    const bool written = WriteSheet(folder, output) && ReadsBackAtSheetSize(output);
    Gdiplus::GdiplusShutdown(token);
    if (!written) {
        std::fprintf(stderr, "contact_sheet: the sheet was not written\n");
        return 1;
    }
    std::printf("contact_sheet: wrote %ls\n", output);
    return 0;
}
