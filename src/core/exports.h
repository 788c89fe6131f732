// The sixteen functions the dock finds by name in the module. The module
// definition file binds these names, undecorated, to the stdcall symbols.
#pragma once

#include "base/docklet_instance.h"

#include <windows.h>

extern "C" {

void WINAPI OnGetInformation(char* name, char* author, int* version, char* notes);
void* WINAPI OnCreate(HWND hwndDocklet, HINSTANCE hInstance, const char* iniFile, const char* iniSection);
void WINAPI OnSave(DockletInstance* instance, const char* iniFile, const char* iniSection, BOOL isForExport);
BOOL WINAPI OnExportFiles(DockletInstance* instance, char* fileOut, int index);
void WINAPI OnDestroy(DockletInstance* instance, HWND hwndDocklet);
void WINAPI OnProcessMessage(DockletInstance* instance, HWND hwndDocklet, UINT message, WPARAM wParam,
                             LPARAM lParam);
BOOL WINAPI OnLeftButtonClick(DockletInstance* instance, POINT* point, SIZE* size);
BOOL WINAPI OnRightButtonClick(DockletInstance* instance, POINT* point, SIZE* size);
BOOL WINAPI OnLeftButtonHeld(DockletInstance* instance, POINT* point, SIZE* size);
BOOL WINAPI OnDoubleClick(DockletInstance* instance, POINT* point, SIZE* size);
INT_PTR WINAPI OnConfigure(DockletInstance* instance);
INT_PTR WINAPI OnInfo(DockletInstance* instance);
INT_PTR WINAPI OnAbout(DockletInstance* instance);

// Dialog procedures of the three dialogs the dock may open through the entry points above.
INT_PTR WINAPI ConfigureDocklet(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR WINAPI InfoDocklet(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR WINAPI AboutDocklet(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // extern "C"
