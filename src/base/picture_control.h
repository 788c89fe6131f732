// Bitmaps in picture controls (static controls with SS_BITMAP). A version 6
// static keeps its own copy of a bitmap with nonzero alpha and hands that copy
// back at the next STM_SETIMAGE; a classic one keeps the bitmap it was given.
// Either way the module deletes every bitmap the control does not hold, and
// takes the held one back when the control goes.
#pragma once

#include <windows.h>

// Shows `picture` (which the module made and hands over here) in the control:
// deletes it when the control holds a copy instead, and deletes the picture the
// control gives back.
void SetPicture(HWND dialog, int controlId, HBITMAP picture) noexcept;

// The control's client size: at any system DPI the picture is made for it,
// not for the size the control had at 96 DPI.
SIZE PictureRoom(HWND dialog, int controlId) noexcept;

// Takes the control's bitmap back and deletes it: for WM_DESTROY of the
// dialog, while the control still exists.
void TakeBackPicture(HWND dialog, int controlId) noexcept;
