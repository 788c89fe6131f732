#include "base/image_set_path.h"
#include "base/host_image.h"
#include "base/text.h"
#include "render/image_set.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// A dock-side image whose destructor only counts its calls.
int destroyedImages = 0;

void* VANTREL_THISCALL CountingDestructor(HostImage* self, unsigned flags) {
    ++destroyedImages;
    EXPECT_EQ(flags, 1u);
    return self;
}

const void* const kCountingVtable[] = {reinterpret_cast<const void*>(&CountingDestructor)};

std::string TempFolder() {
    char folder[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, folder);
    return std::string(folder, length);
}

}  // namespace

TEST(ImageSetPath, JoinsTheDocksFoldersTheSetAndTheFile) {
    char path[kImagePathCapacity];
    ASSERT_TRUE(FormatImageSetPath("C:\\Dock\\", "Docklets\\Vantrel\\", "icons", "send.png", path, sizeof path));
    EXPECT_STREQ(path, "C:\\Dock\\Docklets\\Vantrel\\icons\\send.png");
    // A dock without the folder functions leaves those parts empty.
    ASSERT_TRUE(FormatImageSetPath("", "", "glass", "recv.png", path, sizeof path));
    EXPECT_STREQ(path, "glass\\recv.png");
}

TEST(ImageSetPath, APathThatDoesNotFitIsRefusedNotCut) {
    char path[kImagePathCapacity];
    // 269 characters plus the terminator fill the buffer exactly.
    const std::string root(269 - std::string("icons\\send.png").size(), 'r');
    ASSERT_TRUE(FormatImageSetPath(root.c_str(), "", "icons", "send.png", path, sizeof path));
    EXPECT_EQ(std::string(path).size(), 269u);
    const std::string longer = root + "x";
    EXPECT_FALSE(FormatImageSetPath(longer.c_str(), "", "icons", "send.png", path, sizeof path));
    EXPECT_STREQ(path, "");
}

TEST(ImageSetPath, ExistenceTestFindsFilesButNotFoldersOrMissingNames) {
    const std::string folder = TempFolder();
    const std::string file = folder + "vantrel-image-set-test.png";
    FILE* handle = std::fopen(file.c_str(), "wb");
    ASSERT_NE(handle, nullptr);
    std::fclose(handle);
    EXPECT_TRUE(ImageFileExists(file.c_str()));
    std::remove(file.c_str());
    EXPECT_FALSE(ImageFileExists(file.c_str()));

    const std::string subfolder = folder + "vantrel-image-set-dir.png";
    ASSERT_TRUE(CreateDirectoryA(subfolder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(ImageFileExists(subfolder.c_str()));
    RemoveDirectoryA(subfolder.c_str());

    EXPECT_FALSE(ImageFileExists(""));
    EXPECT_FALSE(ImageFileExists(nullptr));
}

TEST(ImageSet, ReleaseDeletesEachPictureOnceAndLeavesNone) {
    HostImage send{&kCountingVtable[0], nullptr, 0, 0};
    HostImage recv{&kCountingVtable[0], nullptr, 0, 0};
    auto* instance = static_cast<DockletInstance*>(std::calloc(1, sizeof(DockletInstance)));
    ASSERT_NE(instance, nullptr);
    instance->sendImage = &send;
    instance->recvImage = &recv;
    destroyedImages = 0;
    ReleaseImageSet(instance);
    EXPECT_EQ(destroyedImages, 2);
    EXPECT_EQ(instance->sendImage, nullptr);
    EXPECT_EQ(instance->recvImage, nullptr);
    ReleaseImageSet(instance);
    EXPECT_EQ(destroyedImages, 2);
    ReleaseImageSet(nullptr);
    LoadImageSet(nullptr);
    std::free(instance);
}

TEST(ImageSet, LoadingReleasesTheOldPairFirst) {
    HostImage send{&kCountingVtable[0], nullptr, 0, 0};
    auto* instance = static_cast<DockletInstance*>(std::calloc(1, sizeof(DockletInstance)));
    ASSERT_NE(instance, nullptr);
    CopyText(instance->imagesFolder, L"icons");
    instance->sendImage = &send;
    destroyedImages = 0;
    // No dock here: the new set yields no pictures, but the old one is gone.
    LoadImageSet(instance);
    EXPECT_EQ(destroyedImages, 1);
    EXPECT_EQ(instance->sendImage, nullptr);
    EXPECT_EQ(instance->recvImage, nullptr);
    std::free(instance);
}
