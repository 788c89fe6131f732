// The system colour dialog as the Font and Graph pages open it.
#pragma once

#include <windows.h>

#include <cstdint>

// Opens the full colour dialog at *color, owned by `owner`, with no custom
// colours remembered from earlier calls. True, with *color changed, on OK.
// *shown (when not null) is 1 while the dialog is up.
bool ChooseColorFor(HWND owner, COLORREF* color, int32_t* shown) noexcept;
