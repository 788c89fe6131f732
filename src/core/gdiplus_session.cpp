#include "core/gdiplus_session.h"

#include "base/gdiplus_api.h"

namespace {
ULONG_PTR gdiplusToken = 0;
}

int StartGdiplus() noexcept {
    Gdiplus::GdiplusStartupInput input;
    input.GdiplusVersion = 1;
    input.DebugEventCallback = nullptr;
    input.SuppressBackgroundThread = FALSE;
    input.SuppressExternalCodecs = FALSE;
    return static_cast<int>(Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr));
}

void StopGdiplus() noexcept {
    Gdiplus::GdiplusShutdown(gdiplusToken);
}
