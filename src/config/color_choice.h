// The system colour dialog as the Font and Graph pages open it.
#pragma once

#include <windows.h>

// Opens the full colour dialog at *color, owned by `owner`, with no custom
// colours remembered from earlier calls. True, with *color changed, on OK.
bool ChooseColorFor(HWND owner, COLORREF* color) noexcept;
