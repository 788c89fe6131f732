// Creation, initialisation, timer dispatch and destruction of an instance.
#pragma once

#include "base/docklet_instance.h"

DockletInstance* CreateInstance(HWND hwndDocklet, HINSTANCE hInstance, const char* iniFile,
                                const char* iniSection) noexcept;
void InitInstance(DockletInstance* instance) noexcept;
void DispatchMessageToInstance(DockletInstance* instance, UINT message, WPARAM wParam) noexcept;

// The dock's OnDestroy. From its return on the module hands the dock nothing
// more for the icon and touches its window no more: the timers stop and every
// modal window of the icon closes. The record itself is freed by LeaveCall
// when no call of the module on it is left on the stack.
void DestroyInstance(DockletInstance* instance) noexcept;

// Every entry point that takes the instance runs between these two. A dock
// may call in again from inside a modal loop of an earlier call, so calls on
// one icon nest.
void EnterCall(DockletInstance* instance) noexcept;
void LeaveCall(DockletInstance* instance) noexcept;
