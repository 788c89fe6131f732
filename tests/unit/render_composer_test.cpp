#include "render_canvas.h"

#include "base/host_image.h"
#include "base/text.h"
#include "base/rate_history.h"
#include "render/icon_composer.h"
#include "render/image_set.h"
#include "render/outlined_text.h"
#include "render/traffic_graph.h"

#include <cstdlib>
#include <limits>
#include <vector>

namespace {

constexpr PixelRect kWhole{0, 0, 256, 256};
constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGreen = 0xFF00FF00;

// The composer's text style with the default font settings.
void IconText(GpGraphics* graphics, const wchar_t* text, float emSize, int y, int height) {
    DrawOutlinedText(graphics, text, TextStyle{L"Tahoma", Gdiplus::FontStyleBold, 0xFFFFFF, 255, emSize, Gdiplus::StringAlignmentCenter, Gdiplus::StringAlignmentCenter, true, true}, PixelRect{0, y, 255, height});
}

void Picture(GpGraphics* graphics, HostImage* image) {
    GdipDrawImageRectI(graphics, NativeImageOf(image), 0, 0, 255, 255);
}

// What the default dockletData shows over the pictures: two readings and the address.
void DefaultTexts(GpGraphics* graphics) {
    IconText(graphics, L"Upload", 26.0f, 66, 30);
    IconText(graphics, L"4.2K", 34.0f, 98, 34);
    IconText(graphics, L"Download", 26.0f, 138, 30);
    IconText(graphics, L"53.1K", 34.0f, 170, 34);
    IconText(graphics, L"192.0.2.2", 27.0f, 4, 32);
}

}  // namespace

class IconComposer : public GdiplusTest {
protected:
    void SetUp() override {
        instance = MakeTransferringInstance();
        ASSERT_NE(instance, nullptr);
        instance->sendImage = MakeSolidHostImage(kRed);
        instance->recvImage = MakeSolidHostImage(kGreen, true);
        ASSERT_NE(instance->sendImage, nullptr);
        ASSERT_NE(instance->recvImage, nullptr);
    }
    void TearDown() override {
        ReleaseImageSet(instance);
        std::free(instance);
    }

    Pixels Compose() const {
        GpBitmap* bitmap = ComposeIcon(instance);
        EXPECT_NE(bitmap, nullptr);
        Pixels pixels = ReadPixels(bitmap);
        GdipDisposeImage(bitmap);
        return pixels;
    }

    DockletInstance* instance = nullptr;
};

TEST_F(IconComposer, GivesATransparent256SquareArgbBitmap) {
    instance->dockletData = 0;
    GpBitmap* bitmap = ComposeIcon(instance);
    ASSERT_NE(bitmap, nullptr);
    UINT width = 0;
    UINT height = 0;
    Gdiplus::PixelFormat format = 0;
    GdipGetImageWidth(bitmap, &width);
    GdipGetImageHeight(bitmap, &height);
    GdipGetImagePixelFormat(bitmap, &format);
    EXPECT_EQ(width, 256u);
    EXPECT_EQ(height, 256u);
    EXPECT_EQ(format, PixelFormat32bppARGB);
    // Host-ready: the wrapper owns the bitmap from here on.
    HostImage* forHost = WrapBitmapForHost(bitmap);
    ASSERT_NE(forHost, nullptr);
    const Pixels pixels = ReadPixels(static_cast<GpBitmap*>(NativeImageOf(forHost)));
    DeleteHostImage(forHost);
    // Rates are above 0, so only the pictures were drawn.
    EXPECT_GT(CountInk(pixels, kWhole), 0);
    EXPECT_EQ(ComposeIcon(nullptr), nullptr);

    instance->uploadRate = 0.0;
    instance->downloadRate = 0.0;
    EXPECT_EQ(CountInk(Compose(), kWhole), 0);
}

TEST_F(IconComposer, DefaultSettingsWhileTransferring) {
    Canvas expected;
    Picture(expected.graphics(), instance->sendImage);
    Picture(expected.graphics(), instance->recvImage);
    DefaultTexts(expected.graphics());
    EXPECT_EQ(Compose().argb, ReadPixels(expected.bitmap()).argb);
}

