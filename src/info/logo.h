// The module's logo (bitmap 1006) in the About and information dialogs.
#pragma once

#include <windows.h>

// Draws the logo straight from the module's resource into an owner-drawn
// static, as large as fits the control with its aspect kept, centred: the
// control grows with the system DPI and the logo with it. The dialog makes and
// holds no bitmap for it.
void DrawLogo(const DRAWITEMSTRUCT& item) noexcept;
