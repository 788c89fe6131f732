// The image set's two activity pictures, send.png and recv.png, which the
// instance loads through the dock and owns until the set changes or it ends.
#pragma once

#include "base/docklet_instance.h"

// Releases the current pictures, then loads send.png and recv.png of the set
// named by imagesFolder from the docklet's folder. A picture whose file is
// missing, whose path does not fit, or whose set name has no
// 8-bit form stays none. Null instance: nothing.
void LoadImageSet(DockletInstance* instance) noexcept;

// Deletes sendImage, then recvImage, leaving both none. Null instance: nothing.
void ReleaseImageSet(DockletInstance* instance) noexcept;

// While the dock's image family is unknown, has the dock load one picture of
// the icon's set (of the shipped set when the chosen one has none) and lets it
// go: the family is learnt from it. Null instance: nothing.
void LearnDockImageFamily(const DockletInstance* instance) noexcept;

// Whether an 8-bit (ANSI code page) path names an existing file.
bool ImageFileExists(const char* path) noexcept;
