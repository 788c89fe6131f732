// Drives the module's settings sheet as a user would: the sheet is modal, so
// the script runs from a thread timer inside the sheet's own message loop,
// sets controls with the messages a user's actions produce, and ends the
// sheet with OK, Cancel or Escape.
#pragma once

#include "dialog_driver.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testdock {

using SheetScript = std::function<void(HWND sheet)>;

// Calls open(), which blocks while the sheet owned (through its placeholder)
// by dockletWindow is up, and runs script on that sheet once it is shown.
// False when no such sheet appeared. Calls may nest (a sheet opened from a script).
bool DriveSheet(HWND dockletWindow, const std::function<void()>& open, const SheetScript& script);

// Switches to the tab at index as a click on it does; returns the page.
HWND ShowSheetPage(HWND sheet, int index);
HWND CurrentSheetPage(HWND sheet);

void PressOk(HWND sheet);
void PressCancel(HWND sheet);
// Escape typed into the sheet, handled by its message loop.
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

}  // namespace testdock