TEST_F(IconComposer, TextsFormFiveCentredBandsTopToBottom) {
    instance->dockletData = kDefaultDockletData | kHideIcons;
    const Pixels pixels = Compose();
    // Runs of inked rows: the address line, then caption and value of each reading.
    std::vector<PixelRect> bands;
    bool inBand = false;
    for (int y = 0; y < 256; ++y) {
        const bool inked = CountInk(pixels, PixelRect{0, y, 256, 1}) > 0;
        if (inked && !inBand) {
            bands.push_back(PixelRect{0, y, 256, 0});
        }
        if (inked) {
            bands.back().height = y - bands.back().y + 1;
        }
        inBand = inked;
    }
    const PixelRect rows[] = {{0, 4, 255, 32}, {0, 66, 255, 30}, {0, 98, 255, 34}, {0, 138, 255, 30},
                              {0, 170, 255, 34}};
    ASSERT_EQ(bands.size(), 5u);
    for (size_t i = 0; i < bands.size(); ++i) {
        // Each band meets its own row rectangle.
        EXPECT_LT(bands[i].y, rows[i].y + rows[i].height) << "band " << i;
        EXPECT_GT(bands[i].y + bands[i].height, rows[i].y) << "band " << i;
        const PixelRect ink = InkBounds(pixels, bands[i]);
        EXPECT_NEAR(ink.x + ink.width / 2, 128, 6) << "band " << i;
    }
    EXPECT_EQ(CountInk(pixels, PixelRect{0, 210, 256, 46}), 0);
    EXPECT_EQ(CountInk(pixels, PixelRect{0, 0, 40, 256}), 0);
    EXPECT_EQ(CountInk(pixels, PixelRect{216, 0, 40, 256}), 0);
}

TEST_F(IconComposer, OneReadingKeepsTheLargerCaption) {
    instance->dockletData = kShowTotalRate;
    Canvas expected;
    Picture(expected.graphics(), instance->sendImage);
    Picture(expected.graphics(), instance->recvImage);
    IconText(expected.graphics(), L"Total", 30.0f, 108, 30);
    IconText(expected.graphics(), L"57.3K", 34.0f, 140, 34);
    EXPECT_EQ(Compose().argb, ReadPixels(expected.bitmap()).argb);
}

TEST_F(IconComposer, ActivityPicturesOnlyForRatesAboveZeroRecvOverSend) {
    instance->dockletData = 0;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double upload;
        double download;
        uint32_t left;
        uint32_t right;
    };
    const Case cases[] = {
        {0.0, 0.0, 0, 0},         {-1.0, nan, 0, 0},           {0.1, 0.0, kRed, kRed},
        {0.0, 0.1, kGreen, 0},    {5.0, 5.0, kGreen, kRed},
    };
    for (const Case& c : cases) {
        instance->uploadRate = c.upload;
        instance->downloadRate = c.download;
        const Pixels pixels = Compose();
        EXPECT_EQ(pixels.At(60, 128), c.left) << c.upload << " / " << c.download;
        EXPECT_EQ(pixels.At(200, 128), c.right) << c.upload << " / " << c.download;
        if (c.right != 0) {
            // Stretched to 255 by 255: the last row and column stay clear.
            EXPECT_EQ(CountInk(pixels, PixelRect{255, 0, 1, 256}), 0);
            EXPECT_EQ(CountInk(pixels, PixelRect{0, 255, 256, 1}), 0);
            EXPECT_GT(pixels.AlphaAt(254, 128), 0);
            EXPECT_GT(pixels.AlphaAt(128, 254), 0);
        }
    }
}

TEST_F(IconComposer, MissingPicturesAreLeftOut) {
    instance->dockletData = 0;
    DeleteHostImage(instance->sendImage);
    instance->sendImage = nullptr;
    const Pixels pixels = Compose();
    EXPECT_EQ(pixels.At(60, 128), kGreen);
    EXPECT_EQ(pixels.At(200, 128), 0u);
}

TEST_F(IconComposer, HideIconsLeavesOutOnlyThePictures) {
    instance->dockletData = kDefaultDockletData | kHideIcons;
    Canvas expected;
    DefaultTexts(expected.graphics());
    EXPECT_EQ(Compose().argb, ReadPixels(expected.bitmap()).argb);
}

