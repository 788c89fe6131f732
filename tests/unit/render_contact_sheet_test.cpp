// The shipped image sets, and a contact sheet of the icon in its main states
// composed over them (build/contact-sheet.png) for a person to look at.
#include "render_canvas.h"

#include "base/host_image.h"
#include "base/text.h"
#include "base/rate_history.h"
#include "render/icon_composer.h"
#include "render/image_set.h"
#include "render/outlined_text.h"

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

const wchar_t* const kSets[] = {L"icons", L"mono"};
const wchar_t* const kSetFiles[] = {L"background.png", L"na.png", L"empty.png", L"send.png", L"recv.png"};

struct ImageDeleter {
    void operator()(GpBitmap* bitmap) const { GdipDisposeImage(bitmap); }
};
using BitmapHandle = std::unique_ptr<GpBitmap, ImageDeleter>;

std::wstring SetFile(const wchar_t* set, const wchar_t* file) {
    return std::wstring(L"..\\dist\\VantrelDocklet\\") + set + L"\\" + file;
}

BitmapHandle LoadSetFile(const wchar_t* set, const wchar_t* file) {
    GpBitmap* bitmap = nullptr;
    GdipCreateBitmapFromFile(SetFile(set, file).c_str(), &bitmap);
    return BitmapHandle(bitmap);
}

struct Tile {
    const wchar_t* caption;
    const wchar_t* set;
    const wchar_t* base;
    uint32_t dockletData;
    bool configured;
    bool connected;
};

}  // namespace

class ImageSetArt : public GdiplusTest {};

TEST_F(ImageSetArt, EverySetHasItsFivePicturesAt256WithAlpha) {
    for (const wchar_t* set : kSets) {
        for (const wchar_t* file : kSetFiles) {
            const BitmapHandle bitmap = LoadSetFile(set, file);
            ASSERT_NE(bitmap, nullptr) << SetFile(set, file).c_str();
            UINT width = 0;
            UINT height = 0;
            UINT flags = 0;
            GdipGetImageWidth(bitmap.get(), &width);
            GdipGetImageHeight(bitmap.get(), &height);
            GdipGetImageFlags(bitmap.get(), &flags);
            EXPECT_EQ(width, 256u);
            EXPECT_EQ(height, 256u);
            EXPECT_TRUE(flags & Gdiplus::ImageFlagsHasAlpha);
            const Pixels pixels = ReadPixels(bitmap.get());
            const int ink = CountInk(pixels, PixelRect{0, 0, 256, 256});
            if (std::wstring(file) == L"empty.png") {
                EXPECT_EQ(ink, 0);
            } else {
                // Pictures with a transparent surround, corners clear.
                EXPECT_GT(ink, 2000);
                EXPECT_EQ(pixels.AlphaAt(0, 0), 0);
                EXPECT_EQ(pixels.AlphaAt(255, 255), 0);
            }
        }
    }
}

TEST_F(ImageSetArt, WritesTheContactSheet) {
    const Tile tiles[] = {
        {L"default, transferring", L"icons", L"background.png", kDefaultDockletData, true, true},
        {L"Not Configured", L"icons", L"na.png", kDefaultDockletData, false, true},
        {L"Not Connected", L"icons", L"na.png", kDefaultDockletData, true, false},
        {L"graphs on", L"icons", L"background.png", kDefaultDockletData | kShowGraphs, true, true},
        {L"three readings", L"icons", L"background.png", kShowTotalRate | kShowUploadRate | kShowDownloadRate, true,
         true},
        {L"Hide Icons", L"icons", L"empty.png", kDefaultDockletData | kHideIcons, true, true},
        {L"mono, transferring", L"mono", L"background.png", kDefaultDockletData, true, true},
        {L"mono, everything on", L"mono", L"background.png", 31, true, true},
    };
    constexpr int kColumns = 4;
    constexpr int kCellWidth = 272;
    constexpr int kCellHeight = 352;
    constexpr int kRows = (sizeof tiles / sizeof tiles[0] + kColumns - 1) / kColumns;
    Canvas sheet(kColumns * kCellWidth, kRows * kCellHeight);
    ASSERT_NE(sheet.graphics(), nullptr);
    // A dark dock shelf behind everything.
    Gdiplus::GpSolidFill* shelf = nullptr;
    GdipCreateSolidFill(0xFF2B2D31, &shelf);
    GdipFillRectangleI(sheet.graphics(), shelf, 0, 0, kColumns * kCellWidth, kRows * kCellHeight);
    GdipDeleteBrush(shelf);

    Warr<double>* upload = MakeSeries(116, [](int i) { return 9.0 + 8.0 * std::sin(i / 7.0); });
    Warr<double>* download = MakeSeries(116, [](int i) { return 80.0 + 70.0 * std::sin(i / 11.0 + 1.0); });
    int index = 0;
    for (const Tile& tile : tiles) {
        DockletInstance* instance = MakeTransferringInstance();
        ASSERT_NE(instance, nullptr);
        instance->dockletData = tile.dockletData;
        instance->connected = tile.connected ? 1 : 0;
        if (!tile.configured) {
            instance->interfaceDescription[0] = L'\0';
        }
        instance->uploadHistory = upload;
        instance->downloadHistory = download;
        instance->sendImage = WrapBitmapForHost(LoadSetFile(tile.set, L"send.png").release());
        instance->recvImage = WrapBitmapForHost(LoadSetFile(tile.set, L"recv.png").release());
        ASSERT_NE(instance->sendImage, nullptr);
        ASSERT_NE(instance->recvImage, nullptr);

        const BitmapHandle base = LoadSetFile(tile.set, tile.base);
        ASSERT_NE(base, nullptr);
        const BitmapHandle overlay(ComposeIcon(instance));
        ASSERT_NE(overlay, nullptr);
        const int x = (index % kColumns) * kCellWidth + 8;
        const int y = (index / kColumns) * kCellHeight + 8;
        GdipDrawImageRectI(sheet.graphics(), base.get(), x, y, 256, 256);
        GdipDrawImageRectI(sheet.graphics(), overlay.get(), x, y, 256, 256);
        // The same icon at a common dock size.
        GdipDrawImageRectI(sheet.graphics(), base.get(), x, y + 262, 48, 48);
        GdipDrawImageRectI(sheet.graphics(), overlay.get(), x, y + 262, 48, 48);
        DrawOutlinedText(sheet.graphics(), tile.caption, TextStyle{L"Tahoma", Gdiplus::FontStyleBold, 0xE0E0E0, 255, 15.0f, Gdiplus::StringAlignmentNear, Gdiplus::StringAlignmentCenter, false, false}, PixelRect{x + 56, y + 262, 200, 48});
        ReleaseImageSet(instance);
        std::free(instance);
        ++index;
    }
    delete upload;
    delete download;

    CreateDirectoryW(L"..\\build", nullptr);
    EXPECT_TRUE(SavePng(sheet.bitmap(), L"..\\build\\contact-sheet.png"));
}
