#include "render/image_set.h"

#include "base/host_api.h"
#include "base/host_image.h"
#include "base/image_family.h"
#include "base/image_set_path.h"
#include "base/owners.h"
#include "base/text.h"
#include "render/icon_cache.h"

namespace {

HostImage* LoadPicture(const DockletInstance* instance, const wchar_t* setName, const char* fileName) noexcept {
    char path[kImagePathCapacity];
    if (!BuildImageSetPath(instance, setName, ImagePathBase::Root, fileName, path, sizeof path) ||
        !ImageFileExists(path)) {
        return nullptr;
    }
    return host::DockletLoadGDIPlusImage(path);
}

// The set the docklet ships with, and the pictures a set may hold.
constexpr wchar_t kShippedImageSet[] = L"icons";
constexpr const char* kSetPictures[] = {"send.png", "recv.png", "background.png", "na.png", "empty.png"};

}  // namespace

bool ImageFileExists(const char* path) noexcept {
    wchar_t widePath[kImagePathCapacity];
    if (!path || path[0] == '\0' || !AnsiToWide(path, widePath, kImagePathCapacity)) {
        return false;
    }
    WIN32_FIND_DATAW found;
    const FindOwner search(
        FindFirstFileExW(widePath, FindExInfoStandard, &found, FindExSearchNameMatch, nullptr, 0));
    return search && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

void ReleaseImageSet(DockletInstance* instance) noexcept {
    if (!instance) {
        return;
    }
    // New pictures may come back at the old ones' addresses.
    ForgetIconCache(instance->iconCache);
    DeleteHostImage(instance->sendImage);
    instance->sendImage = nullptr;
    DeleteHostImage(instance->recvImage);
    instance->recvImage = nullptr;
    ++instance->imageSetGeneration;
}

void LoadImageSet(DockletInstance* instance) noexcept {
    if (!instance) {
        return;
    }
    ReleaseImageSet(instance);

    instance->sendImage = LoadPicture(instance, instance->imagesFolder, "send.png");
    instance->recvImage = LoadPicture(instance, instance->imagesFolder, "recv.png");
}

void LearnDockImageFamily(const DockletInstance* instance) noexcept {
    // A dock without the loader has nothing to learn from: spare the file checks.
    if (!instance || KnownDockImageFamily() != DockImageFamily::Unknown ||
        !host::DockExports("DockletLoadGDIPlusImage")) {
        return;
    }
    const wchar_t* const sets[] = {instance->imagesFolder, kShippedImageSet};
    for (const wchar_t* set : sets) {
        for (const char* file : kSetPictures) {
            if (const HostImageOwner picture{LoadPicture(instance, set, file)}) {
                return;
            }
        }
    }
}
