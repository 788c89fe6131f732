// Creation, initialisation, timer dispatch and destruction of an instance.
#pragma once

#include "base/docklet_instance.h"

DockletInstance* CreateInstance(HWND hwndDocklet, HINSTANCE hInstance, const char* iniFile,
                                const char* iniSection) noexcept;
void InitInstance(DockletInstance* instance) noexcept;
void DispatchMessageToInstance(DockletInstance* instance, UINT message, WPARAM wParam) noexcept;
void DestroyInstance(DockletInstance* instance) noexcept;
