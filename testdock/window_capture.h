// A picture of a window as it stands on the screen.
#pragma once

#include <windows.h>

#include <string>

namespace testdock {

// Copies the window's screen area, frame included, into a PNG file. Needs
// GDI+ started (the test dock starts it).
bool SaveWindowPng(HWND window, const std::wstring& path);

}  // namespace testdock
