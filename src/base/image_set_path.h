// The one place that names files of the icon's image set to the dock. The dock
// takes 8-bit paths only, bounded to 270 bytes with the terminator.
#pragma once

#include "base/docklet_instance.h"

#include <cstddef>

constexpr size_t kImagePathCapacity = 270;

// Where a path starts: the dock's root folder for files the module loads
// itself, the docklet's folder relative to the root for files the dock loads.
enum class ImagePathBase { Root, Relative };

// root + relative + setFolder, then "\" + fileName when fileName is not null.
// False, with path empty, when the whole path does not fit: a cut path would
// name another file.
bool FormatImageSetPath(const char* root, const char* relative, const char* setFolder, const char* fileName,
                        char* path, size_t capacity) noexcept;

// The same for the instance's imagesFolder, with the folders asked of the dock.
// Also false when the set's name has no 8-bit form.
bool BuildImageSetPath(const DockletInstance* instance, ImagePathBase base, const char* fileName, char* path,
                       size_t capacity) noexcept;
// The same for another set of the docklet's folder.
bool BuildImageSetPath(const DockletInstance* instance, const wchar_t* setName, ImagePathBase base,
                       const char* fileName, char* path, size_t capacity) noexcept;