TEST_F(IconComposer, AddressLineSaysNoIpAddressWhenThereIsNone) {
    instance->dockletData = kShowIpAddress | kHideIcons;
    instance->ipV4Address[0] = L'\0';
    Canvas expected;
    IconText(expected.graphics(), L"No IP Address", 30.0f, 4, 32);
    EXPECT_EQ(Compose().argb, ReadPixels(expected.bitmap()).argb);
}

TEST_F(IconComposer, NotConfiguredWinsOverConnected) {
    instance->dockletData = 63;
    instance->interfaceDescription[0] = L'\0';
    Canvas expected;
    IconText(expected.graphics(), L"Not Configured", 30.0f, 0, 255);
    const Pixels pixels = Compose();
    EXPECT_EQ(pixels.argb, ReadPixels(expected.bitmap()).argb);
    EXPECT_GT(CountInk(pixels, PixelRect{0, 110, 256, 36}), 0);
    EXPECT_EQ(CountInk(pixels, PixelRect{0, 0, 256, 100}), 0);
}

TEST_F(IconComposer, NotConnectedShowsOnlyTheStateText) {
    instance->dockletData = 63;
    instance->connected = 0;
    Canvas expected;
    IconText(expected.graphics(), L"Not Connected", 30.0f, 0, 255);
    EXPECT_EQ(Compose().argb, ReadPixels(expected.bitmap()).argb);
}

// Also the order of three readings: Total, Upload, Download.
TEST_F(IconComposer, EverythingOnStacksPicturesGraphsReadingsAddress) {
    Warr<double>* upload = MakeSeries(116, [](int i) { return (i % 25) * 1.0; });
    Warr<double>* download = MakeSeries(116, [](int i) { return (i % 50) * 4.0; });
    instance->uploadHistory = upload;
    instance->downloadHistory = download;
    instance->dockletData = kShowTotalRate | kShowUploadRate | kShowDownloadRate | kShowIpAddress | kShowGraphs;

    Canvas expected;
    Picture(expected.graphics(), instance->sendImage);
    Picture(expected.graphics(), instance->recvImage);
    DrawTrafficGraph(expected.graphics(), GraphStyle{0xC00000FF, 0x5B000000, 0x5BFFFFFF, L"Tahoma", 0xFFFFFF, 255, 34.0f}, L"Upload", 4.2, upload, 20.0, PixelRect{10, 134, 233, 110});
    DrawTrafficGraph(expected.graphics(), GraphStyle{0xC100FF00, 0x5B000000, 0x5BFFFFFF, L"Tahoma", 0xFFFFFF, 255, 34.0f}, L"Download", 53.1, download, 180.0, PixelRect{10, 12, 233, 110});
    IconText(expected.graphics(), L"Total", 26.0f, 36, 30);
    IconText(expected.graphics(), L"57.3K", 34.0f, 68, 34);
    IconText(expected.graphics(), L"Upload", 26.0f, 108, 30);
    IconText(expected.graphics(), L"4.2K", 34.0f, 140, 34);
    IconText(expected.graphics(), L"Download", 26.0f, 180, 30);
    IconText(expected.graphics(), L"53.1K", 34.0f, 212, 34);
    IconText(expected.graphics(), L"192.0.2.2", 27.0f, 4, 32);
    EXPECT_EQ(Compose().argb, ReadPixels(expected.bitmap()).argb);
    delete upload;
    delete download;
}

TEST_F(IconComposer, UnknownFontFamilyDrawsNoTextButTheRest) {
    instance->dockletData = kDefaultDockletData | kShowGraphs;
    const Pixels withText = Compose();
    instance->fontAlpha = 0;
    const Pixels invisibleText = Compose();
    instance->fontAlpha = 255;
    CopyText(instance->fontName, L"No Such Family Vantrel");
    const Pixels unknownFamily = Compose();
    EXPECT_NE(withText.argb, invisibleText.argb);
    EXPECT_EQ(unknownFamily.argb, invisibleText.argb);
    EXPECT_EQ(unknownFamily.At(60, 128), kGreen);
    EXPECT_NE(unknownFamily.At(100, 60), kGreen);
}
