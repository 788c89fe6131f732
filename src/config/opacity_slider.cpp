#include "config/opacity_slider.h"

#include <commctrl.h>

#include <cwchar>

void FormatOpacityPercent(uint8_t alpha, wchar_t* text, size_t capacity) noexcept {
    std::swprintf(text, capacity, L"%d%%", alpha * 100 / 255);
}

void SetUpOpacitySlider(HWND page, int sliderId, int percentId, uint8_t alpha) noexcept {
    SendDlgItemMessageW(page, sliderId, TBM_SETRANGE, TRUE, MAKELPARAM(0, 255));
    SendDlgItemMessageW(page, sliderId, TBM_SETPAGESIZE, 0, 15);
    SendDlgItemMessageW(page, sliderId, TBM_SETTICFREQ, 15, 0);
    SendDlgItemMessageW(page, sliderId, TBM_SETPOS, TRUE, alpha);
    ShowOpacityPercent(page, percentId, alpha);
}

uint8_t SliderOpacity(HWND page, int sliderId) noexcept {
    return static_cast<uint8_t>(SendDlgItemMessageW(page, sliderId, TBM_GETPOS, 0, 0));
}

void ShowOpacityPercent(HWND page, int percentId, uint8_t alpha) noexcept {
    wchar_t text[20];
    FormatOpacityPercent(alpha, text, 20);
    SetDlgItemTextW(page, percentId, text);
}

bool IsSliderSettled(WPARAM scrollCode) noexcept {
    const WORD code = LOWORD(scrollCode);
    return code == TB_THUMBTRACK || code == TB_ENDTRACK;
}
