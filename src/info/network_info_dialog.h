// Dialog procedure of the network information dialog (template 105).
#pragma once

#include <windows.h>

INT_PTR InfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
