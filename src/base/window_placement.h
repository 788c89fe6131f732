// Placement of the module's dialogs and property sheet on the primary screen.
#pragma once

#include <windows.h>

// Where a window of size w by h goes to stand centred on a screen of W by H:
// halves truncated toward zero, then clamped so that the left and top edges
// are on screen, then so that the right and bottom edges are (the second pair
// wins for a window larger than the screen).
POINT CenteredPosition(LONG screenWidth, LONG screenHeight, LONG windowWidth, LONG windowHeight) noexcept;

// Moves the window to the centre of the primary screen without resizing,
// reordering or activating it. FALSE for a null window.
BOOL CenterWindowOnScreen(HWND window) noexcept;
