#include "config/color_choice.h"

#include "base/activation_context.h"

#include <commdlg.h>

bool ChooseColorFor(HWND owner, COLORREF* color, int32_t* shown) noexcept {
    COLORREF customColors[16] = {};
    CHOOSECOLORW choice{};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = owner;
    choice.rgbResult = *color;
    choice.lpCustColors = customColors;
    choice.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (shown) {
        *shown = 1;
    }
    const BOOL chosen = WithModuleControls([&] { return ChooseColorW(&choice); });
    if (shown) {
        *shown = 0;
    }
    if (chosen != TRUE) {
        return false;
    }
    *color = choice.rgbResult;
    return true;
}
