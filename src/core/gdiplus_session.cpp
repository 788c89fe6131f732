#include "core/gdiplus_session.h"

#include "base/gdiplus_api.h"

namespace {
// Zero while no session runs.
ULONG_PTR gdiplusToken = 0;
}

int StartGdiplus() noexcept {
    if (gdiplusToken != 0) {
        return 0;
    }
    Gdiplus::GdiplusStartupInput input;
    input.GdiplusVersion = 1;
    input.DebugEventCallback = nullptr;
    input.SuppressBackgroundThread = FALSE;
    input.SuppressExternalCodecs = FALSE;
    ULONG_PTR token = 0;
    const Gdiplus::Status status = Gdiplus::GdiplusStartup(&token, &input, nullptr);
    if (status == Gdiplus::Ok) {
        gdiplusToken = token;
    }
    return static_cast<int>(status);
}

void StopGdiplus() noexcept {
    if (gdiplusToken != 0) {
        Gdiplus::GdiplusShutdown(gdiplusToken);
        gdiplusToken = 0;
    }
}
