// Dialog procedure of the settings sheet's hidden placeholder (template 109).
#pragma once

#include <windows.h>

INT_PTR ConfigureDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
