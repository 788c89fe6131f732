// Dialog procedure of the network information dialog (template 105): shows the
// adapter as the last discovery left it and the external address once the
// lookup that runs beside it ends.
#pragma once

#include <windows.h>

// May throw (filling the rows allocates); the exported procedure guards it.
INT_PTR InfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
