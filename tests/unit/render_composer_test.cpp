#include "render_canvas.h"

#include "base/host_image.h"
#include "base/text.h"
#include "base/rate_history.h"
#include "render/icon_cache.h"
#include "render/icon_composer.h"
#include "render/image_set.h"
#include "render/outlined_text.h"
#include "render/traffic_graph.h"

#include <cstdlib>
#include <functional>
#include <limits>
#include <vector>

namespace {

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

// What each setting draws, in drawing order, against the same calls made by hand.
TEST_F(IconComposer, EachStateDrawsItsTextsPicturesAndGraphs) {
    std::vector<double> uploads;
    std::vector<double> downloads;
    for (int i = 0; i < kHistoryCapacity; ++i) {
        uploads.push_back(i % 25);
        downloads.push_back((i % 50) * 4.0);
    }
    const SeriesOwner upload = SeriesOf(uploads);
    const SeriesOwner download = SeriesOf(downloads);
    instance->uploadHistory = upload.get();
    instance->downloadHistory = download.get();
    auto pictures = [this](GpGraphics* g) {
        Picture(g, instance->sendImage);
        Picture(g, instance->recvImage);
    };
    struct Case {
        const char* what;
        uint32_t dockletData;
        std::function<void(DockletInstance*)> change;
        std::function<void(GpGraphics*)> expected;
    };
    const Case cases[] = {
        {"one reading keeps the larger caption", kShowTotalRate, nullptr,
         [&](GpGraphics* g) {
             pictures(g);
             IconText(g, L"Total", 30.0f, 108, 30);
             IconText(g, L"57.3K", 34.0f, 140, 34);
         }},
        {"Hide Icons leaves out only the pictures", kDefaultDockletData | kHideIcons, nullptr, DefaultTexts},
        {"no address", kShowIpAddress | kHideIcons, [](DockletInstance* d) { d->ipV4Address[0] = L'\0'; },
         [](GpGraphics* g) { IconText(g, L"No IP Address", 30.0f, 4, 32); }},
        {"Not Configured wins over connected", 63, [](DockletInstance* d) { d->interfaceDescription[0] = L'\0'; },
         [](GpGraphics* g) { IconText(g, L"Not Configured", 30.0f, 0, 255); }},
        {"Not Connected shows only the state text", 63, [](DockletInstance* d) { d->connected = 0; },
         [](GpGraphics* g) { IconText(g, L"Not Connected", 30.0f, 0, 255); }},
        // Also the order of three readings: Total, Upload, Download.
        {"everything on: pictures, graphs, readings, address",
         kShowTotalRate | kShowUploadRate | kShowDownloadRate | kShowIpAddress | kShowGraphs, nullptr,
         [&](GpGraphics* g) {
             pictures(g);
             DrawTrafficGraph(g, GraphStyle{0xC00000FF, 0x5B000000, 0x5BFFFFFF, L"Tahoma", 0xFFFFFF, 255, 34.0f},
                              L"Upload", 4.2, upload.get(), 20.0, PixelRect{10, 134, 233, 110});
             DrawTrafficGraph(g, GraphStyle{0xC100FF00, 0x5B000000, 0x5BFFFFFF, L"Tahoma", 0xFFFFFF, 255, 34.0f},
                              L"Download", 53.1, download.get(), 180.0, PixelRect{10, 12, 233, 110});
             IconText(g, L"Total", 26.0f, 36, 30);
             IconText(g, L"57.3K", 34.0f, 68, 34);
             IconText(g, L"Upload", 26.0f, 108, 30);
             IconText(g, L"4.2K", 34.0f, 140, 34);
             IconText(g, L"Download", 26.0f, 180, 30);
             IconText(g, L"53.1K", 34.0f, 212, 34);
             IconText(g, L"192.0.2.2", 27.0f, 4, 32);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DockletInstance saved = *instance;
        instance->dockletData = c.dockletData;
        if (c.change) {
            c.change(instance);
        }
        Canvas expected;
        c.expected(expected.graphics());
        EXPECT_EQ(Compose().argb, ReadPixels(expected.bitmap()).argb);
        *instance = saved;
    }
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

// Kept outlines and layers against drawing everything afresh, pixel for pixel:
// the states of the contact sheet, each over rates that change every tick (so
// pictures come and go and readings and bars move), with the look changed and
// the pictures replaced along the way.
TEST_F(IconComposer, KeptOutlinesAndLayersDrawTheSamePixels) {
    ReleaseImageSet(instance);
    instance->sendImage = MakeSolidHostImage(0x80FF2000);
    instance->recvImage = MakeSolidHostImage(0xA000FF40, true);
    Warr<double> upload(kHistoryCapacity, nullptr);
    Warr<double> download(kHistoryCapacity, nullptr);
    instance->uploadHistory = &upload;
    instance->downloadHistory = &download;
    instance->iconCache = CreateIconCache();
    ASSERT_NE(instance->iconCache, nullptr);
    struct State {
        uint32_t dockletData;
        bool configured;
        bool connected;
    };
    const State states[] = {{kDefaultDockletData, true, true}, {kDefaultDockletData, false, true},
                            {kDefaultDockletData, true, false}, {kDefaultDockletData | kShowGraphs, true, true},
                            {kShowTotalRate | kShowUploadRate | kShowDownloadRate, true, true},
                            {kDefaultDockletData | kHideIcons, true, true}, {31, true, true}};
    for (const State& state : states) {
        instance->dockletData = state.dockletData;
        CopyText(instance->interfaceDescription, state.configured ? L"Test Adapter" : L"");
        instance->connected = state.connected ? 1 : 0;
        instance->fontSize = 34;
        for (int tick = 0; tick < 12; ++tick) {
            SCOPED_TRACE(testing::Message() << "dockletData " << state.dockletData << ", tick " << tick);
            instance->uploadRate = tick % 3 == 0 ? 0.0 : 1.7 * tick;
            instance->downloadRate = tick % 4 == 0 ? 0.0 : 23.4 * tick;
            instance->totalRate = instance->uploadRate + instance->downloadRate;
            upload.Append(instance->uploadRate);
            download.Append(instance->downloadRate);
            if (tick == 6) {
                instance->fontSize = 30;
                instance->backgroundAlpha = static_cast<uint8_t>(instance->backgroundAlpha + 40);
            }
            if (tick == 9) {
                ReleaseImageSet(instance);
                EXPECT_EQ(CachedLayerPixels(instance->iconCache, 3), nullptr);
                instance->sendImage = MakeSolidHostImage(0x6000A0FF);
                instance->recvImage = MakeSolidHostImage(0xC0FFFF00, true);
            }
            GpBitmap* cached = ComposeIcon(instance, instance->iconCache);
            ASSERT_NE(cached, nullptr);
            const Pixels fast = ReadPixels(cached);
            GdipDisposeImage(cached);
            ASSERT_EQ(fast.argb, Compose().argb);
        }
    }
    DestroyIconCache(instance->iconCache);
    instance->iconCache = nullptr;
}
