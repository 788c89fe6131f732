// The "Font" page: face, size, colour and opacity of the icon's texts, with a
// sample drawn as the icon draws them.
#pragma once

#include "base/docklet_instance.h"

#include <windows.h>

#include <cstdint>

constexpr int IDD_FONT_PAGE = 108;

INT_PTR CALLBACK FontPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Refills the sorted list with the installed TrueType families, each once.
void FillFontList(const DockletInstance& working, HWND list) noexcept;

// The enumeration callback of FillFontList; lParam is the list.
int CALLBACK AddFontFace(const LOGFONTW* font, const TEXTMETRICW* metrics, DWORD fontType, LPARAM lParam);

// The size typed in the size box: its leading number, or 34 when it is empty.
int32_t ParseFontSize(const wchar_t* text) noexcept;

// "Sample Text" centred in a 150 by 60 picture, shadowed and outlined, at the full size.
void DrawFontPreview(HWND page, int controlId, const wchar_t* faceName, int32_t size, COLORREF color,
                     uint8_t alpha) noexcept;
