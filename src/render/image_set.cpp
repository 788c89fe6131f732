#include "render/image_set.h"

#include "core/host_api.h"
#include "core/host_image.h"
#include "core/text.h"

#include <cstdio>

namespace {

struct FindHandleCloser {
    HANDLE handle;
    ~FindHandleCloser() {
        if (handle != INVALID_HANDLE_VALUE) {
            FindClose(handle);
        }
    }
};

HostImage* LoadPicture(const char* root, const char* relative, const char* setFolder,
                       const char* fileName) noexcept {
    char path[kImagePathCapacity];
    if (!FormatImageSetPath(root, relative, setFolder, fileName, path) || !ImageFileExists(path)) {
        return nullptr;
    }
    return host::DockletLoadGDIPlusImage(path);
}

}  // namespace

bool FormatImageSetPath(const char* root, const char* relative, const char* setFolder, const char* fileName,
                        char (&path)[kImagePathCapacity]) noexcept {
    const int written = std::snprintf(path, kImagePathCapacity, "%s%s%s\\%s", root ? root : "",
                                      relative ? relative : "", setFolder ? setFolder : "",
                                      fileName ? fileName : "");
    if (written < 0 || static_cast<size_t>(written) >= kImagePathCapacity) {
        path[0] = '\0';
        return false;
    }
    return true;
}

bool ImageFileExists(const char* path) noexcept {
    wchar_t widePath[kImagePathCapacity];
    if (!path || path[0] == '\0' || !AnsiToWide(path, widePath, kImagePathCapacity)) {
        return false;
    }
    WIN32_FIND_DATAW found;
    const FindHandleCloser search{
        FindFirstFileExW(widePath, FindExInfoStandard, &found, FindExSearchNameMatch, nullptr, 0)};
    return search.handle != INVALID_HANDLE_VALUE && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

void ReleaseImageSet(DockletInstance* instance) noexcept {
    if (!instance) {
        return;
    }
    DeleteHostImage(instance->sendImage);
    instance->sendImage = nullptr;
    DeleteHostImage(instance->recvImage);
    instance->recvImage = nullptr;
}

void LoadImageSet(DockletInstance* instance) noexcept {
    if (!instance) {
        return;
    }
    ReleaseImageSet(instance);

    char root[kHostFolderCapacity] = "";
    char relative[kHostFolderCapacity] = "";
    host::DockletGetRootFolder(instance->hwndDocklet, root);
    host::DockletGetRelativeFolder(instance->hwndDocklet, relative);
    root[kHostFolderCapacity - 1] = '\0';
    relative[kHostFolderCapacity - 1] = '\0';

    // The dock takes 8-bit paths only: a set name without an 8-bit form cannot be named to it.
    wchar_t setName[kImagePathCapacity];
    CopyText(setName, instance->imagesFolder);
    char setFolder[kImagePathCapacity];
    if (!WideToAnsi(setName, setFolder, kImagePathCapacity)) {
        return;
    }

    instance->sendImage = LoadPicture(root, relative, setFolder, "send.png");
    instance->recvImage = LoadPicture(root, relative, setFolder, "recv.png");
}
