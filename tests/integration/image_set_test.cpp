// The image sets as the dock loads them for the module, and the overlay pixels
// the module hands over.
#include "refresh_fixture.h"

#include <algorithm>

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

TEST_F(ImageSetTest, EveryShippedSetHasItsFiveFiles) {
    for (const char* set : {"icons", "mono"}) {
        for (const char* file : {"background.png", "na.png", "empty.png", "send.png", "recv.png"}) {
            const std::string path = dock->rootFolder + dock->relativeFolder + set + "\\" + file;
            EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << path;
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
    EXPECT_TRUE(LoadedPaths().empty()) << "the dock is not asked for files that do not exist";
    EXPECT_EQ(unknown.imageFile, "VantrelDocklet\\nosuch\\na.png");

    Hooks().missingHostFunctions = {"DockletLoadGDIPlusImage"};
    ServeCounters(0, 0, 0);
    ServeCounters(1, 4000, 3000);
    Icon& icon = CreateConfiguredIcon("LabelData=4\r\n");
    EXPECT_EQ(icon.label, "Download: 4.0K");
    EXPECT_EQ(testdock::Counters().created, 0);
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

TEST_F(ImageSetTest, DownloadPictureAppearsOnlyWhileDataComesInAndNeverInTheLastRowOrColumn) {
    ServeCounters(0, 0, 0);
    ServeCounters(1, 0, 0);
    Icon& idle = CreateConfiguredIcon("DockletData=0\r\n");
    const int idleInk = InkIn(dock->OverlayPixels(idle), 0, 0, 256, 256);
    EXPECT_EQ(idleInk, 0) << "nothing to show, nothing flowing";

    ServeCounters(0, 0, 0);
    ServeCounters(1, 90000, 0);
    Icon& receiving = CreateConfiguredIcon("DockletData=0\r\n");
    const std::vector<uint32_t> pixels = dock->OverlayPixels(receiving);
    EXPECT_GT(InkIn(pixels, 0, 0, 256, 256), 1000) << "recv.png laid over the base";
    EXPECT_EQ(InkIn(pixels, 255, 0, 256, 256), 0);
    EXPECT_EQ(InkIn(pixels, 0, 255, 256, 256), 0);

    ServeCounters(0, 0, 0);
    ServeCounters(1, 90000, 0);
    Icon& hidden = CreateConfiguredIcon("DockletData=32\r\n");
    EXPECT_EQ(InkIn(dock->OverlayPixels(hidden), 0, 0, 256, 256), 0) << "Hide Icons suppresses the pictures";
    EXPECT_EQ(hidden.imageFile, "VantrelDocklet\\icons\\empty.png");
}

TEST_F(ImageSetTest, ComposedIconIsWrittenAsPng) {
    ServeCounters(0, 0, 0);
    ServeCounters(1, 60000, 8000);
    Icon& icon = CreateConfiguredIcon();
    const std::string png = scratch->File("icon.png");
    ASSERT_TRUE(dock->SaveComposedIcon(icon, testdock::Widen(png)));
    const std::string bytes = ReadFile(png);
    ASSERT_GT(bytes.size(), 1000u);
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
}

}  // namespace
}  // namespace vantrel_test
