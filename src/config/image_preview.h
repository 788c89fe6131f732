// The Icon page's picture of an image set's background.png.
#pragma once

#include <windows.h>

// Images larger than 256 pixels either way are scaled by drawing; smaller ones
// through a GDI+ thumbnail.
bool PreviewScalesByDrawing(int width, int height) noexcept;

// Loads the image at `path` (8-bit, as the dock takes it) through the dock and
// shows it over the menu colour, as large as fits the control with its aspect
// kept. Nothing changes when the dock cannot load it.
void ShowImagePreview(HWND page, int controlId, const char* path) noexcept;
