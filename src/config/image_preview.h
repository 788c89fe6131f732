// The Icon page's picture of an image set's background.png.
#pragma once

#include <windows.h>

// The size a width by height image is shown at: its longer side maxSide, its
// aspect kept (both sides truncated), small images enlarged.
SIZE PreviewSize(int width, int height, int maxSide) noexcept;

// Images larger than 256 pixels either way are scaled by drawing; smaller ones
// through a GDI+ thumbnail.
bool PreviewScalesByDrawing(int width, int height) noexcept;

// Loads the image at `path` (8-bit, as the dock takes it) through the dock and
// shows it scaled to maxSide over the menu colour. Nothing changes when the
// dock cannot load it.
void ShowImagePreview(HWND page, int controlId, const char* path, int maxSide) noexcept;
