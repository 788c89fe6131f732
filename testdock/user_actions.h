// What a user sees of the module's dialogs, sheets and menus and does to
// them: control texts and states, keys, clicks, list entries, sliders, sheet
// pages and buttons, and a picture of the window as it shows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testdock {

std::wstring WindowText(HWND window);
std::wstring ControlText(HWND dialog, int controlId);

// Input posted to the window's queue as the system posts it for a user.
void PressKey(HWND window, WORD virtualKey);   // key down and up
void ClickControl(HWND dialog, int controlId);  // left button down and up in its middle
void PressCloseBox(HWND window);                // the caption's close box

// The ways a user closes a dialog.
enum class Closing { OkButton, EscapeKey, CloseBox };
void CloseDialog(HWND dialog, Closing how);

// The settings sheet: switches to the tab at index as a click on it does and
// returns the page; OK, Cancel, and Escape typed into the sheet.
HWND ShowSheetPage(HWND sheet, int index);
HWND CurrentSheetPage(HWND sheet);
void PressOk(HWND sheet);
void PressCancel(HWND sheet);
void PressEscape(HWND sheet);

// Control actions with the notifications they send.
void TypeText(HWND page, int id, const std::wstring& text);
void ClickButton(HWND page, int id);
void SetCheckBox(HWND page, int id, bool checked);
// Chooses the entry of exactly that text (false when there is none).
bool ChooseListEntry(HWND page, int id, const std::wstring& text);
void MoveSlider(HWND page, int id, int position);

bool IsButtonChecked(HWND page, int id);
std::vector<std::wstring> ListEntries(HWND page, int id);
// The selected entry's text, empty without a selection.
std::wstring ListSelection(HWND page, int id);
// Width and height of the bitmap a picture control shows (0 by 0 without one).
SIZE PictureSize(HWND page, int id);

// The window as it shows on screen, written as PNG; false for a blank picture.
// At a system DPI other than 96 the file goes to a folder "dpi<N>" beside path's.
bool CaptureWindowPng(HWND window, const std::wstring& path);

}  // namespace testdock
