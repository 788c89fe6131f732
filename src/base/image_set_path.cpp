#include "base/image_set_path.h"

#include "base/host_api.h"
#include "base/text.h"

#include <cstdio>

bool FormatImageSetPath(const char* root, const char* relative, const char* setFolder, const char* fileName,
                        char* path, size_t capacity) noexcept {
    if (!path || capacity == 0) {
        return false;
    }
    const int written = std::snprintf(path, capacity, "%s%s%s%s%s", root ? root : "", relative ? relative : "",
                                      setFolder ? setFolder : "", fileName ? "\\" : "", fileName ? fileName : "");
    if (written < 0 || static_cast<size_t>(written) >= capacity) {
        path[0] = '\0';
        return false;
    }
    return true;
}

bool BuildImageSetPath(const DockletInstance* instance, ImagePathBase base, const char* fileName, char* path,
                       size_t capacity) noexcept {
    return BuildImageSetPath(instance, instance->imagesFolder, base, fileName, path, capacity);
}

bool BuildImageSetPath(const DockletInstance* instance, const wchar_t* setName, ImagePathBase base,
                       const char* fileName, char* path, size_t capacity) noexcept {
    if (path && capacity > 0) {
        path[0] = '\0';
    }
    char setFolder[kImagePathCapacity];
    if (!WideToAnsi(setName, setFolder, sizeof setFolder)) {
        return false;
    }
    char root[kHostFolderCapacity] = "";
    if (base == ImagePathBase::Root) {
        host::DockletGetRootFolder(instance->hwndDocklet, root);
    }
    char relative[kHostFolderCapacity];
    host::DockletGetRelativeFolder(instance->hwndDocklet, relative);
    return FormatImageSetPath(root, relative, setFolder, fileName, path, capacity);
}
