#include "base/image_set_path.h"
#include "base/host_image.h"
#include "base/text.h"
#include "render/image_set.h"

#include <gtest/gtest.h>

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
