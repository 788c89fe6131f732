// Dialog procedure of the About box (template 102).
#pragma once

#include <windows.h>

INT_PTR AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
