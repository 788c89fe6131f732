// The GDI+ flat interface, brought into reach without the C++ wrapper classes:
// their layout differs between compilers, and only the flat calls are stable.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <gdiplus.h>

using Gdiplus::GpStatus;
using namespace Gdiplus::DllExports;

using GpImage = Gdiplus::GpImage;
using GpBitmap = Gdiplus::GpBitmap;
using GpGraphics = Gdiplus::GpGraphics;
