// Dialog procedure of the settings sheet's hidden placeholder (template 109):
// it carries the live instance, runs the sheet on a working copy and commits
// it, all before its own modal loop starts.
#pragma once

#include <windows.h>

INT_PTR ConfigureDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
