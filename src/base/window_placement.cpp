#include "base/window_placement.h"

POINT CenteredPosition(LONG screenWidth, LONG screenHeight, LONG windowWidth, LONG windowHeight) noexcept {
    LONG x = (screenWidth - windowWidth) / 2;
    LONG y = (screenHeight - windowHeight) / 2;
    if (x < 0) {
        x = 0;
    }
    if (y < 0) {
        y = 0;
    }
    if (x + windowWidth > screenWidth) {
        x = screenWidth - windowWidth;
    }
    if (y + windowHeight > screenHeight) {
        y = screenHeight - windowHeight;
    }
    return POINT{x, y};
}

BOOL CenterWindowOnScreen(HWND window) noexcept {
    if (!window) {
        return FALSE;
    }
    RECT rect{};
    GetWindowRect(window, &rect);
    const POINT position = CenteredPosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                            rect.right - rect.left, rect.bottom - rect.top);
    SetWindowPos(window, nullptr, position.x, position.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}
