// The image sets as the dock loads them for the module, and the overlay pixels
// the module hands over.
#include "refresh_fixture.h"

#include "base/gdiplus_api.h"

namespace vantrel_test {
namespace {

class ImageSetTest : public RefreshTest {
protected:
    void SetUp() override {
        RefreshTest::SetUp();
        // The shipped folder, as a dock would hold it: tests run in tests/.
        char full[MAX_PATH];
        GetFullPathNameA("..\\dist\\", MAX_PATH, full, nullptr);
        dock->rootFolder = full;
        dock->relativeFolder = "VantrelDocklet\\";
    }

    std::vector<std::string> LoadedPaths() const {
        std::vector<std::string> paths;
        for (const testdock::Event& event : dock->looseEvents) {
            if (event.kind == EventKind::LoadImage) {
                paths.push_back(event.text.substr(dock->rootFolder.size()) + (event.number ? "" : " (failed)"));
            }
        }
        return paths;
    }
};

int Alpha(const std::vector<uint32_t>& pixels, int x, int y) { return static_cast<int>(pixels[y * 256 + x] >> 24); }

int InkIn(const std::vector<uint32_t>& pixels, int left, int top, int right, int bottom) {
    int ink = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            ink += Alpha(pixels, x, y) != 0;
        }
    }
    return ink;
}

TEST_F(ImageSetTest, ShippedSetLoadsBothActivityPicturesAndDestroyReleasesThem) {
    Icon& icon = dock->CreateIcon();
    EXPECT_EQ(LoadedPaths(), (std::vector<std::string>{"VantrelDocklet\\icons\\send.png",
                                                       "VantrelDocklet\\icons\\recv.png"}));
    EXPECT_EQ(testdock::Counters().Live(), 2);
    dock->Destroy(icon);
    EXPECT_EQ(testdock::Counters().Live(), 0);
    EXPECT_EQ(testdock::Counters().deletedTwice, 0);
}

// What a dock shows must be a 256-pixel picture with a transparent surround
// (so with alpha), and empty.png nothing at all.
TEST_F(ImageSetTest, EveryShippedSetHasItsFivePicturesAt256WithAlpha) {
    for (const char* set : {"icons", "mono"}) {
        for (const std::string file : {"background.png", "na.png", "empty.png", "send.png", "recv.png"}) {
            const std::string path = dock->rootFolder + dock->relativeFolder + set + "\\" + file;
            SCOPED_TRACE(path);
            GpBitmap* bitmap = nullptr;
            ASSERT_EQ(GdipCreateBitmapFromFile(testdock::Widen(path).c_str(), &bitmap), Gdiplus::Ok);
            UINT width = 0, height = 0;
            GdipGetImageWidth(bitmap, &width);
            GdipGetImageHeight(bitmap, &height);
            int ink = 0;  // on every fourth pixel of every fourth row
            for (int y = 0; y < 256; y += 4) {
                for (int x = 0; x < 256; x += 4) {
                    Gdiplus::ARGB argb = 0;
                    GdipBitmapGetPixel(bitmap, x, y, &argb);
                    ink += (argb >> 24) != 0;
                }
            }
            Gdiplus::ARGB corner = 0;
            GdipBitmapGetPixel(bitmap, 255, 255, &corner);
            GdipDisposeImage(bitmap);
            EXPECT_EQ(width, 256u);
            EXPECT_EQ(height, 256u);
            EXPECT_EQ(corner >> 24, 0u);
            if (file == "empty.png") {
                EXPECT_EQ(ink, 0);
            } else {
                EXPECT_GT(ink, 125);
            }
        }
    }
}

TEST_F(ImageSetTest, SetWithoutSendPictureLoadsOnlyRecv) {
    dock->rootFolder = scratch->Path();
    const std::string set = scratch->Path() + dock->relativeFolder;
    CreateDirectoryA((scratch->Path() + "VantrelDocklet").c_str(), nullptr);
    CreateDirectoryA((set + "partial").c_str(), nullptr);
    char shipped[MAX_PATH];
    GetFullPathNameA("..\\dist\\VantrelDocklet\\icons\\recv.png", MAX_PATH, shipped, nullptr);
    ASSERT_TRUE(CopyFileA(shipped, (set + "partial\\recv.png").c_str(), FALSE));

    const std::string ini = scratch->File("partial.ini");
    WriteFile(ini, "[P]\r\nImagesFolder=partial\r\n");
    dock->CreateIcon(ini.c_str(), "P");
    EXPECT_EQ(LoadedPaths(), std::vector<std::string>{"VantrelDocklet\\partial\\recv.png"});
    EXPECT_EQ(testdock::Counters().Live(), 1);
}

TEST_F(ImageSetTest, UnknownSetOrNoLoaderLoadsNothingAndTheIconStillWorks) {
    const std::string ini = scratch->File("nosuch.ini");
    WriteFile(ini, "[N]\r\nImagesFolder=nosuch\r\n");
    Icon& unknown = dock->CreateIcon(ini.c_str(), "N");
    // Not for files that do not exist: one shipped picture, to learn how the dock hands images.
    EXPECT_EQ(LoadedPaths(), std::vector<std::string>{"VantrelDocklet\\icons\\send.png"});
    EXPECT_EQ(testdock::Counters().Live(), 0);
    EXPECT_EQ(unknown.imageFile, "VantrelDocklet\\nosuch\\na.png");

    Hooks().missingHostFunctions = {"DockletLoadGDIPlusImage"};
    ServeCounters(0, 0, 0);
    ServeCounters(1, 4000, 3000);
    const int created = testdock::Counters().created;
    Icon& icon = CreateConfiguredIcon("LabelData=4\r\n");
    EXPECT_EQ(icon.label, "Download: 4.0K");
    EXPECT_EQ(testdock::Counters().created, created);
    EXPECT_EQ(icon.EventsOf(EventKind::Overlay).back()->width, 256);
}

TEST_F(ImageSetTest, NotConfiguredOverlayIsACentredStateText) {
    Icon& icon = dock->CreateIcon();
    const std::vector<uint32_t> pixels = dock->OverlayPixels(icon);
    ASSERT_EQ(pixels.size(), 256u * 256u);
    EXPECT_GT(InkIn(pixels, 0, 96, 256, 170), 500) << "the state text";
    EXPECT_EQ(InkIn(pixels, 0, 0, 256, 60), 0);
    EXPECT_EQ(InkIn(pixels, 0, 200, 256, 256), 0);
}

// The pictures the dock loaded reach the overlay only while data flows.
TEST_F(ImageSetTest, DownloadPictureAppearsOnlyWhileDataComesIn) {
    ServeCounters(0, 0, 0);
    ServeCounters(1, 0, 0);
    Icon& idle = CreateConfiguredIcon("DockletData=0\r\n");
    EXPECT_EQ(InkIn(dock->OverlayPixels(idle), 0, 0, 256, 256), 0) << "nothing to show, nothing flowing";

    ServeCounters(0, 0, 0);
    ServeCounters(1, 90000, 0);
    Icon& receiving = CreateConfiguredIcon("DockletData=0\r\n");
    EXPECT_GT(InkIn(dock->OverlayPixels(receiving), 0, 0, 256, 256), 1000) << "recv.png laid over the base";
}

}  // namespace
}  // namespace vantrel_test
