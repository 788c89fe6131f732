// Dialog procedure of the network information dialog (template 105): shows the
// adapter as the last discovery left it and looks up the external address
// while it opens.
#pragma once

#include <windows.h>

// May throw (the lookup allocates); the exported procedure guards it.
INT_PTR InfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
